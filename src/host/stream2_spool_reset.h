#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S2F43 reset spooling streams and functions L,n {L,2 {STRID, L,m {FCNID}}}: every entry is
/// checked before anything is written. L,0 stops all spooling; otherwise each stream named
/// spools exactly the functions listed. A refused entry is answered with RSPACK 1 and
/// {STRID, STRACK, {FCNID}}: 1 stream 1, 2 unknown stream, 3 unknown or unspoolable function,
/// 4 a reply function. S9F11 for an entry not of two, S9F7 for IDs that are not one U1 value.
void ReplyS2F43(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
