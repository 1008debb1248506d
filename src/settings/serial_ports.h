#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// The serial devices found under a device directory.
struct SerialPortScan {
    /// Full paths ("/dev/ttyS0", "/dev/serial/by-id/usb-..."), sorted with numbers in numeric
    /// order (ttyS2 before ttyS10).
    std::vector<std::string> ports;
    /// False when a directory could not be read; `ports` then holds what was found.
    bool complete = true;
};

/// Lists the serial devices under `dev_root` ("/dev"): its `ttyS*`, `ttyUSB*` and `ttyACM*`
/// entries and the links in `serial/by-id` whose device is present. A missing `serial/by-id`
/// is normal (no USB adapters); a directory that exists but cannot be read makes the scan
/// incomplete.
SerialPortScan ListSerialPorts(const std::filesystem::path& dev_root);

/// Orders texts with runs of digits compared by their value, otherwise bytewise.
bool NaturalLess(std::string_view a, std::string_view b) noexcept;

}  // namespace kest
