#pragma once

// A scripted SECS-I line for the block protocol: what it wrote, its timers, what it delivered,
// and a clock that moves only when told.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "driver/secs1_protocol.h"
#include "secs/hex.h"

namespace kest::test {

class ScriptedLine : public Secs1Link {
  public:
    explicit ScriptedLine(Secs1Settings settings)
        : protocol(settings, *this, [this] { return now; }) {}

    void Write(std::span<const std::uint8_t> bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
    }
    void StartTimer(Secs1Timer timer, std::chrono::milliseconds after) override {
        timers[timer] = after;
    }
    void StopTimer(Secs1Timer timer) override { timers.erase(timer); }
    void MessageArrived(const MessageHeader& header, std::span<const std::uint8_t> body) override {
        arrived.push_back({header, {body.begin(), body.end()}});
    }
    void MessageSent(const MessageHeader& header) override { sent.push_back(header.system_bytes); }
    void SendFailed(const MessageHeader& header, int code, const std::string&) override {
        failures.push_back("send S" + std::to_string(header.stream) + "F" +
                           std::to_string(header.function) + " " + std::to_string(code));
    }
    void ReceiveFailed(int code, const std::string&) override {
        failures.push_back("receive " + std::to_string(code));
    }
    void Trace(LogDirection, const std::string&) override {}

    /// Everything written since the last call, in hex.
    std::string Out() {
        std::string hex = ToHex(written);
        written.clear();
        return hex;
    }
    void In(const std::string& hex) { protocol.Received(Hex(hex)); }
    void In(const std::vector<std::uint8_t>& bytes) { protocol.Received(bytes); }
    /// The timer runs out (the clock moves by its period first).
    void Expire(Secs1Timer timer) {
        now += timers.at(timer);
        timers.erase(timer);
        protocol.Expired(timer);
    }
    std::optional<std::chrono::milliseconds> Running(Secs1Timer timer) const {
        auto it = timers.find(timer);
        if (it == timers.end()) return std::nullopt;
        return it->second;
    }

    struct Arrival {
        MessageHeader header;
        std::vector<std::uint8_t> body;
    };
    std::chrono::steady_clock::time_point now{};
    std::vector<std::uint8_t> written;
    std::map<Secs1Timer, std::chrono::milliseconds> timers;
    std::vector<Arrival> arrived;
    std::vector<std::string> failures;
    std::vector<std::uint32_t> sent;
    Secs1Protocol protocol;
};

/// Connects two scripted lines: `Pump` carries what each wrote to the other until both are quiet.
inline void Pump(ScriptedLine& a, ScriptedLine& b) {
    while (!a.written.empty() || !b.written.empty()) {
        auto from_a = std::move(a.written);
        a.written.clear();
        auto from_b = std::move(b.written);
        b.written.clear();
        // Both writes cross on the line: each side sees the other's bytes after its own went out.
        if (!from_a.empty()) b.In(from_a);
        if (!from_b.empty()) a.In(from_b);
    }
}

}  // namespace kest::test
