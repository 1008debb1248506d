// Feeds arbitrary text where outside data meets the GEM database: record write rules, format
// mnemonics and by-format comparisons of stored min/max texts, keys and values that reach SQL,
// and whole files handed to the database check. Every path must either succeed with its
// invariants intact or report a known error; anything else aborts.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "gemdb/database_setup.h"
#include "gemdb/gemdb.h"
#include "gemdb/record_text.h"
#include "gemdb/var_format.h"

namespace {

// One default database for the whole run, removed at exit.
struct Workspace {
    Workspace() {
        std::string pattern = "/tmp/kest-gemdb-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir = pattern;
        kest::CreateGemDatabase(dir / "GEM.mdb", false);
        db = std::make_unique<kest::GEMDB>(dir);
    }
    ~Workspace() {
        db.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir;
    std::unique_ptr<kest::GEMDB> db;
};

Workspace& Space() {
    static Workspace workspace;
    return workspace;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

// Up to four pieces separated by newlines.
std::vector<std::string> Pieces(std::string_view text) {
    std::vector<std::string> pieces;
    for (std::string_view piece : kest::Split(text, '\n')) {
        pieces.emplace_back(piece);
        if (pieces.size() == 4) break;
    }
    while (pieces.size() < 4)
        pieces.emplace_back();
    return pieces;
}

void RecordRules(std::string_view text) {
    std::string stored = kest::RecordText(text, 50, "NULL");
    Require(!stored.empty());
    Require(kest::CutToChars(stored, 50) == stored);
    Require(kest::Trim(stored) == stored);
    kest::KestRecVariable variable;
    variable.SetVarType(text);
    Require(variable.VarType() == "SV" || variable.VarType() == text);
}

void Comparison(const std::vector<std::string>& p) {
    int code = kest::FormatFromMnemonic(p[2]);
    Require(kest::FormatFromMnemonic(kest::FormatMnemonic(code)) == code);
    try {
        int order = kest::CompareByFormat(p[0], p[1], p[2]);
        Require(order >= -1 && order <= 1);
    } catch (const kest::KestException& e) {
        Require(e.Number() == kest::errc::kOverflow || e.Number() == kest::errc::kTypeMismatch);
    }
}

void Database(const std::vector<std::string>& p, std::uint8_t selector) {
    kest::GEMDB& db = *Space().db;
    // Values go in and come back byte for byte.
    db.SettingSetField("GEMDatabase", kest::FLDID_SETTING::SET_VALUE, p[0]);
    Require(db.SettingGetField("GEMDatabase", kest::FLDID_SETTING::SET_VALUE) ==
            kest::Variant(p[0]));

    // A name is data, never SQL: the alarm is found by it and deleted by it.
    kest::KestRecAlarm alarm;
    alarm.SetID(1);
    alarm.SetName(p[1]);
    Require(db.AlarmAddRecord(alarm));
    auto found = db.AlarmGetRecord(alarm.Name());
    Require(found.has_value() && found->ID() == 1);
    Require(db.AlarmDeleteRecord(alarm.Name()));
    Require(db.AlarmGetAll().empty());

    // A value checked against stored bounds by format: written, or refused with a known error.
    kest::KestRecVariable variable;
    variable.SetID(101);
    variable.SetVarFormat(kest::FormatFromMnemonic(p[2]) + (selector & 1));
    variable.SetMin(p[2]);
    variable.SetMax(p[3]);
    Require(db.VariableAddRecord(variable));
    if (db.VariableSetField(101, kest::FLDID_VARIABLE::VAR_VAL, p[0], false)) {
        Require(db.VariableGetField(101, kest::FLDID_VARIABLE::VAR_VAL, false) ==
                kest::Variant(p[0]));
    } else {
        int n = db.LastError().number;
        Require(n == 5010 || n == 5011 || n == kest::errc::kOverflow ||
                n == kest::errc::kTypeMismatch);
    }
    Require(db.VariableDeleteRecord(101));
}

void DatabaseFile(const std::uint8_t* data, std::size_t size) {
    std::filesystem::path path = Space().dir / "input.mdb";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        kest::GemDatabaseCheck check = kest::CheckGemDatabase(path);
        (void)check.Describe();
    } catch (const kest::KestException&) {
        // Not a database, or an unreadable one: reported with a clear error.
    }
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path.string() + suffix, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 4096) return 0;
    std::uint8_t selector = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (selector % 4) {
        case 0:
            RecordRules(text);
            break;
        case 1:
            Comparison(Pieces(text));
            break;
        case 2:
            Database(Pieces(text), selector);
            break;
        default:
            DatabaseFile(data + 1, size - 1);
            break;
    }
    return 0;
}
