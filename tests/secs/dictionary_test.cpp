// The message dictionary shipped in data/Default.xml: every message the system uses is there,
// with the W-bit and the body layout that the GEM code and SEMI E5 expect.
#include "secs/dictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "secs/build.h"
#include "secs/codec.h"

namespace kest {
namespace {

using namespace kest::build;

const MessageDictionary& Dict() {
    return MessageDictionary::Default();
}

SecsItem Body(const char* name) {
    const MessageTemplate* entry = Dict().Find(name);
    if (entry == nullptr) {
        ADD_FAILURE() << name << " is missing";
        return {};
    }
    EXPECT_EQ(entry->message.BodyCount(), 1u) << name;
    return entry->message.BodyCount() == 1 ? entry->message.Item(1) : SecsItem();
}

// Messages the equipment sends, answers, or receives as replies, as the handlers and builders
// name them.
const std::vector<std::string> kUsedMessages = {
    // stream 1
    "S1F1", "S1F2", "S1F3", "S1F4", "S1F11", "S1F12", "S1F13", "S1F14", "S1F15", "S1F16", "S1F17",
    "S1F18", "S1F21", "S1F22", "S1F23", "S1F24",
    // stream 2
    "S2F13", "S2F14", "S2F15", "S2F16", "S2F17", "S2F18", "S2F21", "S2F22", "S2F23", "S2F24",
    "S2F25", "S2F26", "S2F29", "S2F30", "S2F31", "S2F32", "S2F33", "S2F34", "S2F35", "S2F36",
    "S2F37", "S2F38", "S2F39", "S2F40", "S2F41", "S2F42", "S2F43", "S2F44", "S2F45", "S2F46",
    "S2F47", "S2F48", "S2F49", "S2F50",
    // stream 5
    "S5F1", "S5F2", "S5F3", "S5F4", "S5F5", "S5F6", "S5F7", "S5F8",
    // stream 6
    "S6F1", "S6F2", "S6F11", "S6F12", "S6F15", "S6F16", "S6F19", "S6F20", "S6F23", "S6F24",
    // stream 7
    "S7F1", "S7F2", "S7F3", "S7F4", "S7F5", "S7F6", "S7F17", "S7F18", "S7F19", "S7F20", "S7F23",
    "S7F24",
    // stream 9
    "S9F1", "S9F3", "S9F5", "S9F7", "S9F9", "S9F11", "S9F13",
    // stream 10
    "S10F1", "S10F2", "S10F3", "S10F4", "S10F5", "S10F6",
    // stream 12
    "S12F1", "S12F2", "S12F3", "S12F4", "S12F5", "S12F6", "S12F7", "S12F8", "S12F9", "S12F10",
    "S12F11", "S12F12", "S12F13", "S12F14", "S12F15", "S12F16", "S12F17", "S12F18", "S12F19",
    // stream 14
    "S14F1", "S14F2"};

// Primaries that expect a reply (SEMI E5, and the W-bit the host's primaries carry).
const std::vector<std::string> kPrimariesWithReply = {
    "S1F1",  "S1F3",  "S1F11", "S1F13",  "S1F15",  "S1F17",  "S1F21",  "S1F23", "S2F13",
    "S2F15", "S2F17", "S2F21", "S2F23",  "S2F25",  "S2F29",  "S2F31",  "S2F33", "S2F35",
    "S2F37", "S2F39", "S2F41", "S2F43",  "S2F45",  "S2F47",  "S2F49",  "S5F1",  "S5F3",
    "S5F5",  "S5F7",  "S6F1",  "S6F11",  "S6F15",  "S6F19",  "S6F23",  "S7F1",  "S7F3",
    "S7F5",  "S7F17", "S7F19", "S7F23",  "S10F1",  "S10F3",  "S10F5",  "S12F1", "S12F3",
    "S12F5", "S12F7", "S12F9", "S12F11", "S12F13", "S12F15", "S12F17", "S14F1"};

// Primaries that never get a reply.
const std::vector<std::string> kPrimariesWithoutReply = {"S9F1", "S9F3",  "S9F5",  "S9F7",
                                                         "S9F9", "S9F11", "S9F13", "S12F19"};

TEST(DefaultDictionary, HasEveryMessageTheSystemUses) {
    for (const std::string& name : kUsedMessages) {
        const MessageTemplate* entry = Dict().Find(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->name, name);
        EXPECT_EQ(entry->message.Name(), name);
        EXPECT_EQ(MessageName(entry->stream, entry->function), name);
        EXPECT_EQ(Dict().Find(entry->stream, entry->function), entry) << name;
        EXPECT_FALSE(entry->title.empty()) << name;
    }
    EXPECT_GE(Dict().Size(), kUsedMessages.size());
}

TEST(DefaultDictionary, WbitFollowsTheStandard) {
    for (const std::string& name : kPrimariesWithReply) {
        const MessageTemplate* entry = Dict().Find(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_TRUE(entry->reply_expected) << name;
        EXPECT_TRUE(entry->message.ReplyExpected()) << name;
        // The reply the host or the handler returns is in the dictionary too.
        EXPECT_NE(Dict().Find(entry->stream, entry->function + 1), nullptr) << name << " reply";
    }
    for (const std::string& name : kPrimariesWithoutReply) {
        const MessageTemplate* entry = Dict().Find(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_FALSE(entry->reply_expected) << name;
        EXPECT_EQ(Dict().Find(entry->stream, entry->function + 1), nullptr) << name;
    }
}

TEST(DefaultDictionary, EveryTemplateIsAValidWireMessage) {
    std::size_t seen = 0;
    for (int stream = 0; stream <= 127; ++stream) {
        for (int function = 0; function <= 255; ++function) {
            const MessageTemplate* entry = Dict().Find(stream, function);
            if (entry == nullptr) continue;
            ++seen;
            SCOPED_TRACE(entry->name);
            EXPECT_EQ(entry->reply_expected, entry->message.ReplyExpected());
            if (function % 2 == 0) {
                EXPECT_FALSE(entry->reply_expected);
            }
            SecsMessage decoded(stream, function, entry->reply_expected);
            DecodeBody(EncodeBody(entry->message), decoded);
            EXPECT_EQ(decoded, entry->message);
        }
    }
    EXPECT_EQ(seen, Dict().Size());
}

TEST(DefaultDictionary, HeaderOnlyMessagesHaveNoBody) {
    for (const char* name : {"S1F1", "S1F15", "S1F17", "S2F17", "S5F7", "S7F19"}) {
        const MessageTemplate* entry = Dict().Find(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->message.BodyCount(), 0u) << name;
    }
}

// Replies that are one acknowledge code of one byte, set by the handler.
class SingleByteAck : public testing::TestWithParam<const char*> {};

TEST_P(SingleByteAck, IsOneBinaryByte) {
    EXPECT_EQ(Body(GetParam()), B({0}));
}

INSTANTIATE_TEST_SUITE_P(Replies, SingleByteAck,
                         testing::Values("S1F16", "S1F18", "S2F16", "S2F24", "S2F32", "S2F34",
                                         "S2F36", "S2F38", "S2F40", "S5F2", "S5F4", "S6F2", "S6F12",
                                         "S6F24", "S7F2", "S7F4", "S7F18", "S7F24", "S10F2",
                                         "S10F4", "S10F6", "S12F2", "S12F6", "S12F8", "S12F10",
                                         "S12F12"));

// Stream 9 senders set the format and value of the primary's one item to the 10-byte MHEAD.
class StreamNineHeader : public testing::TestWithParam<const char*> {};

TEST_P(StreamNineHeader, HoldsOneBinaryItem) {
    EXPECT_EQ(Body(GetParam()), B());
}

INSTANTIATE_TEST_SUITE_P(Errors, StreamNineHeader,
                         testing::Values("S9F1", "S9F3", "S9F5", "S9F7", "S9F9", "S9F11"));

TEST(DefaultDictionary, StreamOneLayouts) {
    EXPECT_EQ(Body("S1F2"), L(A(), A()));              // MDLN, SOFTREV
    EXPECT_EQ(Body("S1F13"), L(A(), A()));             // MDLN, SOFTREV
    EXPECT_EQ(Body("S1F14"), L(B({0}), L(A(), A())));  // COMMACK, {MDLN, SOFTREV}
    EXPECT_EQ(Body("S1F3"), L(U4()));                  // SVIDs
    EXPECT_EQ(Body("S1F4"), L());                      // SVs in their own formats
    EXPECT_EQ(Body("S1F12"), L(L(U4(), A(), A())));    // {SVID, SVNAME, UNITS}
}

TEST(DefaultDictionary, StreamTwoLayouts) {
    EXPECT_EQ(Body("S2F14"), L());
    EXPECT_EQ(Body("S2F15"), L(L(U4(), A())));
    EXPECT_EQ(Body("S2F18"), A());
    EXPECT_EQ(Body("S2F21"), A());
    EXPECT_EQ(Body("S2F22"), U1(0));  // CMDA
    EXPECT_EQ(Body("S2F23"), L(U4(), A(), U4(), U4(), L(U4())));
    EXPECT_EQ(Body("S2F25"), B());
    EXPECT_EQ(Body("S2F26"), B());
    EXPECT_EQ(Body("S2F30"), L(L(U4(), A(), A(), A(), A(), A())));
    EXPECT_EQ(Body("S2F31"), A());
    EXPECT_EQ(Body("S2F33"), L(U4(), L(L(U4(), L(U4())))));
    EXPECT_EQ(Body("S2F35"), L(U4(), L(L(U4(), L(U4())))));
    EXPECT_EQ(Body("S2F37"), L(Boolean(), L(U4())));
    EXPECT_EQ(Body("S2F39"), L(U4(), U4()));
    EXPECT_EQ(Body("S2F41"), L(A(), L(L(A(), A()))));
    // ReplyCommand empties the root list, then appends HCACK and the parameter list.
    EXPECT_EQ(Body("S2F42"), L(B({0}), L(L(A(), B()))));
    EXPECT_EQ(Body("S2F50"), L(B({0}), L(L(A(), B()))));
    EXPECT_EQ(Body("S2F43"), L(L(U1(), L(U1()))));
    EXPECT_EQ(Body("S2F44"), L(B({0}), L(L(U1(), B(), L(U1())))));
    EXPECT_EQ(Body("S2F45"), L(U4(), L(L(U4(), L(L(B(), L(U4(), U4())))))));
    EXPECT_EQ(Body("S2F46"), L(B({0}), L(L(U4(), B(), L(B(), B())))));
    EXPECT_EQ(Body("S2F48"), L(L(U4(), L(A(), U4(), U4(), L(L(B(), U4(), U4()))))));
    EXPECT_EQ(Body("S2F49"), L(U4(), A(), A(), L(L(A(), A()))));
}

TEST(DefaultDictionary, AlarmAndEventLayouts) {
    EXPECT_EQ(Body("S5F1"), L(B(), U4(), A()));  // ALCD, ALID, ALTX
    EXPECT_EQ(Body("S5F3"), L(B(), U4()));       // ALED, ALID
    EXPECT_EQ(Body("S5F5"), U4());               // zero-length ALID: all alarms
    EXPECT_EQ(Body("S5F6"), L(L(B(), U4(), A())));
    EXPECT_EQ(Body("S5F8"), L(L(B(), U4(), A())));
    EXPECT_EQ(Body("S6F1"), L(U4(), U4(), A(), L()));  // TRID, SMPLN, STIME, values
    // S6F11: the builder keeps the outer list and removes the preset report entry.
    EXPECT_EQ(Body("S6F11"), L(U4(), U4(), L(L(U4(), L()))));
    EXPECT_EQ(Body("S6F15"), U4());
    EXPECT_EQ(Body("S6F16"), L(U4(), U4(), L(L(U4(), L()))));
    EXPECT_EQ(Body("S6F19"), U4());
    EXPECT_EQ(Body("S6F20"), L());
    EXPECT_EQ(Body("S6F23"), U1());  // RSDC
}

TEST(DefaultDictionary, ProcessProgramLayouts) {
    EXPECT_EQ(Body("S7F1"), L(A(), U4()));  // PPID, LENGTH
    EXPECT_EQ(Body("S7F3"), L(A(), B()));   // PPID, PPBODY
    EXPECT_EQ(Body("S7F5"), A());
    EXPECT_EQ(Body("S7F6"), L(A(), B()));
    EXPECT_EQ(Body("S7F17"), L(A()));
    EXPECT_EQ(Body("S7F20"), L(A()));
    EXPECT_EQ(Body("S7F23"), L(A(), A(), A(), L(L(A(), L(A())))));
}

TEST(DefaultDictionary, TerminalConversationAndObjectLayouts) {
    EXPECT_EQ(Body("S9F13"), L(A(), A()));  // MEXP, EDID
    EXPECT_EQ(Body("S10F1"), L(B(), A()));  // TID, TEXT
    EXPECT_EQ(Body("S10F3"), L(B(), A()));
    EXPECT_EQ(Body("S10F5"), L(B(), L(A())));
    EXPECT_EQ(Body("S14F1"), L(A(), A(), L(A()), L(L(A(), A(), U1())), L(A())));
    EXPECT_EQ(Body("S14F2"), L(L(L(A(), L(L(A(), B())))), L(U1(0), L(L(U4(), A())))));
}

TEST(DefaultDictionary, WaferMapLayouts) {
    // MID, IDTYP, FNLOC, FFROT, ORLOC, RPSEL, {REFP}, DUTMS, XDIES, YDIES, ROWCT, COLCT, NULBC,
    // PRDCT, PRAXI; the REFP list holds a template point that the builder removes.
    EXPECT_EQ(Body("S12F1"), L(A(), B(), U2(), U2(), B(), U1(), L(I4()), A(), U4(), U4(), U4(),
                               U4(), A(), U4(), B()));
    EXPECT_EQ(Body("S12F3").Count(), 9u);
    EXPECT_EQ(Body("S12F4"), L(A(), B(), U2(), B(), U1(), L(I4()), A(), U4(), U4(), U4(), U4(),
                               U4(), A(), A(), U4()));
    EXPECT_EQ(Body("S12F5"), L(A(), B(), B(), U4()));
    EXPECT_EQ(Body("S12F7"), L(A(), B(), L(L(I4(), A()))));
    EXPECT_EQ(Body("S12F9"), L(A(), B(), I4(), A()));
    EXPECT_EQ(Body("S12F11"), L(A(), B(), L(L(I4(), A()))));
    EXPECT_EQ(Body("S12F13"), L(A(), B()));
    EXPECT_EQ(Body("S12F14"), L(A(), B(), L(L(I4(), A()))));
    EXPECT_EQ(Body("S12F15"), L(A(), B()));
    EXPECT_EQ(Body("S12F16"), L(A(), B(), I4(), A()));
    EXPECT_EQ(Body("S12F17"), L(A(), B(), B()));
    EXPECT_EQ(Body("S12F18"), L(A(), B(), L(L(I4(), A()))));
    EXPECT_EQ(Body("S12F19"), L(B(), U1()));  // MAPER, DATLC
}

TEST(DefaultDictionary, NewPrimaryIsAFreshCopyOfTheTemplate) {
    SecsMessage first = Dict().NewPrimary("S6F11");
    EXPECT_EQ(first.Stream(), 6);
    EXPECT_EQ(first.Function(), 11);
    EXPECT_TRUE(first.ReplyExpected());
    first.Item(1).Item(3).RemoveItem(1);
    first.Item(1).Item(1).SetValue(7);
    SecsMessage second = Dict().NewPrimary("S6F11");
    EXPECT_EQ(second.Item(1), L(U4(), U4(), L(L(U4(), L()))));
    EXPECT_EQ(second, Dict().Find("S6F11")->message);
}

TEST(DefaultDictionary, UnknownPrimaryIsRefusedByName) {
    try {
        Dict().NewPrimary("S99F1");
        FAIL() << "no error";
    } catch (const DictionaryError& e) {
        EXPECT_STREQ(e.what(), "unknown message S99F1");
    }
    EXPECT_THROW(Dict().NewPrimary(""), DictionaryError);
    EXPECT_THROW(Dict().NewPrimary("s1f1"), DictionaryError);
}

TEST(DefaultDictionary, ReplyShellOfKnownAndUnknownPrimaries) {
    SecsMessage s1f14 = Dict().ReplyShell(1, 13);
    EXPECT_EQ(s1f14, Dict().Find("S1F14")->message);
    EXPECT_FALSE(s1f14.ReplyExpected());

    // S2F41's reply shell keeps the root list that ReplyCommand empties and refills.
    SecsMessage s2f42 = Dict().ReplyShell(2, 41);
    ASSERT_EQ(s2f42.BodyCount(), 1u);
    EXPECT_TRUE(s2f42.Item(1).IsList());

    // S1F5 is not in the dictionary: its shell is a header-only S1F6.
    SecsMessage s1f6 = Dict().ReplyShell(1, 5);
    EXPECT_EQ(s1f6.Stream(), 1);
    EXPECT_EQ(s1f6.Function(), 6);
    EXPECT_EQ(s1f6.BodyCount(), 0u);
    EXPECT_FALSE(s1f6.ReplyExpected());

    SecsMessage s3f2 = Dict().ReplyShell(3, 1);  // stream 3 is not used at all
    EXPECT_EQ(s3f2.Name(), "S3F2");
    EXPECT_EQ(s3f2.BodyCount(), 0u);
}

TEST(DefaultDictionary, EmbeddedCopyEqualsTheDataFile) {
    MessageDictionary file = MessageDictionary::FromFile(KEST_SOURCE_DIR "/data/Default.xml");
    ASSERT_EQ(file.Size(), Dict().Size());
    for (int stream = 0; stream <= 127; ++stream) {
        for (int function = 0; function <= 255; ++function) {
            const MessageTemplate* a = file.Find(stream, function);
            const MessageTemplate* b = Dict().Find(stream, function);
            ASSERT_EQ(a == nullptr, b == nullptr) << MessageName(stream, function);
            if (a == nullptr) continue;
            EXPECT_EQ(a->name, b->name);
            EXPECT_EQ(a->reply_expected, b->reply_expected) << a->name;
            EXPECT_EQ(a->title, b->title) << a->name;
            EXPECT_EQ(a->message, b->message) << a->name;
        }
    }
}

}  // namespace
}  // namespace kest
