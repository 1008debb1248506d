#include "secs/codec.h"

#include <cstring>

namespace kest {

namespace {

std::size_t LengthByteCount(std::size_t length) {
    if (length <= 0xFF) return 1;
    if (length <= 0xFFFF) return 2;
    if (length <= kMaxItemLength) return 3;
    throw SecsCodecError("item length " + std::to_string(length) + " exceeds 3 length bytes", 0);
}

std::size_t ItemLength(const SecsItem& item) {
    return item.IsList() ? item.Count() : item.Data().size();
}

void EncodeHeader(const SecsItem& item, std::vector<std::uint8_t>& out) {
    if (!IsWireFormat(item.Format())) {
        throw SecsCodecError(
            "format " + std::to_string(static_cast<int>(item.Format())) + " cannot be sent", 0);
    }
    std::size_t length = ItemLength(item);
    std::size_t n = LengthByteCount(length);
    out.push_back(static_cast<std::uint8_t>((static_cast<unsigned>(item.Format()) << 2) | n));
    for (std::size_t i = n; i-- > 0;)
        out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
}

void EncodeInto(const SecsItem& item, std::vector<std::uint8_t>& out) {
    EncodeHeader(item, out);
    if (item.IsList()) {
        for (const SecsItem& child : item)
            EncodeInto(child, out);
    } else {
        auto data = item.Data();
        out.insert(out.end(), data.begin(), data.end());
    }
}

class Decoder {
  public:
    Decoder(std::span<const std::uint8_t> bytes, const DecodeLimits& limits)
        : bytes_(bytes), limits_(limits) {}

    void DecodeOne(SecsItem& item, std::size_t depth) {
        if (depth > limits_.max_depth) {
            Fail("lists nested deeper than " + std::to_string(limits_.max_depth));
        }
        if (++items_ > limits_.max_items) {
            Fail("more than " + std::to_string(limits_.max_items) + " items");
        }
        std::size_t start = pos_;
        if (Remaining() < 1) Fail("truncated: item header expected");
        std::uint8_t format_byte = bytes_[pos_++];
        unsigned n = format_byte & 0x03;
        int code = format_byte >> 2;
        if (n == 0) FailAt(start, "length byte count of 0");
        auto format = FormatFromCode(code);
        if (!format || !IsWireFormat(*format)) {
            FailAt(start, "unknown format code " + std::to_string(code));
        }
        if (Remaining() < n) Fail("truncated: " + std::to_string(n) + " length bytes expected");
        std::size_t length = 0;
        for (unsigned i = 0; i < n; ++i)
            length = (length << 8) | bytes_[pos_++];

        item.SetFormat(*format);
        if (*format == enmItemFormat::FormatList) {
            // Every element takes at least two bytes, so a count beyond that is a lie.
            if (length > Remaining() / 2) {
                FailAt(start, "list of " + std::to_string(length) + " elements with only " +
                                  std::to_string(Remaining()) + " bytes left");
            }
            item.ReserveChildren(length);
            for (std::size_t i = 0; i < length; ++i)
                DecodeOne(item.AddItem(), depth + 1);
            return;
        }
        if (length > Remaining()) {
            FailAt(start, "truncated: " + std::to_string(length) + " data bytes claimed, " +
                              std::to_string(Remaining()) + " left");
        }
        std::size_t size = ElementSize(*format);
        if (length % size != 0) {
            FailAt(start, std::to_string(length) + " bytes are not whole " +
                              std::string(FormatName(*format)) + " values");
        }
        item.AssignData(bytes_.data() + pos_, length);
        pos_ += length;
    }

    void ExpectEnd() const {
        if (pos_ != bytes_.size()) {
            FailAt(pos_, std::to_string(bytes_.size() - pos_) + " trailing bytes after the item");
        }
    }

  private:
    std::size_t Remaining() const noexcept { return bytes_.size() - pos_; }
    [[noreturn]] void Fail(const std::string& what) const { FailAt(pos_, what); }
    [[noreturn]] static void FailAt(std::size_t offset, const std::string& what) {
        throw SecsCodecError("SECS-II decode error at byte " + std::to_string(offset) + ": " + what,
                             offset);
    }

    std::span<const std::uint8_t> bytes_;
    const DecodeLimits& limits_;
    std::size_t pos_ = 0;
    std::size_t items_ = 0;
};

void CheckSize(std::span<const std::uint8_t> bytes, const DecodeLimits& limits) {
    if (bytes.size() > limits.max_message_size) {
        throw SecsCodecError("SECS-II decode error: " + std::to_string(bytes.size()) +
                                 " bytes exceed the maximum message size of " +
                                 std::to_string(limits.max_message_size),
                             0);
    }
}

}  // namespace

std::size_t EncodedSize(const SecsItem& item) {
    std::size_t length = ItemLength(item);
    std::size_t size = 1 + LengthByteCount(length);
    if (item.IsList()) {
        for (const SecsItem& child : item)
            size += EncodedSize(child);
    } else {
        size += length;
    }
    return size;
}

void EncodeItem(const SecsItem& item, std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + EncodedSize(item));
    EncodeInto(item, out);
}

std::vector<std::uint8_t> EncodeItem(const SecsItem& item) {
    std::vector<std::uint8_t> out;
    EncodeItem(item, out);
    return out;
}

void EncodeBody(const SecsMessage& message, std::vector<std::uint8_t>& out) {
    const SecsItem& root = message.RootItem();
    if (root.Count() > 1) {
        throw SecsCodecError(message.Name() + " has " + std::to_string(root.Count()) +
                                 " top-level items; a body holds one",
                             0);
    }
    if (root.Count() == 1) EncodeItem(root.Item(1), out);
}

std::vector<std::uint8_t> EncodeBody(const SecsMessage& message) {
    std::vector<std::uint8_t> out;
    EncodeBody(message, out);
    return out;
}

SecsItem DecodeItem(std::span<const std::uint8_t> bytes, const DecodeLimits& limits) {
    CheckSize(bytes, limits);
    Decoder decoder(bytes, limits);
    SecsItem item;
    decoder.DecodeOne(item, 0);
    decoder.ExpectEnd();
    return item;
}

void DecodeBody(std::span<const std::uint8_t> bytes, SecsMessage& message,
                const DecodeLimits& limits) {
    SecsItem& root = message.RootItem();
    root.SetFormat(enmItemFormat::FormatList);
    if (bytes.empty()) return;
    root.AddItem(DecodeItem(bytes, limits));
}

}  // namespace kest
