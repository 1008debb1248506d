// Loading dictionaries: values by format, lookups, and every kind of malformed input reported
// with the file, the line and the element at fault.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "secs/build.h"
#include "secs/dictionary.h"

namespace kest {
namespace {

using namespace kest::build;

// One message S1F1 (W-bit) whose body is `body`, then the closing tags; the body starts on line 3.
std::string OneMessage(const std::string& body, const std::string& attributes = "") {
    return "<dictionary>\n<message name=\"S1F1\" stream=\"1\" function=\"1\" wbit=\"true\"" +
           attributes + ">\n" + body + "\n</message>\n</dictionary>\n";
}

SecsItem LoadedBody(const std::string& body) {
    MessageDictionary dictionary = MessageDictionary::FromString(OneMessage(body), "test.xml");
    const MessageTemplate* entry = dictionary.Find(1, 1);
    if (entry == nullptr || entry->message.BodyCount() != 1) {
        ADD_FAILURE() << "no body loaded";
        return {};
    }
    return entry->message.Item(1);
}

std::string LoadError(const std::string& xml, const DictionaryLimits& limits = {}) {
    try {
        MessageDictionary::FromString(xml, "test.xml", limits);
    } catch (const DictionaryError& e) {
        return e.what();
    }
    return "(loaded)";
}

TEST(DictionaryLoad, HeaderAndTitle) {
    MessageDictionary dictionary = MessageDictionary::FromString(
        "<?xml version=\"1.0\"?>\n<!-- test -->\n<dictionary>\n"
        "<message name=\"S127F255\" stream=\"127\" function=\"255\" title=\"Last\"/>\n"
        "<message name=\"S0F0\" stream=\"0\" function=\"0\" wbit=\"false\"/>\n"
        "<message name=\"S6F11\" stream=\"6\" function=\"11\" wbit=\"true\" title=\"Event\">"
        "<L/></message>\n"
        "</dictionary>");
    EXPECT_EQ(dictionary.Size(), 3u);
    const MessageTemplate* last = dictionary.Find("S127F255");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->stream, 127);
    EXPECT_EQ(last->function, 255);
    EXPECT_FALSE(last->reply_expected);
    EXPECT_EQ(last->title, "Last");
    EXPECT_EQ(last->message.BodyCount(), 0u);
    const MessageTemplate* event = dictionary.Find(6, 11);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->name, "S6F11");
    EXPECT_TRUE(event->reply_expected);
    EXPECT_TRUE(event->message.ReplyExpected());
    EXPECT_EQ(event->message.Item(1), L());
    ASSERT_NE(dictionary.Find("S0F0"), nullptr);
}

