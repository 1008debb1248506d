#pragma once

#include <cstdint>
#include <string_view>

namespace kest {

class GemContext;

// The wafer-map primaries the equipment sends. Each takes the dictionary's message, sets every
// leaf from the attribute of the same name in "secs_S12data_EquipToHost" (an attribute without
// a row or with an unknown format name keeps the dictionary's item), tags it with `tid` and
// hands it to the driver directly. Each returns whether it was handed over; a value that does
// not fit its format is reported through the error trap and sends nothing.

/// L,15 {MID, IDTYP, FNLOC, FFROT, ORLOC, RPSEL, L,n {REFP}, DUTMS, XDIES, YDIES, ROWCT, COLCT,
/// NULBC, PRDCT, PRAXI}: n points from "REFP_Count" when "REFP_Type" is 1, none otherwise.
bool SECSTrans_S12F1(GemContext& control, std::int32_t tid);
/// L,9 {MID, IDTYP, MAPFT, FNLOC, FFROT, ORLOC, PRAXI, BCEQU, NULBC}.
bool SECSTrans_S12F3(GemContext& control, std::int32_t tid);
/// L,4 {MID, IDTYP, MAPFT, MLCL}.
bool SECSTrans_S12F5(GemContext& control, std::int32_t tid);
/// L,3 {MID, IDTYP, L,n {L,2 {RSINF, BINLT}}}, n from "S12F7_Count".
bool SECSTrans_S12F7(GemContext& control, std::int32_t tid);
/// L,4 {MID, IDTYP, STRP, BINLT}.
bool SECSTrans_S12F9(GemContext& control, std::int32_t tid);
/// L,3 {MID, IDTYP, L,n {L,2 {XYPOS, BINLT}}}, n from "S12F11_Count".
bool SECSTrans_S12F11(GemContext& control, std::int32_t tid);
/// L,2 {MID, IDTYP}.
bool SECSTrans_S12F13(GemContext& control, std::int32_t tid);
/// L,2 {MID, IDTYP}.
bool SECSTrans_S12F15(GemContext& control, std::int32_t tid);
/// L,3 {MID, IDTYP, SDBIN}.
bool SECSTrans_S12F17(GemContext& control, std::int32_t tid);
/// L,2 {MAPER, DATLC}.
bool SECSTrans_S12F19(GemContext& control, std::int32_t tid);

/// The builder of odd function `function` ("1" ... "19"), or null for any other text.
using MapBuilder = bool (*)(GemContext&, std::int32_t);
MapBuilder FindMapBuilder(std::string_view function) noexcept;

}  // namespace kest
