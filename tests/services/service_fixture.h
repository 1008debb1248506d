#pragma once

// What the service tests share: reading the primaries the fake driver recorded, answering
// them as the host would, and reading the method notifications and the service log.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/secs_transaction.h"
#include "secs/build.h"
#include "support/control_harness.h"

namespace kest::test {

/// The transaction number a sent primary carries as its tag.
inline std::int32_t TagOf(const SecsTransaction& trans) {
    return trans.Tag().ToInt32();
}

/// The sent primaries named `name`, in order.
inline std::vector<std::shared_ptr<SecsTransaction>> SentNamed(const FakeDriver& driver,
                                                               const std::string& name) {
    std::vector<std::shared_ptr<SecsTransaction>> found;
    for (const auto& t : driver.sent) {
        if (t->Primary().Name() == name) found.push_back(t);
    }
    return found;
}

/// A host reply: stream, function and an optional body item.
inline SecsMessage Reply(int stream, int function) {
    return SecsMessage(stream, function, false);
}
inline SecsMessage Reply(int stream, int function, SecsItem body) {
    return SecsMessage(stream, function, false, std::move(body));
}

/// The TIDs of the recorded method notifications, in order.
inline std::vector<std::int32_t> MethodTIDs(const ControlHarness& h) {
    std::vector<std::int32_t> tids;
    for (const auto& m : h.methods)
        tids.push_back(m.TID);
    return tids;
}

/// Today's service log of the harness's control ("" when there is none).
inline std::string ServiceLog(const ControlHarness& h) {
    std::ifstream in(h.dir / "Log" / "KestTool_2026-12-05.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

/// The live transactions apart from the host-message handler.
inline std::size_t LiveTransactions(ControlHarness& h) {
    return h.core->Actions().Size() - 1;
}

}  // namespace kest::test
