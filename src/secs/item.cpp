#include "secs/item.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/error.h"
#include "base/text.h"

namespace kest {

namespace {

template <typename T>
void AppendBigEndian(std::string& out, T value) {
    using U = std::make_unsigned_t<T>;
    U bits = static_cast<U>(value);
    char bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bytes[sizeof(T) - 1 - i] = static_cast<char>(bits & 0xFF);
        bits = static_cast<U>(bits >> 8);
    }
    out.append(bytes, sizeof(T));
}

template <typename T>
T ReadBigEndian(const char* p) {
    using U = std::make_unsigned_t<T>;
    U bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bits = static_cast<U>((bits << 8) | static_cast<unsigned char>(p[i]));
    }
    return static_cast<T>(bits);
}

template <typename T>
T CheckedNarrow(std::int64_t value) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        ThrowOverflow();
    }
    return static_cast<T>(value);
}

// U4 takes the whole part of the number (12.7 gives 12), unlike the other integer formats.
std::uint32_t TruncatedU4(const Variant& value) {
    if (value.IsInteger()) return CheckedNarrow<std::uint32_t>(value.ToInt64());
    double d = std::trunc(value.ToDouble());
    if (!(d >= 0 && d <= 4294967295.0)) ThrowOverflow();
    return static_cast<std::uint32_t>(d);
}

float NarrowFloat(double d) {
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) ThrowOverflow();
    return static_cast<float>(d);
}

}  // namespace

SecsItem::SecsItem(const SecsItem& other) : format_(other.format_), data_(other.data_) {
    children_.reserve(other.children_.size());
    for (const auto& child : other.children_) {
        children_.push_back(std::make_unique<SecsItem>(*child));
    }
}

SecsItem& SecsItem::operator=(const SecsItem& other) {
    if (this != &other) {
        SecsItem copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void SecsItem::SetFormat(enmItemFormat format) {
    if (!FormatFromCode(static_cast<int>(format))) {
        ThrowInvalidArgument("unknown item format " + std::to_string(static_cast<int>(format)));
    }
    format_ = format;
    Clear();
}

std::size_t SecsItem::Count() const noexcept {
    if (IsList()) return children_.size();
    std::size_t size = ElementSize(format_);
    return size == 0 ? 0 : data_.size() / size;
}

void SecsItem::RequireList() const {
    if (!IsList()) ThrowTypeMismatch();
}

void SecsItem::RequireValues() const {
    if (IsList()) ThrowTypeMismatch();
}

SecsItem& SecsItem::Item(std::size_t position) {
    if (position < 1 || position > children_.size()) ThrowSubscriptOutOfRange();
    return *children_[position - 1];
}

const SecsItem& SecsItem::Item(std::size_t position) const {
    if (position < 1 || position > children_.size()) ThrowSubscriptOutOfRange();
    return *children_[position - 1];
}

SecsItem& SecsItem::AddItem() {
    return AddItem(SecsItem());
}

SecsItem& SecsItem::AddItem(enmItemFormat format) {
    return AddItem(SecsItem(format));
}

SecsItem& SecsItem::AddItem(std::size_t position) {
    RequireList();
    if (position < 1 || position > children_.size() + 1) ThrowSubscriptOutOfRange();
    auto it = children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(position - 1),
                               std::make_unique<SecsItem>());
    return **it;
}

SecsItem& SecsItem::AddItem(SecsItem child) {
    RequireList();
    children_.push_back(std::make_unique<SecsItem>(std::move(child)));
    return *children_.back();
}

void SecsItem::RemoveItem(std::size_t position) {
    RequireList();
    if (position < 1 || position > children_.size()) ThrowSubscriptOutOfRange();
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(position - 1));
}

void SecsItem::Clear() noexcept {
    children_.clear();
    data_.clear();
}

Variant SecsItem::Value() const {
    if (IsList() || data_.empty()) return {};
    return Value(1);
}

Variant SecsItem::Value(std::size_t position) const {
    if (IsList()) return {};
    if (IsTextFormat(format_)) {
        if (position != 1) ThrowSubscriptOutOfRange();
        return Variant(data_);
    }
    std::size_t size = ElementSize(format_);
    if (size == 0 || position < 1 || position > data_.size() / size) ThrowSubscriptOutOfRange();
    const char* p = data_.data() + (position - 1) * size;
    switch (format_) {
        case enmItemFormat::FormatBinary:
        case enmItemFormat::FormatU1:
            return Variant(int{ReadBigEndian<std::uint8_t>(p)});
        case enmItemFormat::FormatBoolean:
            return Variant(*p != 0);
        case enmItemFormat::FormatI1:
            return Variant(int{ReadBigEndian<std::int8_t>(p)});
        case enmItemFormat::FormatI2:
            return Variant(int{ReadBigEndian<std::int16_t>(p)});
        case enmItemFormat::FormatU2:
            return Variant(int{ReadBigEndian<std::uint16_t>(p)});
        case enmItemFormat::FormatI4:
            return Variant(int{ReadBigEndian<std::int32_t>(p)});
        case enmItemFormat::FormatU4:
            return Variant(static_cast<long long>(ReadBigEndian<std::uint32_t>(p)));
        case enmItemFormat::FormatI8:
            return Variant(static_cast<long long>(ReadBigEndian<std::int64_t>(p)));
        case enmItemFormat::FormatU8:
            return Variant(static_cast<unsigned long long>(ReadBigEndian<std::uint64_t>(p)));
        case enmItemFormat::FormatF4:
            return Variant(std::bit_cast<float>(ReadBigEndian<std::uint32_t>(p)));
        case enmItemFormat::FormatF8:
            return Variant(std::bit_cast<double>(ReadBigEndian<std::uint64_t>(p)));
        default:
            return {};
    }
}

