#include <gtest/gtest.h>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

// A communicating control whose link then drops, so refused messages meet the spool.
class Spooling : public ::testing::Test {
  protected:
    void Capacity(int capacity, bool overwrite) {
        h.Sql("UPDATE secs_gemvar SET var_max='" + std::to_string(capacity) +
              "' WHERE var_name='MaxSpoolTransmit'");
        h.SetGemVar("OverWriteSpool", overwrite ? "TRUE" : "FALSE");
    }
    void LoseLink() {
        h.Communicating();
        h.driver->RaiseDisconnect();
    }
    bool Refused(const char* name = "S6F11") {
        return !h.core->SendSECSTrans(h.driver->CreateTransaction(name), "NULL");
    }
    std::size_t Spooled() { return h.core->SpoolList().size(); }

    ControlHarness h;
};

TEST_F(Spooling, LosingTheLinkActivatesSpoolingAndSpoolsItsOwnEvent) {
    Capacity(10, false);
    LoseLink();
    EXPECT_EQ(h.GemVar("SpoolState"), "1");
    EXPECT_EQ(h.GemVar("SpoolLoadSubstate"), "6");
    EXPECT_EQ(h.GemVar("SpoolUnloadSubstate"), "5");
    EXPECT_EQ(h.GemVar("SpoolStartTime"), "2026120510000000");
    ASSERT_EQ(Spooled(), 1u);  // "GemSpoolingActivated" itself, refused while the port is down
    auto activated = h.Db().EventGetRecord("GemSpoolingActivated", true);
    ASSERT_TRUE(activated.has_value());
    EXPECT_EQ(h.core->SpoolList()[0]->Primary().Item(1).Item(2).Value().ToInt32(), activated->ID());
    EXPECT_EQ(h.GemVar("SpoolCountTotal"), "1");
    ASSERT_TRUE(Refused());
    h.driver->RaiseDisconnect();  // a second loss keeps the spool and reports nothing new
    EXPECT_EQ(Spooled(), 2u);
}

TEST_F(Spooling, DisabledSpoolingDropsRefusedMessages) {
    h.SetGemVar("ConfigSpool", 0);
    LoseLink();
    EXPECT_EQ(h.GemVar("SpoolState"), "2");
    EXPECT_TRUE(Refused());
    EXPECT_EQ(Spooled(), 0u);
}

TEST_F(Spooling, AFullSpoolWithoutOverwriteDropsNewMessages) {
    Capacity(3, false);
    LoseLink();  // 1: the activation event
    ASSERT_TRUE(Refused());
    ASSERT_TRUE(Refused());
    ASSERT_EQ(Spooled(), 3u);
    auto first = h.core->SpoolList().front();
    h.clock->Advance(std::chrono::seconds(5));
    ASSERT_TRUE(Refused());  // the fourth finds the spool full
    EXPECT_EQ(h.GemVar("SpoolLoadSubstate"), "7");
    EXPECT_EQ(h.GemVar("SpoolFullTime"), "2026120510000500");
    h.clock->Advance(std::chrono::seconds(5));
    ASSERT_TRUE(Refused());
    EXPECT_EQ(h.GemVar("SpoolFullTime"), "2026120510000500");  // unchanged
    EXPECT_EQ(Spooled(), 3u);
    EXPECT_EQ(h.core->SpoolList().front(), first);
    EXPECT_EQ(h.GemVar("SpoolCountTotal"), "3");
}

TEST_F(Spooling, AFullSpoolWithOverwriteReplacesTheOldest) {
    Capacity(3, true);
    LoseLink();
    ASSERT_TRUE(Refused());
    ASSERT_TRUE(Refused());
    auto second = h.core->SpoolList()[1];
    ASSERT_TRUE(Refused());
    EXPECT_EQ(Spooled(), 3u);
    EXPECT_EQ(h.core->SpoolList().front(), second);
    EXPECT_EQ(h.GemVar("SpoolCountTotal"), "4");
    EXPECT_EQ(h.GemVar("SpoolLoadSubstate"), "7");
}

TEST_F(Spooling, CapacityZeroIsFullAtOnce) {
    Capacity(0, false);
    LoseLink();
    EXPECT_EQ(h.GemVar("SpoolLoadSubstate"), "7");
    EXPECT_EQ(Spooled(), 0u);
}

TEST_F(Spooling, OnlySpoolableMessagesAreKept) {
    Capacity(10, false);
    LoseLink();
    ASSERT_TRUE(Refused("S1F1"));  // stream 1 is never spooled
    EXPECT_EQ(Spooled(), 1u);
    ASSERT_TRUE(h.Db().SFSetField(6, 11, FLDID_SECSTRANS::SPOOL_ENABLE, false));
    ASSERT_TRUE(Refused("S6F11"));
    EXPECT_EQ(Spooled(), 1u);
    ASSERT_TRUE(Refused("S5F1"));
    EXPECT_EQ(Spooled(), 2u);
}

TEST_F(Spooling, CommunicationFailureAloneActivatesSpooling) {
    Capacity(10, false);
    h.Communicating();
    h.SetGemVar("CommState", 1);  // the database's spool check runs after CommState 1
    EXPECT_EQ(h.GemVar("SpoolState"), "1");
}

}  // namespace
}  // namespace kest::test
