#pragma once

// Helpers for the driver tests: run the loop until something happened, a raw HSMS peer on a
// plain socket that checks exact bytes, and a recorder of the driver's events.

#include <asio/connect.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/secs_driver.h"
#include "secs/hex.h"

namespace kest::test {

using namespace std::chrono_literals;

/// Runs `io` until `done()` holds or `limit` passed; returns `done()`.
// The limits below only bound waits for things that must happen; they pass as soon as the thing
// does, so they are generous enough for a loaded CI machine.
inline bool RunUntil(asio::io_context& io, const std::function<bool()>& done,
                     std::chrono::milliseconds limit = 5000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        auto now = std::chrono::steady_clock::now();
        if (now >= end) return false;
        if (io.stopped()) io.restart();
        io.run_one_for(end - now);
    }
    return true;
}

/// Runs `io` for `span`, whatever happens (to show that nothing more comes).
inline void RunFor(asio::io_context& io, std::chrono::milliseconds span) {
    auto end = std::chrono::steady_clock::now() + span;
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
        if (io.stopped()) io.restart();
        io.run_one_for(end - now);
    }
}

/// One event as the driver raised it.
struct DriverEvent {
    std::string kind;  ///< "Connect", "Disconnect", "ReceivedPrimary", "ReceivedSecondary", "Error"
    int code = 0;
    std::string text;
    std::shared_ptr<SecsTransaction> transaction;
    DriverError error;  ///< the fields of an "Error"
};

/// Records every event; an optional hook reacts to each one as the control would.
class EventRecorder : public SecsDriverEvents {
  public:
    void Connect() override { Add({"Connect", 0, "", nullptr, {}}); }
    void Disconnect(int code, const std::string& text) override {
        Add({"Disconnect", code, text, nullptr, {}});
    }
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> t, int code,
                         const std::string& text) override {
        Add({"ReceivedPrimary", code, text, std::move(t), {}});
    }
    void ReceivedSecondary(std::shared_ptr<SecsTransaction> t, int code,
                           const std::string& text) override {
        Add({"ReceivedSecondary", code, text, std::move(t), {}});
    }
    void Error(const DriverError& e) override { Add({"Error", e.code, e.text, nullptr, e}); }

    std::size_t Count(const std::string& kind) const {
        std::size_t n = 0;
        for (const auto& e : events)
            n += e.kind == kind;
        return n;
    }
    /// The last event of `kind`, or null.
    const DriverEvent* Last(const std::string& kind) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->kind == kind) return &*it;
        }
        return nullptr;
    }
    /// The kinds in order, with codes: "Connect", "Error 3007", ...
    std::vector<std::string> Kinds() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            out.push_back(e.code ? e.kind + " " + std::to_string(e.code) : e.kind);
        return out;
    }

    std::vector<DriverEvent> events;
    std::function<void(const DriverEvent&)> on_event;

  private:
    void Add(DriverEvent e) {
        events.push_back(e);
        if (on_event) on_event(events.back());
    }
};

/// A peer on a plain socket that writes and reads exact HSMS bytes.
class RawPeer {
  public:
    explicit RawPeer(asio::io_context& io) : io_(io), socket_(io) {}

    /// Connects to 127.0.0.1:`port` (the kernel completes it without the driver's help).
    void Connect(std::uint16_t port) {
        socket_.connect({asio::ip::make_address("127.0.0.1"), port});
        NoDelay();
    }
    /// Frames go out at once rather than wait for the driver's delayed ACK.
    void NoDelay() { socket_.set_option(asio::ip::tcp::no_delay(true)); }
    asio::ip::tcp::socket& Socket() { return socket_; }
    bool IsConnected() const {
        std::error_code ec;
        socket_.remote_endpoint(ec);
        return !ec;
    }

    /// Writes the bytes given in hex ("00 00 00 0a ffff ...").
    void WriteHex(const std::string& hex) { Write(Hex(hex)); }
    void Write(const std::vector<std::uint8_t>& bytes) {
        asio::write(socket_, asio::buffer(bytes));
    }

