// Feeds arbitrary bytes to the HSMS frame reader, cut into pieces whose sizes the input chooses,
// copied in (odd sizes) or read into the room the reader offers (even sizes).
// Every frame that comes out must re-encode to exactly the bytes it was cut from, and its body
// must either decode as SECS-II or be refused with a codec error; the reader must never hold more
// than the bytes given.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "driver/hsms_frame.h"
#include "secs/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t chunk = data[0] % 32 + 1;
    std::span<const std::uint8_t> stream(data + 1, size - 1);
    constexpr std::size_t kMaxBody = 4096;
    kest::hsms::FrameReader reader(kMaxBody);
    kest::DecodeLimits limits;
    limits.max_message_size = kMaxBody;
    std::size_t consumed = 0;  // bytes of the stream accounted for by whole frames
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        std::size_t n = std::min(chunk, stream.size() - at);
        if (chunk % 2 == 1) {
            reader.Append(stream.subspan(at, n));
        } else {
            for (std::size_t fed = 0; fed < n;) {  // as a socket read: into the room given
                auto room = reader.Prepare(chunk);
                if (room.empty()) std::abort();  // a read into no room would end the link
                std::size_t count = std::min(room.size(), n - fed);
                std::memcpy(room.data(), stream.data() + at + fed, count);
                reader.Commit(count);
                fed += count;
            }
        }
        for (;;) {
            std::optional<kest::hsms::Frame> frame;
            try {
                frame = reader.Next();
            } catch (const kest::hsms::FrameError&) {
                return 0;  // the stream cannot go on after a bad length
            }
            if (!frame) break;
            if (frame->body.size() > kMaxBody) std::abort();
            auto again = kest::hsms::EncodeFrame(frame->header, frame->body);
            if (consumed + again.size() > stream.size() ||
                std::memcmp(again.data(), stream.data() + consumed, again.size()) != 0) {
                std::abort();
            }
            consumed += again.size();
            kest::SecsMessage message;
            try {
                kest::DecodeBody(frame->body, message, limits);
            } catch (const kest::SecsCodecError&) {
            }
        }
        if (consumed + reader.Buffered() != at + n) std::abort();
    }
    return 0;
}