void SecsItem::SetValue(const Variant& value) {
    RequireValues();
    std::string previous;
    previous.swap(data_);
    try {
        AppendConverted(value);
    } catch (...) {
        data_.swap(previous);  // a failed conversion leaves the item as it was
        throw;
    }
}

void SecsItem::AddValue(const Variant& value) {
    RequireValues();
    std::size_t size = data_.size();
    try {
        AppendConverted(value);
    } catch (...) {
        data_.resize(size);
        throw;
    }
}

void SecsItem::AppendConverted(const Variant& value) {
    switch (format_) {
        case enmItemFormat::FormatAscii:
        case enmItemFormat::FormatJIS8:
            data_ += value.ToText();
            return;
        case enmItemFormat::FormatBinary:
            AppendBigEndian(data_, value.ToByte());
            return;
        case enmItemFormat::FormatBoolean:
            data_.push_back(value.ToBool() ? '\x01' : '\x00');
            return;
        case enmItemFormat::FormatI1:
            AppendBigEndian(data_, CheckedNarrow<std::int8_t>(value.ToInt16()));
            return;
        case enmItemFormat::FormatU1:
            AppendBigEndian(data_, CheckedNarrow<std::uint8_t>(value.ToInt16()));
            return;
        case enmItemFormat::FormatI2:
            AppendBigEndian(data_, value.ToInt16());
            return;
        case enmItemFormat::FormatU2:
            AppendBigEndian(data_, CheckedNarrow<std::uint16_t>(value.ToInt32()));
            return;
        case enmItemFormat::FormatI4:
            AppendBigEndian(data_, value.ToInt32());
            return;
        case enmItemFormat::FormatU4:
            AppendBigEndian(data_, TruncatedU4(value));
            return;
        case enmItemFormat::FormatI8:
            AppendBigEndian(data_, value.ToInt64());
            return;
        case enmItemFormat::FormatU8:
            AppendBigEndian(data_, value.ToUInt64());
            return;
        case enmItemFormat::FormatF4:
            AppendBigEndian(data_, std::bit_cast<std::uint32_t>(NarrowFloat(value.ToDouble())));
            return;
        case enmItemFormat::FormatF8:
            AppendBigEndian(data_, std::bit_cast<std::uint64_t>(value.ToDouble()));
            return;
        default:
            ThrowTypeMismatch();  // a list or the variable format holds no values
    }
}

std::span<const std::uint8_t> SecsItem::Data() const noexcept {
    return {reinterpret_cast<const std::uint8_t*>(data_.data()), data_.size()};
}

void SecsItem::RequireWholeValues(std::size_t bytes) const {
    RequireValues();
    std::size_t size = ElementSize(format_);
    if (size == 0 || bytes % size != 0) {
        ThrowInvalidArgument(std::to_string(bytes) + " bytes are not whole " +
                             std::string(FormatName(format_)) + " values");
    }
}

void SecsItem::SetData(std::span<const std::uint8_t> data) {
    RequireWholeValues(data.size());
    AssignData(data.data(), data.size());
}

std::span<std::uint8_t> SecsItem::ResizeData(std::size_t size) {
    RequireWholeValues(size);
    data_.resize(size);
    return {reinterpret_cast<std::uint8_t*>(data_.data()), data_.size()};
}

void SecsItem::AssignData(const std::uint8_t* data, std::size_t size) {
    data_.assign(reinterpret_cast<const char*>(data), size);
}

std::string SecsItem::ToText() const {
    RequireValues();
    if (IsTextFormat(format_)) return data_;
    std::string out;
    std::size_t count = Count();
    for (std::size_t i = 1; i <= count; ++i) {
        if (i > 1) out += ',';
        if (format_ == enmItemFormat::FormatF4) {
            out += FormatFloat(static_cast<float>(Value(i).ToDouble()));
        } else {
            out += Value(i).ToText();
        }
    }
    return out;
}

bool operator==(const SecsItem& a, const SecsItem& b) {
    if (a.format_ != b.format_ || a.data_ != b.data_ || a.children_.size() != b.children_.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.children_.size(); ++i) {
        if (!(*a.children_[i] == *b.children_[i])) return false;
    }
    return true;
}

}  // namespace kest
