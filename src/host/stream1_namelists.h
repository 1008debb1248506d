#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// Discovery: what a host tool asks first to learn the equipment's data variables and events.
// IDs must be U4 items of one value, else S9F7; L,0 asks for all, GEM table first.

/// S1F21 data variable namelist request: {VID, DVVALNAME, UNITS} per data variable ("DV");
/// an ID that is not one gets zero-length name and units.
void ReplyS1F21(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S1F23 collection event namelist request: {CEID, CENAME, {VID}} per event, the VIDs of its
/// linked reports in link and report order, each once; an unknown CEID gets a zero-length name
/// and L,0.
void ReplyS1F23(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
