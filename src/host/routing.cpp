#include "host/routing.h"

#include <algorithm>
#include <array>

#include "host/queued_acknowledges.h"
#include "host/stream10_terminal.h"
#include "host/stream12_replies.h"
#include "host/stream14_handlers.h"
#include "host/stream1_handlers.h"
#include "host/stream1_namelists.h"
#include "host/stream2_clock.h"
#include "host/stream2_commands.h"
#include "host/stream2_constants.h"
#include "host/stream2_limits.h"
#include "host/stream2_reports.h"
#include "host/stream2_spool_reset.h"
#include "host/stream2_traces.h"
#include "host/stream5_alarms.h"
#include "host/stream6_handlers.h"
#include "host/stream7_handlers.h"
#include "secs/message.h"

namespace kest {

namespace {

// Every primary the host may send us. A row without a handler is admitted but answered with
// S9F5 until its handler exists; the dispatcher and the pending-list test read this one table.
constexpr std::array<HostRoute, 39> kPrimaryRoutes{{
    {1, 1, &ReplyS1F1},   {1, 3, &ReplyS1F3},   {1, 11, &ReplyS1F11}, {1, 13, &ReplyS1F13},
    {1, 15, &ReplyS1F15}, {1, 17, &ReplyS1F17}, {1, 21, &ReplyS1F21}, {1, 23, &ReplyS1F23},
    {2, 13, &ReplyS2F13}, {2, 15, &ReplyS2F15}, {2, 17, &ReplyS2F17}, {2, 21, &ReplyS2F21},
    {2, 23, &ReplyS2F23}, {2, 25, &ReplyS2F25}, {2, 29, &ReplyS2F29}, {2, 31, &ReplyS2F31},
    {2, 33, &ReplyS2F33}, {2, 35, &ReplyS2F35}, {2, 37, &ReplyS2F37}, {2, 39, &ReplyS2F39},
    {2, 41, &ReplyS2F41}, {2, 43, &ReplyS2F43}, {2, 45, &ReplyS2F45}, {2, 47, &ReplyS2F47},
    {2, 49, &ReplyS2F49}, {5, 3, &ReplyS5F3},   {5, 5, &ReplyS5F5},   {5, 7, &ReplyS5F7},
    {6, 15, &ReplyS6F15}, {6, 19, &ReplyS6F19}, {6, 23, &ReplyS6F23}, {7, 1, &ReplyS7F1},
    {7, 3, &ReplyS7F3},   {7, 5, &ReplyS7F5},   {7, 17, &ReplyS7F17}, {7, 19, &ReplyS7F19},
    {10, 3, &ReplyS10F3}, {10, 5, &ReplyS10F5}, {12, 4, &ReplyS12F4},
}};

// The host's replies that the handler owns (acknowledgements passed on to the equipment
// software, wafer-map data stored in the database). Rows without a handler are ignored.
constexpr std::array<HostRoute, 15> kSecondaryRoutes{{
    {12, 2, &ReplyS12F2},
    {12, 4, &ReplyS12F4},
    {12, 6, &ReplyS12F6},
    {12, 8, &ReplyS12F8},
    {12, 10, &ReplyS12F10},
    {12, 12, &ReplyS12F12},
    {12, 14, &ReplyS12F14},
    {12, 16, &ReplyS12F16},
    {12, 18, &ReplyS12F18},
    {5, 2, &ReplyS5F2},
    {6, 12, &ReplyS6F12},
    {7, 4, &ReplyS7F4},
    {7, 6, &ReplyS7F6},
    {10, 2, &ReplyS10F2},
    {14, 2, &ReplyS14F2},
}};

const HostRoute* Find(std::span<const HostRoute> routes, int stream, int function) {
    auto it = std::find_if(routes.begin(), routes.end(), [&](const HostRoute& route) {
        return route.stream == stream && route.function == function;
    });
    return it == routes.end() ? nullptr : &*it;
}

}  // namespace

std::string HostRoute::HandlerName() const {
    return "Reply" + MessageName(stream, function);
}

std::span<const HostRoute> PrimaryRoutes() {
    return kPrimaryRoutes;
}

std::span<const HostRoute> SecondaryRoutes() {
    return kSecondaryRoutes;
}

const HostRoute* FindPrimaryRoute(int stream, int function) {
    return Find(kPrimaryRoutes, stream, function);
}

const HostRoute* FindSecondaryRoute(int stream, int function) {
    return Find(kSecondaryRoutes, stream, function);
}

bool IsRoutedStream(int stream) {
    return std::any_of(kPrimaryRoutes.begin(), kPrimaryRoutes.end(),
                       [&](const HostRoute& route) { return route.stream == stream; });
}

std::vector<std::string> PendingHandlers(std::span<const HostRoute> routes) {
    std::vector<std::string> names;
    for (const HostRoute& route : routes) {
        if (route.handler == nullptr) names.push_back(route.HandlerName());
    }
    return names;
}

}  // namespace kest