TEST(DictionaryLoad, ValuesByFormat) {
    EXPECT_EQ(LoadedBody("<B>0x1F 0XaB 255 0 007</B>"), B({0x1F, 0xAB, 0xFF, 0x00, 0x07}));
    EXPECT_EQ(LoadedBody("<BOOLEAN>true F 1 0 T FALSE</BOOLEAN>"),
              Boolean({true, false, true, false, true, false}));
    EXPECT_EQ(LoadedBody("<U4>1\n\t2  4294967295</U4>"), U4(1, 2, 4294967295u));
    EXPECT_EQ(LoadedBody("<U1>255</U1>"), U1(255));
    EXPECT_EQ(LoadedBody("<U2>65535</U2>"), U2(65535));
    EXPECT_EQ(LoadedBody("<U8>18446744073709551615</U8>"),
              U8(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_EQ(LoadedBody("<I1>-128 127</I1>"), I1(-128, 127));
    EXPECT_EQ(LoadedBody("<I2>-32768</I2>"), I2(-32768));
    EXPECT_EQ(LoadedBody("<I4>-2147483648</I4>"), I4(std::numeric_limits<std::int32_t>::min()));
    EXPECT_EQ(LoadedBody("<I8>-9223372036854775808</I8>"),
              I8(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(LoadedBody("<F4>0.5 -2</F4>"), F4(0.5, -2));
    EXPECT_EQ(LoadedBody("<F8>-1e-3</F8>"), F8(-0.001));
    // Text is taken exactly as written, entities and CDATA included.
    EXPECT_EQ(LoadedBody("<A> two  words </A>"), A(" two  words "));
    EXPECT_EQ(LoadedBody("<A>a&lt;b&amp;c</A>"), A("a<b&c"));
    EXPECT_EQ(LoadedBody("<A><![CDATA[<raw>]]></A>"), A("<raw>"));
    EXPECT_EQ(LoadedBody("<J>kana</J>"), J("kana"));
    // No text: a zero-length item; blanks only: no values either.
    EXPECT_EQ(LoadedBody("<U4/>"), U4());
    EXPECT_EQ(LoadedBody("<B>  </B>"), B());
    EXPECT_EQ(LoadedBody("<A></A>"), A());
}

TEST(DictionaryLoad, NestedListsKeepTheirOrder) {
    EXPECT_EQ(LoadedBody("<L name=\"outer\">\n  <!-- a comment -->\n  <U4 name=\"DATAID\">1</U4>\n"
                         "  <L><A>x</A><L/></L>\n  <B>2</B>\n</L>"),
              L(U4(1), L(A("x"), L()), B({2})));
}

TEST(DictionaryLoad, FindTakesOnlyTheExactName) {
    MessageDictionary dictionary = MessageDictionary::FromString(OneMessage(""));
    EXPECT_NE(dictionary.Find("S1F1"), nullptr);
    for (const char* name : {"s1f1", "S01F1", "S1F01", "S1F1 ", " S1F1", "S1f1", "S1", "S1F", "SF1",
                             "S+1F1", "S-1F1", "S1F1F1", "", "S1F1\n", "S1000F1"}) {
        EXPECT_EQ(dictionary.Find(name), nullptr) << name;
    }
    EXPECT_EQ(dictionary.Find(1, 2), nullptr);
    EXPECT_EQ(dictionary.Find(-1, 1), nullptr);
    EXPECT_EQ(dictionary.Find(1, 1)->name, "S1F1");
}

TEST(DictionaryLoad, ReplyShellEdges) {
    MessageDictionary dictionary = MessageDictionary::FromString(
        "<dictionary><message name=\"S1F2\" stream=\"1\" function=\"2\"><A>x</A></message>"
        "<message name=\"S1F0\" stream=\"1\" function=\"0\"/></dictionary>");
    EXPECT_EQ(dictionary.ReplyShell(1, 1).Item(1), A("x"));
    // Function 255 has no successor: the abort (function 0) shell answers it.
    SecsMessage abort = dictionary.ReplyShell(1, 255);
    EXPECT_EQ(abort.Function(), 0);
    EXPECT_EQ(abort.BodyCount(), 0u);
    SecsMessage other_stream = dictionary.ReplyShell(2, 255);
    EXPECT_EQ(other_stream.Name(), "S2F0");
    EXPECT_THROW(dictionary.ReplyShell(128, 1), DictionaryError);
    EXPECT_THROW(dictionary.ReplyShell(1, 256), DictionaryError);
    EXPECT_THROW(dictionary.ReplyShell(-1, 1), DictionaryError);
    EXPECT_THROW(dictionary.ReplyShell(1, -1), DictionaryError);
}

TEST(DictionaryLoad, EmptyDictionaryHasNoMessages) {
    MessageDictionary dictionary = MessageDictionary::FromString("<dictionary/>");
    EXPECT_EQ(dictionary.Size(), 0u);
    EXPECT_EQ(dictionary.Find("S1F1"), nullptr);
    EXPECT_THROW(dictionary.NewPrimary("S1F1"), DictionaryError);
    EXPECT_EQ(MessageDictionary().Size(), 0u);
}

struct Malformed {
    const char* name;
    std::string xml;
    std::vector<std::string> expected;  // pieces the error text must contain
};

class MalformedDictionary : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedDictionary, IsRefusedNamingWhereAndWhy) {
    std::string error = LoadError(GetParam().xml);
    ASSERT_NE(error, "(loaded)");
    EXPECT_EQ(error.rfind("test.xml", 0), 0u) << error;
    for (const std::string& piece : GetParam().expected) {
        EXPECT_NE(error.find(piece), std::string::npos)
            << "missing \"" << piece << "\" in " << error;
    }
}

const std::string kTail = "\n</dictionary>\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedDictionary,
    testing::Values(
        // XML itself
        Malformed{"syntax",
                  "<dictionary>\n<message name=\"S1F1\"\n</dictionary>",
                  {"test.xml:3:", "XML syntax error"}},
        Malformed{"unclosed",
                  "<dictionary>\n<message name=\"S1F1\" stream=\"1\" function=\"1\">",
                  {"test.xml:2:", "XML syntax error"}},
        Malformed{"empty", "", {"test.xml:1:1", "no <dictionary> element"}},
        Malformed{"nul_byte",
                  std::string("<dictionary>\n<!-- \0 -->", 24) + kTail,
                  {"test.xml:2:6", "NUL byte"}},
        Malformed{"wrong_root", "<messages/>", {"test.xml:1:1", "<messages>", "<dictionary>"}},
        Malformed{"second_root",
                  "<dictionary/>\n<dictionary/>",
                  {"test.xml:2:1", "<dictionary>", "second root element"}},
        Malformed{"text_after_root", "<dictionary/>\njunk", {"test.xml:2:1", "\"junk\""}},
        Malformed{"root_attribute",
                  "<dictionary version=\"2\"/>",
                  {"<dictionary>", "unknown attribute \"version\""}},
        Malformed{"text_in_root",
                  "<dictionary>\n  stray\n</dictionary>",
                  {"test.xml:2:3", "text \"stray\"", "text outside a <message>"}},
        Malformed{"unknown_element",
                  "<dictionary>\n\n  <msg/>" + kTail,
                  {"test.xml:3:3", "<msg>", "unknown element"}},
        // header attributes
        Malformed{"missing_name",
                  "<dictionary>\n<message stream=\"1\" function=\"1\"/>" + kTail,
                  {"test.xml:2:1", "<message>", "name attribute is missing"}},
        Malformed{"missing_stream",
                  "<dictionary>\n<message name=\"S1F1\" function=\"1\"/>" + kTail,
                  {"test.xml:2:1", "<message name=\"S1F1\">", "stream attribute is missing"}},
        Malformed{"missing_function",
                  "<dictionary>\n<message name=\"S1F1\" stream=\"1\"/>" + kTail,
                  {"<message name=\"S1F1\">", "function attribute is missing"}},
        Malformed{"stream_not_number",
                  "<dictionary>\n<message name=\"S1F1\" stream=\"one\" function=\"1\"/>" + kTail,
                  {"test.xml:2:", "stream \"one\" is not a number from 0 to 127"}},
        Malformed{"stream_too_big",
                  "<dictionary>\n<message name=\"S128F1\" stream=\"128\" function=\"1\"/>" + kTail,
                  {"stream \"128\"", "0 to 127"}},
        Malformed{"stream_negative",
                  "<dictionary>\n<message name=\"S-1F1\" stream=\"-1\" function=\"1\"/>" + kTail,
                  {"stream \"-1\""}},
        Malformed{"function_too_big",
                  "<dictionary>\n<message name=\"S1F256\" stream=\"1\" function=\"256\"/>" + kTail,
                  {"function \"256\"", "0 to 255"}},
        Malformed{"function_fraction",
                  "<dictionary>\n<message name=\"S1F1\" stream=\"1\" function=\"1.0\"/>" + kTail,
                  {"function \"1.0\""}},
        Malformed{"name_mismatch",
                  "<dictionary>\n<message name=\"S1F2\" stream=\"1\" function=\"1\"/>" + kTail,
                  {"test.xml:2:1", "<message name=\"S1F2\">", "name must be S1F1"}},
        Malformed{"name_leading_zero",
                  "<dictionary>\n<message name=\"S01F1\" stream=\"1\" function=\"1\"/>" + kTail,
                  {"<message name=\"S01F1\">", "name must be S1F1"}},
        Malformed{"bad_wbit",
                  OneMessage("", " title=\"x\" wbit2=\"y\""),
                  {"test.xml:2:1", "unknown attribute \"wbit2\""}},
        Malformed{
            "wbit_not_boolean",
            "<dictionary>\n<message name=\"S1F1\" stream=\"1\" function=\"1\" wbit=\"yes\"/>" +
                kTail,
            {"<message name=\"S1F1\">", "wbit \"yes\" is not true or false"}},
        Malformed{
            "wbit_on_reply",
            "<dictionary>\n<message name=\"S1F2\" stream=\"1\" function=\"2\" wbit=\"true\"/>" +
                kTail,
            {"<message name=\"S1F2\">", "even function"}},
        Malformed{
            "duplicate_attribute",
            "<dictionary>\n<message name=\"S1F1\" stream=\"1\" stream=\"2\" function=\"1\"/>" +
                kTail,
            {"attribute \"stream\" given twice"}},
        Malformed{"duplicate_message",
                  "<dictionary>\n<message name=\"S1F1\" stream=\"1\" function=\"1\"/>\n"
                  "<message name=\"S1F1\" stream=\"1\" function=\"1\"/>" +
                      kTail,
                  {"test.xml:3:1", "<message name=\"S1F1\">", "duplicate message S1F1",
                   "first defined at line 2"}},
        // body
        Malformed{"two_top_items",
                  OneMessage("<U4/>\n<A/>"),
                  {"test.xml:4:1", "<A> in message S1F1", "second top-level item"}},
        Malformed{"text_in_message",
                  OneMessage("hello"),
                  {"test.xml:3:1", "text \"hello\" in message S1F1", "text in a message"}},
        Malformed{"unknown_item",
                  OneMessage("<U3 name=\"X\"/>"),
                  {"test.xml:3:1", "<U3 name=\"X\"> in message S1F1", "unknown item element"}},
        Malformed{"variable_format_item",
                  OneMessage("<V/>"),
                  {"test.xml:3:1", "<V>", "unknown item element"}},
        Malformed{"lower_case_item", OneMessage("<l/>"), {"<l>", "unknown item element"}},
        Malformed{"unknown_item_attribute",
                  OneMessage("<U4 format=\"U2\"/>"),
                  {"test.xml:3:1", "<U4>", "unknown attribute \"format\""}},
        Malformed{"text_in_list",
                  OneMessage("<L>\n<U4/>5</L>"),
                  {"test.xml:4:6", "text \"5\" in message S1F1", "text in a list"}},
        Malformed{"element_in_value",
                  OneMessage("<U4>\n<A/>\n</U4>"),
                  {"test.xml:4:1", "<A> in message S1F1", "U4 item holds values, not elements"}},
        Malformed{"nested_unknown",
                  OneMessage("<L>\n <L>\n  <Q/>\n </L>\n</L>"),
                  {"test.xml:5:3", "<Q>", "unknown item element"}},
        // values
        Malformed{
            "u1_too_big",
            OneMessage("<U1 name=\"RPSEL\">256</U1>"),
            {"test.xml:3:1", "<U1 name=\"RPSEL\"> in message S1F1", "\"256\" does not fit U1"}},
        Malformed{"u4_negative", OneMessage("<U4>1 -1</U4>"), {"<U4>", "\"-1\" does not fit U4"}},
        Malformed{
            "u4_too_big", OneMessage("<U4>4294967296</U4>"), {"\"4294967296\" does not fit U4"}},
        Malformed{"i1_too_small", OneMessage("<I1>-129</I1>"), {"\"-129\" does not fit I1"}},
        Malformed{"i8_too_big", OneMessage("<I8>9223372036854775808</I8>"), {"does not fit I8"}},
        Malformed{"u8_too_big", OneMessage("<U8>18446744073709551616</U8>"), {"does not fit U8"}},
        Malformed{
            "integer_fraction", OneMessage("<I2>1.5</I2>"), {"\"1.5\" is not a whole number"}},
        Malformed{
            "integer_exponent", OneMessage("<U2>1e3</U2>"), {"\"1e3\" is not a whole number"}},
        Malformed{"not_a_number", OneMessage("<U4>abc</U4>"), {"\"abc\" is not a number"}},
        Malformed{"null_is_no_number", OneMessage("<U4>NULL</U4>"), {"\"NULL\" is not a number"}},
        Malformed{"f4_overflow", OneMessage("<F4>1e39</F4>"), {"\"1e39\" does not fit F4"}},
        Malformed{"f8_infinite", OneMessage("<F8>1e999</F8>"), {"<F8>", "\"1e999\""}},
        Malformed{"byte_too_big", OneMessage("<B>256</B>"), {"\"256\" is not a byte"}},
        Malformed{"byte_hex_too_big", OneMessage("<B>0x100</B>"), {"\"0x100\" is not a byte"}},
        Malformed{"byte_bare_prefix", OneMessage("<B>0x</B>"), {"\"0x\" is not a byte"}},
        Malformed{"byte_negative", OneMessage("<B>-1</B>"), {"\"-1\" is not a byte"}},
        Malformed{"boolean_word",
                  OneMessage("<BOOLEAN>yes</BOOLEAN>"),
                  {"<BOOLEAN>", "\"yes\" is not a Boolean"}},
        Malformed{"long_value_is_cut",
                  OneMessage("<U4>" + std::string(100, '9') + "</U4>"),
                  {"\"" + std::string(40, '9') + "...\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DictionaryLoad, DepthIsBounded) {
    auto nested = [](int lists) {
        std::string body;
        for (int i = 0; i < lists; ++i)
            body += "<L>";
        for (int i = 0; i < lists; ++i)
            body += "</L>";
        return OneMessage(body);
    };
    // 65 nested lists: the innermost has 64 lists around it, the most the limit allows.
    EXPECT_EQ(LoadError(nested(65)), "(loaded)");
    EXPECT_NE(LoadError(nested(66)).find("lists nested deeper than 64"), std::string::npos);
    DictionaryLimits shallow;
    shallow.max_depth = 2;
    EXPECT_EQ(LoadError(nested(3), shallow), "(loaded)");
    std::string error = LoadError(nested(4), shallow);
    EXPECT_NE(error.find("test.xml:3:10: <L> in message S1F1: lists nested deeper than 2"),
              std::string::npos)
        << error;
}

TEST(DictionaryLoad, ItemCountIsBoundedOverTheWholeDictionary) {
    DictionaryLimits few;
    few.max_items = 4;
    std::string xml =
        "<dictionary>\n"
        "<message name=\"S1F1\" stream=\"1\" function=\"1\"><L><A/><A/></L></message>\n"
        "<message name=\"S1F2\" stream=\"1\" function=\"2\"><B/></message>\n"
        "<message name=\"S1F3\" stream=\"1\" function=\"3\"><B/></message>\n"
        "</dictionary>";
    std::string error = LoadError(xml, few);
    EXPECT_NE(error.find("test.xml:4:"), std::string::npos) << error;
    EXPECT_NE(error.find("more than 4 items"), std::string::npos) << error;
    few.max_items = 5;
    EXPECT_EQ(LoadError(xml, few), "(loaded)");
}

TEST(DictionaryLoad, SizeIsBounded) {
    std::string xml = OneMessage("<A>" + std::string(100, 'x') + "</A>");
    DictionaryLimits small;
    small.max_file_size = xml.size();
    EXPECT_EQ(LoadError(xml, small), "(loaded)");
    small.max_file_size = xml.size() - 1;
    EXPECT_EQ(LoadError(xml, small),
              "test.xml: larger than the limit of " + std::to_string(xml.size() - 1) + " bytes");
}

class DictionaryFile : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("kest_dictionary_" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const std::string& name, const std::string& content) {
        std::filesystem::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary);
        out << content;
        EXPECT_TRUE(out.good());
        return path;
    }

    static std::string FileError(const std::filesystem::path& path,
                                 const DictionaryLimits& limits = {}) {
        try {
            MessageDictionary::FromFile(path, limits);
        } catch (const DictionaryError& e) {
            return e.what();
        }
        return "(loaded)";
    }

    std::filesystem::path dir_;
};

TEST_F(DictionaryFile, LoadsAndNamesTheFileInErrors) {
    auto good = Write("good.xml", OneMessage("<U4>5</U4>"));
    MessageDictionary dictionary = MessageDictionary::FromFile(good);
    EXPECT_EQ(dictionary.NewPrimary("S1F1").Item(1), U4(5));

    auto bad = Write("bad.xml", OneMessage("<U4>x</U4>"));
    EXPECT_EQ(FileError(bad).rfind(bad.string() + ":3:1: <U4> in message S1F1:", 0), 0u)
        << FileError(bad);
}

TEST_F(DictionaryFile, MissingDirectoryAndOversizeFilesAreRefused) {
    auto missing = dir_ / "missing.xml";
    EXPECT_EQ(FileError(missing).rfind(missing.string() + ": cannot open the dictionary", 0), 0u)
        << FileError(missing);
    EXPECT_NE(FileError(dir_).find("not a regular file"), std::string::npos) << FileError(dir_);

    std::string xml = OneMessage("<A>" + std::string(200'000, 'x') + "</A>");
    auto big = Write("big.xml", xml);
    DictionaryLimits limits;
    limits.max_file_size = 100'000;
    EXPECT_EQ(FileError(big, limits), big.string() + ": larger than the limit of 100000 bytes");
    limits.max_file_size = xml.size();
    EXPECT_EQ(FileError(big, limits), "(loaded)");
}

}  // namespace
}  // namespace kest
