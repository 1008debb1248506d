#pragma once

#include <memory>
#include <string>

namespace kest {

class GemContext;
class SecsTransaction;

/// S7F23 (W-bit, the reply shaped as S7F24) for the program `ppid`, carrying the model and
/// software revision from the GEM variables "EquipmentModel" and "SoftwareRevision" and one
/// placeholder command: L,4 {A PPID, A MDLN, A SOFTREV, L,1 {L,2 {A "CCODE", L,1 {A "PPARM"}}}}.
std::shared_ptr<SecsTransaction> NewFormattedProgram(GemContext& control, const std::string& ppid);

}  // namespace kest
