#include "driver/secs_log.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "driver/driver_properties.h"
#include "secs/sml.h"

namespace kest {

namespace {

constexpr std::size_t kUndecodableDump = 1024;  // bytes of an undecodable body shown in hex
constexpr std::size_t kLoggedValues = 256;      // values of one item shown; the rest is counted

const char* DirectionWord(LogDirection direction) {
    return direction == LogDirection::Sent ? "SEND" : "RECV";
}

std::string HexBytes(std::span<const std::uint8_t> bytes, std::size_t limit) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    std::size_t shown = std::min(bytes.size(), limit);
    out.reserve(shown * 3);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    if (shown < bytes.size()) out += " ... (" + std::to_string(bytes.size()) + " bytes in all)";
    return out;
}

void AppendIndented(std::string& entry, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        entry += "  ";
        entry.append(text, start, end - start);
        entry += '\n';
        start = end + 1;
    }
}

}  // namespace

SecsLog::SecsLog(const DriverProperties& properties, std::shared_ptr<Clock> clock, SecsLogKind kind)
    : properties_(properties), clock_(std::move(clock)), kind_(kind) {}

SecsLog::~SecsLog() {
    CloseFile();
}

std::filesystem::path SecsLog::DailyFile(const std::filesystem::path& base, Clock::TimePoint t) {
    std::string extension = base.extension().string();
    if (extension.empty()) extension = ".log";
    std::string name = base.stem().string() + "_" + FormatLocal(t, "yyyy-mm-dd") + extension;
    return base.parent_path() / name;
}

bool SecsLog::Active() const noexcept {
    return properties_.LogEnabled() && !BasePath().empty();
}

std::filesystem::path SecsLog::BasePath() const {
    if (kind_ == SecsLogKind::SecsII) return properties_.SECSIILogFile();
    if (properties_.SECSILogPath().empty()) return {};
    return std::filesystem::path(properties_.SECSILogPath()) / "SECSI.log";
}

const char* SecsLog::Name() const noexcept {
    return kind_ == SecsLogKind::SecsII ? "SECS-II" : "SECS-I";
}

void SecsLog::Message(LogDirection direction, const MessageHeader& header,
                      const SecsMessage* message, std::span<const std::uint8_t> body,
                      std::string_view remark) {
    if (!Active()) return;
    auto now = clock_->Now();
    std::string entry = Stamp(now) + " " + DirectionWord(direction) + " S" +
                        std::to_string(header.stream) + "F" + std::to_string(header.function) +
                        (header.reply_expected ? " W" : "") +
                        " SystemBytes=" + SystemBytesText(header.system_bytes) +
                        " DeviceID=" + std::to_string(header.device_id);
    if (!remark.empty()) {
        entry += " (";
        entry += remark;
        entry += ")";
    }
    entry += '\n';
    if (message && message->BodyCount() > 0) {
        AppendIndented(entry, ToSmlAbridged(message->Item(1), kLoggedValues));
    }
    if (!message && !body.empty()) {
        entry += "  bytes: " + HexBytes(body, kUndecodableDump) + "\n";
    } else if (properties_.LogRawBytes() && !body.empty()) {
        entry += "  bytes: " + HexBytes(body, body.size()) + "\n";
    }
    Write(entry, now);
}

void SecsLog::Control(LogDirection direction, std::string_view what) {
    if (!Active()) return;
    auto now = clock_->Now();
    Write(Stamp(now) + " " + DirectionWord(direction) + " " + std::string(what) + "\n", now);
}

void SecsLog::Note(std::string_view text) {
    if (!Active()) return;
    auto now = clock_->Now();
    Write(Stamp(now) + " NOTE " + std::string(text) + "\n", now);
}

std::string SecsLog::Stamp(Clock::TimePoint now) {
    return FormatLocal(now, "yyyy/mm/dd hh:nn:ss.cc");
}

void SecsLog::Write(const std::string& entry, Clock::TimePoint now) {
    std::filesystem::path path = DailyFile(BasePath(), now);
    if (!file_ || path != open_path_) {
        CloseFile();
        std::error_code ignored;  // a directory that cannot be made shows as the open failure
        if (path.has_parent_path())
            std::filesystem::create_directories(path.parent_path(), ignored);
        file_ = std::fopen(path.c_str(), "ab");
        if (!file_) {
            Fail(std::string("Cannot open the ") + Name() + " log " + path.string() + ": " +
                 std::strerror(errno));
            return;
        }
        open_path_ = path;
    }
    if (std::fwrite(entry.data(), 1, entry.size(), file_) != entry.size() ||
        std::fflush(file_) != 0) {
        Fail(std::string("Cannot write the ") + Name() + " log " + path.string() + ": " +
             std::strerror(errno));
        CloseFile();
        return;
    }
    failing_ = false;
}

void SecsLog::CloseFile() noexcept {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    open_path_.clear();
}

void SecsLog::Fail(const std::string& text) {
    if (failing_) return;
    failing_ = true;
    if (on_failure_) on_failure_(text);
}

}  // namespace kest
