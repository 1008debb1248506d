#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>

namespace kest {
class KestServer;
}

namespace kest::equipment {

/// A small deposition chamber: wafers go through one after another, the temperature follows
/// its set point with some noise and now and then overshoots (raising and clearing the
/// over-temperature alarm), and every few wafers a lot is complete. The host starts, stops and
/// pauses it with remote commands.
class ProcessSimulator {
  public:
    enum class State { Idle, Executing, Paused };

    ProcessSimulator(asio::any_io_executor executor, std::shared_ptr<KestServer> server,
                     std::chrono::milliseconds cycle);

    /// Runs a step every cycle from now on, starting with the chamber executing.
    void Start();
    /// Stops stepping.
    void Stop();
    /// One step of the process.
    void Step();
    /// A remote command: "START", "STOP" or "PAUSE". False for any other.
    bool Command(const std::string& rcmd);
    /// Sends `count` "WaferCompleted" reports as fast as the link takes them (load tests), a
    /// chunk at a time so the replies are read in between.
    void Burst(std::int64_t count);

    State CurrentState() const noexcept { return state_; }
    std::int32_t Wafers() const noexcept { return wafers_; }

  private:
    void Arm();
    void SetState(State state);
    void Event(const char* name);
    void StepTemperature();
    void CheckAlarm();
    void StepWafer();
    double Noise();
    double Setting(std::int32_t vid, double fallback) const;
    void Store(std::int32_t vid, const std::string& value) const;

    asio::steady_timer timer_;
    std::shared_ptr<KestServer> server_;
    std::chrono::milliseconds cycle_;
    bool running_ = false;
    State state_ = State::Idle;
    double temperature_ = 25.0;
    bool over_temperature_ = false;
    std::uint32_t noise_state_ = 12345;
    std::int32_t step_ = 0;
    std::int32_t wafers_ = 0;
    std::int32_t wafer_in_lot_ = 0;
    std::int32_t lots_ = 0;
};

}  // namespace kest::equipment
