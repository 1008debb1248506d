#include "settings/serial_ports.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace kest {

namespace {

namespace fs = std::filesystem;

bool IsSerialName(std::string_view name) {
    static constexpr std::array<std::string_view, 3> kPrefixes{"ttyS", "ttyUSB", "ttyACM"};
    return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view prefix) {
        return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix;
    });
}

// Adds the entries of `dir` that `keep` accepts; false when the directory cannot be read.
template <typename Keep>
bool Collect(const fs::path& dir, std::vector<std::string>& out, Keep keep) {
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (keep(*it)) out.push_back(it->path().string());
    }
    return !ec;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The run of digits at the front of `s`, without leading zeros.
std::string_view DigitRun(std::string_view s, std::size_t& length) {
    length = 0;
    while (length < s.size() && IsDigit(s[length]))
        ++length;
    std::string_view run = s.substr(0, length);
    while (run.size() > 1 && run.front() == '0')
        run.remove_prefix(1);
    return run;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) noexcept {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t length_a = 0;
            std::size_t length_b = 0;
            std::string_view run_a = DigitRun(a.substr(i), length_a);
            std::string_view run_b = DigitRun(b.substr(j), length_b);
            // Without leading zeros, a longer run is the larger number.
            if (run_a.size() != run_b.size()) return run_a.size() < run_b.size();
            if (run_a != run_b) return run_a < run_b;
            i += length_a;
            j += length_b;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;  // equal by value ("ttyS01" and "ttyS1"): keep a total order
}

SerialPortScan ListSerialPorts(const fs::path& dev_root) {
    SerialPortScan scan;
    scan.complete = Collect(dev_root, scan.ports, [](const fs::directory_entry& entry) {
        std::error_code ec;
        return IsSerialName(entry.path().filename().string()) && !entry.is_directory(ec);
    });

    fs::path by_id = dev_root / "serial" / "by-id";
    std::error_code ec;
    if (fs::exists(by_id, ec)) {
        // A link whose device was unplugged dangles; it is not offered.
        bool read = Collect(by_id, scan.ports, [](const fs::directory_entry& entry) {
            std::error_code entry_ec;
            return entry.exists(entry_ec) && !entry.is_directory(entry_ec);
        });
        scan.complete = scan.complete && read;
    } else if (ec) {
        scan.complete = false;
    }
    std::sort(scan.ports.begin(), scan.ports.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    return scan;
}

}  // namespace kest
