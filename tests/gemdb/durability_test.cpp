// A committed write survives the death of the process that made it: the child writes and is
// killed without closing anything; the parent opens the file afresh and finds the write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

enum class Death { Exit, Kill };

class Durability : public GemDbTest, public ::testing::WithParamInterface<Death> {};

TEST_P(Durability, CommittedWritesSurviveACrash) {
    db.reset();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        GEMDB writer(dir.Path());
        bool ok = writer.VariableSetField("SpoolCountTotal", FLDID_VARIABLE::VAR_VAL, "41", true);
        ok = ok && writer.EvtRptLinkReport(150, 1001, 1);
        writer.InsertECChanged("1", "TotalChanged", "1");
        if (!ok || writer.LastError().number != 0) ::_exit(3);
        if (GetParam() == Death::Kill) ::kill(::getpid(), SIGKILL);
        ::_exit(0);  // no destructors: the connection is never closed
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (GetParam() == Death::Kill) {
        ASSERT_TRUE(WIFSIGNALED(status));
    } else {
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "GEM.mdb-wal"))
        << "the writes are still in the log that nobody checkpointed";
    GEMDB reader(dir.Path());
    EXPECT_EQ(reader.VariableGetField("SpoolCountTotal", FLDID_VARIABLE::VAR_VAL, true),
              Variant("41"));
    EXPECT_EQ(reader.EvtRptGetReportList(150), std::vector<std::int32_t>{1001});
    EXPECT_EQ(reader.LastError().number, 0);
}

INSTANTIATE_TEST_SUITE_P(Deaths, Durability, ::testing::Values(Death::Exit, Death::Kill));

}  // namespace
}  // namespace kest::testing
