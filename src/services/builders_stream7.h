#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kest {

class GemContext;

// The process program messages the equipment starts. Each goes directly to the driver (W-bit
// set, tag `tid`) and returns whether the driver took it; a failure inside is reported as
// "modSECS:" + the builder's name.

/// S7F1: L,2 {A PPID without leading and trailing blanks, U4 LENGTH}.
bool SECSTrans_S7F1(GemContext& control, const std::string& ppid, std::int32_t length,
                    std::int32_t tid);

/// S7F3: L,2 {A PPID, B the bytes of the program `ppid` below `directory`}, the file read
/// once, straight into the message. A file that cannot be read is error 75.
bool SECSTrans_S7F3(GemContext& control, const std::string& ppid, const std::string& directory,
                    std::int32_t tid);

/// S7F5: A PPID without leading and trailing blanks.
bool SECSTrans_S7F5(GemContext& control, const std::string& ppid, std::int32_t tid);

/// S7F17: L,n of A PPID in the order given; no identifier (L,0) means every program.
bool SECSTrans_S7F17(GemContext& control, const std::vector<std::string>& ppids, std::int32_t tid);

}  // namespace kest
