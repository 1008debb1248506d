#pragma once

// Shared test set-up: a fresh default GEM database in a temporary program directory, and a
// listener that records what GEMDB reports.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gemdb/database_setup.h"
#include "gemdb/gemdb.h"

namespace kest::testing {

/// A temporary directory, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

/// Everything GEMDB told its parent, in order.
class RecordingEvents : public GEMDBEvents {
  public:
    struct Error {
        std::string source;
        int number;
        std::string text;
    };
    struct State {
        std::string service;
        std::string state;
    };

    void GEMDBError(const std::string& source, int number, const std::string& text) override {
        errors.push_back({source, number, text});
    }
    void GEMDBStateChanged(const std::string& service, const std::string& state) override {
        states.push_back({service, state});
        log.push_back("state " + service + " " + state);
    }
    void GEMDBSpoolCheck() override {
        ++spool_checks;
        log.push_back("spool check");
    }

    std::vector<Error> errors;
    std::vector<State> states;
    int spool_checks = 0;
    std::vector<std::string> log;
};

/// A fresh default database "GEM.mdb" in a temporary program directory, opened by a GEMDB
/// with a recording parent.
class GemDbTest : public ::testing::Test {
  protected:
    GemDbTest();

    /// The number of the last error reported to the parent (0 when none).
    int LastErrorNumber() const {
        return events->errors.empty() ? 0 : events->errors.back().number;
    }
    /// Runs `sql` on a connection of its own, as another tool would change the file.
    void Sql(const std::string& sql) const;
    /// True when no error was reported.
    bool NoErrors() const { return events->errors.empty(); }
    /// Checks that exactly one error was reported, with `number` and, when given, `text` and
    /// `source`.
    void ExpectOnlyError(int number, const std::string& text = "",
                         const std::string& source = "") const {
        ASSERT_EQ(events->errors.size(), 1u);
        EXPECT_EQ(events->errors[0].number, number);
        if (!text.empty()) {
            EXPECT_EQ(events->errors[0].text, text);
        }
        if (!source.empty()) {
            EXPECT_EQ(events->errors[0].source, source);
        }
    }

    TempDir dir;
    std::filesystem::path db_path;
    std::shared_ptr<RecordingEvents> events;
    std::unique_ptr<GEMDB> db;
};

}  // namespace kest::testing
