#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S14F2 attribute data, the host's answer to our S14F1: on success (OBJACK 0, no errors) the
/// first attribute's bytes of the first object become the file OBJID in the recipe directory
/// ("PPDirectory"), "ObjectID" becomes OBJID and OBJID + ":Downloaded" is queued; on failure
/// OBJID + ":" + the first error text is queued and nothing is written. A malformed reply gets
/// S9F7. An OBJID that is not a plain file name, or a missing directory, is a file error (75)
/// and writes nothing.
void ReplyS14F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