    /// The next whole frame (length prefix included) as hex, or "" when none came in time.
    std::string ReadFrame(std::chrono::milliseconds limit = 5000ms) {
        std::vector<std::uint8_t> frame(4);
        bool done = false;
        bool failed = false;
        asio::async_read(socket_, asio::buffer(frame), [&](std::error_code ec, std::size_t) {
            if (ec) {
                failed = done = true;
                return;
            }
            std::size_t length =
                (std::size_t{frame[0]} << 24) | (frame[1] << 16) | (frame[2] << 8) | frame[3];
            frame.resize(4 + length);
            asio::async_read(socket_, asio::buffer(frame.data() + 4, length),
                             [&](std::error_code ec2, std::size_t) {
                                 failed = static_cast<bool>(ec2);
                                 done = true;
                             });
        });
        if (!RunUntil(
                io_, [&] { return done; }, limit)) {
            socket_.cancel();
            RunUntil(io_, [&] { return done; });
            return "";
        }
        return failed ? "" : ToHex(frame);
    }

    /// True when the driver closed the connection within `limit` (bytes before that are skipped).
    bool WaitClosed(std::chrono::milliseconds limit = 5000ms) {
        bool closed = false;
        bool done = false;
        std::function<void()> read_more;
        std::vector<std::uint8_t> sink(4096);
        read_more = [&] {
            socket_.async_read_some(asio::buffer(sink), [&](std::error_code ec, std::size_t) {
                if (ec) {
                    closed = ec != asio::error::operation_aborted;
                    done = true;
                    return;
                }
                read_more();
            });
        };
        read_more();
        if (!RunUntil(
                io_, [&] { return done; }, limit)) {
            socket_.cancel();
            RunUntil(io_, [&] { return done; });
        }
        return closed;
    }

    /// Resets the connection (RST instead of FIN).
    void Abort() {
        socket_.set_option(asio::socket_base::linger(true, 0));
        socket_.close();
    }
    void Close() {
        std::error_code ignored;
        socket_.close(ignored);
    }

  private:
    asio::io_context& io_;
    asio::ip::tcp::socket socket_;
};

/// A listening socket on 127.0.0.1 for drivers in active mode.
class RawListener {
  public:
    explicit RawListener(asio::io_context& io)
        : io_(io), acceptor_(io, {asio::ip::make_address("127.0.0.1"), 0}) {}

    std::uint16_t Port() const { return acceptor_.local_endpoint().port(); }

    /// Accepts one connection into `peer` within `limit`.
    bool Accept(RawPeer& peer, std::chrono::milliseconds limit = 5000ms) {
        bool done = false;
        bool ok = false;
        acceptor_.async_accept(peer.Socket(), [&](std::error_code ec) {
            ok = !ec;
            done = true;
            if (ok) peer.NoDelay();
        });
        if (!RunUntil(
                io_, [&] { return done; }, limit)) {
            acceptor_.cancel();
            RunUntil(io_, [&] { return done; });
        }
        return ok;
    }
    void Close() { acceptor_.close(); }

  private:
    asio::io_context& io_;
    asio::ip::tcp::acceptor acceptor_;
};

/// The four system bytes as hex ("00 00 00 21").
inline std::string SbHex(std::uint32_t sb) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x %02x %02x %02x", sb >> 24, (sb >> 16) & 0xFF,
                  (sb >> 8) & 0xFF, sb & 0xFF);
    return text;
}

// HSMS-SS control messages as E37 lays them out: length 10, session 0xFFFF, bytes 2-3, PType 0,
// SType, system bytes.
inline std::string ControlHex(unsigned stype, std::uint32_t sb, unsigned byte2 = 0,
                              unsigned byte3 = 0) {
    char text[48];
    std::snprintf(text, sizeof text, "00 00 00 0a ff ff %02x %02x 00 %02x ", byte2, byte3, stype);
    return text + SbHex(sb);
}

/// The system bytes of a frame given as hex (bytes 10 to 13 of the frame).
inline std::uint32_t SystemBytesOf(const std::string& frame_hex) {
    auto bytes = Hex(frame_hex);
    if (bytes.size() < 14) return 0;
    return (std::uint32_t{bytes[10]} << 24) | (std::uint32_t{bytes[11]} << 16) |
           (std::uint32_t{bytes[12]} << 8) | bytes[13];
}

}  // namespace kest::test
