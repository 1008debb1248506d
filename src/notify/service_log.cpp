#include "notify/service_log.h"

#include <array>
#include <system_error>

#include "base/error.h"

namespace kest {

namespace {

constexpr int kFileAccessError = 75;  // "Path/File access error" of the original runtime

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

clsLogInfo::clsLogInfo(std::filesystem::path path_name, std::shared_ptr<Clock> clock)
    : file_(clock), clock_(std::move(clock)) {
    SetPathName(std::move(path_name));
}

void clsLogInfo::SetPathName(std::filesystem::path path_name) {
    path_name_ = std::move(path_name);
    std::error_code ec;
    std::filesystem::create_directories(path_name_, ec);  // a failure shows on the first write
}

std::filesystem::path clsLogInfo::FileFor(const std::string& date) const {
    return path_name_ / (file_name_ + "_" + date + ".log");
}

std::filesystem::path clsLogInfo::CurrentFile() const {
    return FileFor(FormatLocal(clock_->Now(), "yyyy-mm-dd"));
}

void clsLogInfo::WriteLog(std::string_view text) {
    auto now = clock_->Now();
    std::string today = FormatLocal(now, "yyyy-mm-dd");
    if (today != last_date_) {
        DeleteBackup();
        last_date_ = today;
    }
    std::string line = FormatLocal(now, "yyyy/mm/dd hh:nn:ss.cc ");
    line.append(text);
    line += '\n';
    auto file = FileFor(today);
    if (file_.Append(file, line)) return;
    throw KestException(kFileAccessError, "Path/File access error: " + file.string());
}

void clsLogInfo::DeleteBackup() {
    if (purge_duration_ <= 0) return;
    namespace fs = std::filesystem;
    const std::array<std::string, 3> bases{file_name_, "SECSI", "SECSII"};
    auto now = clock_->Now();
    auto limit = std::chrono::hours(24) * purge_duration_;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(path_name_, ec)) {
        std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !EndsWith(name, ".log")) continue;
        bool matches = false;
        for (const auto& base : bases)
            matches = matches || StartsWith(name, base);
        if (!matches) continue;
        auto modified = std::chrono::file_clock::to_sys(fs::last_write_time(entry.path(), ec));
        if (ec) continue;
        if (now - modified > limit) fs::remove(entry.path(), ec);
    }
}

}  // namespace kest
