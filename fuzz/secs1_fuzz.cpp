// Feeds arbitrary bytes to the SECS-I block reader and to the block protocol behind it. A block
// the reader completes must re-encode to exactly the bytes it was read from; the protocol, fed
// the same bytes with a timer expiry wherever the input has the byte 0xFF, must never deliver a
// message above its size limit nor write anything but line control and blocks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "driver/secs1_protocol.h"

namespace {

constexpr std::size_t kMaxBody = 2048;

class Line final : public kest::Secs1Link {
  public:
    void Write(std::span<const std::uint8_t> bytes) override {
        if (bytes.size() != 1 && (bytes.size() < 13 || bytes[0] + 3u != bytes.size())) std::abort();
    }
    void StartTimer(kest::Secs1Timer, std::chrono::milliseconds) override {}
    void StopTimer(kest::Secs1Timer) override {}
    void MessageArrived(const kest::MessageHeader&, std::span<const std::uint8_t> body) override {
        if (body.size() > kMaxBody) std::abort();
    }
    void MessageSent(const kest::MessageHeader&) override {}
    void SendFailed(const kest::MessageHeader&, int, const std::string&) override {}
    void ReceiveFailed(int, const std::string&) override {}
    void Trace(kest::LogDirection, const std::string&) override {}
};

void CheckReader(std::span<const std::uint8_t> stream) {
    kest::secs1::BlockReader reader;
    std::size_t start = 0;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        auto status = reader.Push(stream[i]);
        if (status == kest::secs1::BlockReader::Status::More) continue;
        if (status == kest::secs1::BlockReader::Status::Complete) {
            auto again = kest::secs1::EncodeBlock(reader.Take());
            if (again.size() != i + 1 - start ||
                std::memcmp(again.data(), stream.data() + start, again.size()) != 0) {
                std::abort();
            }
        }
        reader.Reset();
        start = i + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> stream(data, size);
    CheckReader(stream);
    Line line;
    kest::Secs1Settings settings;
    settings.device_id = 1;
    settings.max_body_size = kMaxBody;
    std::chrono::steady_clock::time_point now{};
    kest::Secs1Protocol protocol(settings, line, [&now] { return now; });
    protocol.Send({1, 1, 1, true, 1}, std::vector<std::uint8_t>(300, 0x41));
    for (std::uint8_t byte : stream) {
        if (byte == 0xFF) {
            now += std::chrono::seconds(60);
            protocol.Expired(kest::Secs1Timer::Line);
            protocol.Expired(kest::Secs1Timer::InterBlock);
            continue;
        }
        protocol.Received(std::span(&byte, 1));
    }
    return 0;
}
