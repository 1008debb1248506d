#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kest {

class GemContext;
class SecsTransaction;

/// A handler of one host message: it validates the message, answers it and reports what the
/// application must know. It runs under the error trap of its own name ("Reply" + message name).
using HostHandler = void (*)(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// One row of a routing table: the message and its handler. A null handler is a routed message
/// whose handler is not built yet.
struct HostRoute {
    int stream = 0;
    int function = 0;
    HostHandler handler = nullptr;

    /// The handler's procedure name: "Reply" + the message name ("ReplyS1F3").
    std::string HandlerName() const;
};

/// The routed host primaries, in table order ("S1F1" first).
std::span<const HostRoute> PrimaryRoutes();
/// The routed secondaries, named by the primary's stream and the reply's function.
std::span<const HostRoute> SecondaryRoutes();

/// The route of primary S<stream>F<function>, or null when the table does not route it.
const HostRoute* FindPrimaryRoute(int stream, int function);
/// The route of a secondary named S<stream>F<function>, or null.
const HostRoute* FindSecondaryRoute(int stream, int function);
/// True when the primary table routes some function of `stream`.
bool IsRoutedStream(int stream);

/// The handler names of the routes in `routes` whose handler is not built yet, in table order.
std::vector<std::string> PendingHandlers(std::span<const HostRoute> routes);

}  // namespace kest
