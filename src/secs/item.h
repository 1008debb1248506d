#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/variant.h"
#include "secs/format.h"

namespace kest {

/// One SECS-II item: a list of child items, or a format with zero, one or many values.
///
/// Positions count from 1 everywhere (children and values), as the message layouts are written.
/// Children are owned by their list and never move: a reference returned by `Item` or `AddItem`
/// stays valid until that child is removed, whatever else is added.
/// Values are kept as their wire bytes (big-endian), so encoding and decoding copy bytes only.
class SecsItem {
  public:
    /// A zero-length list.
    SecsItem() = default;
    /// A zero-length item of `format`.
    explicit SecsItem(enmItemFormat format) : format_(format) {}
    SecsItem(const SecsItem& other);
    SecsItem& operator=(const SecsItem& other);
    SecsItem(SecsItem&& other) noexcept = default;
    SecsItem& operator=(SecsItem&& other) noexcept = default;
    ~SecsItem() = default;

    /// The item's format.
    enmItemFormat Format() const noexcept { return format_; }
    /// Changes the format; the item loses its values and children.
    void SetFormat(enmItemFormat format);
    bool IsList() const noexcept { return format_ == enmItemFormat::FormatList; }

    /// Children of a list; values of any other format (characters of A and J).
    std::size_t Count() const noexcept;
    /// Read on a message's root item: the number of top-level items of the body (0 or 1 when
    /// well formed).
    std::size_t BodyCount() const noexcept { return Count(); }

    /// The child at `position` (from 1). Raises "Subscript out of range" (9) outside 1..Count.
    SecsItem& Item(std::size_t position);
    const SecsItem& Item(std::size_t position) const;
    /// Appends a zero-length list and returns it. Raises error 13 on a non-list item.
    SecsItem& AddItem();
    /// Appends a zero-length item of `format` and returns it.
    SecsItem& AddItem(enmItemFormat format);
    /// Inserts a zero-length list before `position` (Count + 1 appends) and returns it.
    SecsItem& AddItem(std::size_t position);
    /// Appends `child` and returns the appended item.
    SecsItem& AddItem(SecsItem child);
    /// Removes the child at `position` (from 1).
    void RemoveItem(std::size_t position);
    /// Removes every child or value.
    void Clear() noexcept;

    /// The value: the text of A and J; the first value of other formats; empty for a list or a
    /// zero-length item.
    Variant Value() const;
    /// The value at `position` (from 1); the whole text for A and J.
    Variant Value(std::size_t position) const;
    /// Replaces the values with one value converted to the item's format: A and J take text;
    /// BOOLEAN a Boolean; U4 drops the fraction; other integers round half to even; a value that
    /// does not fit raises "Overflow" (6), a non-numeric text "Type mismatch" (13).
    void SetValue(const Variant& value);
    /// Appends one converted value (A and J: appends the text).
    void AddValue(const Variant& value);

    /// The item's data as on the wire: big-endian values, or the characters of A and J.
    std::span<const std::uint8_t> Data() const noexcept;
    /// Replaces the data; its size must be a whole number of values of the format.
    void SetData(std::span<const std::uint8_t> data);
    /// Makes the data `size` bytes long and returns it to be filled in place, so that a file is
    /// read straight into a B item; `size` must be a whole number of values of the format.
    std::span<std::uint8_t> ResizeData(std::size_t size);
    /// The characters of an A or J item.
    std::string_view Text() const noexcept { return data_; }

    /// The item as text: integers in decimal, F4/F8 as the shortest text that reads back,
    /// BOOLEAN "True"/"False", several values joined with ",", a zero-length item as "".
    /// A list raises "Type mismatch" (13).
    std::string ToText() const;

    /// Deep equality of format, values and children.
    friend bool operator==(const SecsItem& a, const SecsItem& b);

    /// Iteration over the children of a list.
    class ChildIterator;
    class ConstChildIterator;
    ChildIterator begin() noexcept;
    ChildIterator end() noexcept;
    ConstChildIterator begin() const noexcept;
    ConstChildIterator end() const noexcept;

    /// Reserves room for `count` children (the decoder knows the count before it reads them).
    void ReserveChildren(std::size_t count) { children_.reserve(count); }
    /// Takes the wire bytes as they are; the caller has checked the size (decoder use).
    void AssignData(const std::uint8_t* data, std::size_t size);
    /// Takes `data` as the wire bytes without copying them (a file read straight into the
    /// buffer of a B item); the caller has checked the size.
    void AdoptData(std::string&& data) noexcept { data_ = std::move(data); }

  private:
    void RequireList() const;
    void RequireValues() const;
    void RequireWholeValues(std::size_t bytes) const;
    void AppendConverted(const Variant& value);

    enmItemFormat format_ = enmItemFormat::FormatList;
    std::string data_;
    std::vector<std::unique_ptr<SecsItem>> children_;
};

class SecsItem::ChildIterator {
  public:
    using Base = std::vector<std::unique_ptr<SecsItem>>::iterator;
    using iterator_category = std::forward_iterator_tag;
    using value_type = SecsItem;
    using difference_type = std::ptrdiff_t;
    using pointer = SecsItem*;
    using reference = SecsItem&;

    ChildIterator() = default;
    explicit ChildIterator(Base it) : it_(it) {}
    SecsItem& operator*() const { return **it_; }
    SecsItem* operator->() const { return it_->get(); }
    ChildIterator& operator++() {
        ++it_;
        return *this;
    }
    ChildIterator operator++(int) {
        auto copy = *this;
        ++it_;
        return copy;
    }
    friend bool operator==(const ChildIterator& a, const ChildIterator& b) = default;

  private:
    Base it_;
};

class SecsItem::ConstChildIterator {
  public:
    using Base = std::vector<std::unique_ptr<SecsItem>>::const_iterator;
    using iterator_category = std::forward_iterator_tag;
    using value_type = SecsItem;
    using difference_type = std::ptrdiff_t;
    using pointer = const SecsItem*;
    using reference = const SecsItem&;

    ConstChildIterator() = default;
    explicit ConstChildIterator(Base it) : it_(it) {}
    const SecsItem& operator*() const { return **it_; }
    const SecsItem* operator->() const { return it_->get(); }
    ConstChildIterator& operator++() {
        ++it_;
        return *this;
    }
    ConstChildIterator operator++(int) {
        auto copy = *this;
        ++it_;
        return copy;
    }
    friend bool operator==(const ConstChildIterator& a, const ConstChildIterator& b) = default;

  private:
    Base it_;
};

inline SecsItem::ChildIterator SecsItem::begin() noexcept {
    return ChildIterator(children_.begin());
}
inline SecsItem::ChildIterator SecsItem::end() noexcept {
    return ChildIterator(children_.end());
}
inline SecsItem::ConstChildIterator SecsItem::begin() const noexcept {
    return ConstChildIterator(children_.begin());
}
inline SecsItem::ConstChildIterator SecsItem::end() const noexcept {
    return ConstChildIterator(children_.end());
}

}  // namespace kest
