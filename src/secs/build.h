#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "secs/item.h"

/// Item builders that read like SML: `L(U4(1), A("x"))` is `<L [2] <U4 1> <A "x">>`.
namespace kest::build {

template <typename... Items>
SecsItem L(Items&&... items) {
    SecsItem list;
    list.ReserveChildren(sizeof...(items));
    (list.AddItem(SecsItem(std::forward<Items>(items))), ...);
    return list;
}

/// An A item holding `text`.
SecsItem A(std::string_view text = {});
/// A J (JIS-8) item holding `text`.
SecsItem J(std::string_view text = {});
/// A B item holding the bytes given.
SecsItem B(std::initializer_list<std::uint8_t> bytes = {});
/// A BOOLEAN item holding the values given.
SecsItem Boolean(std::initializer_list<bool> values = {});

namespace detail {
template <enmItemFormat F, typename T>
SecsItem Numbers(std::initializer_list<T> values) {
    SecsItem item(F);
    for (T v : values)
        item.AddValue(Variant(v));
    return item;
}
}  // namespace detail

template <typename... T>
SecsItem I1(T... v) {
    return detail::Numbers<enmItemFormat::FormatI1, long long>({static_cast<long long>(v)...});
}
template <typename... T>
SecsItem I2(T... v) {
    return detail::Numbers<enmItemFormat::FormatI2, long long>({static_cast<long long>(v)...});
}
template <typename... T>
SecsItem I4(T... v) {
    return detail::Numbers<enmItemFormat::FormatI4, long long>({static_cast<long long>(v)...});
}
template <typename... T>
SecsItem I8(T... v) {
    return detail::Numbers<enmItemFormat::FormatI8, long long>({static_cast<long long>(v)...});
}
template <typename... T>
SecsItem U1(T... v) {
    return detail::Numbers<enmItemFormat::FormatU1, unsigned long long>(
        {static_cast<unsigned long long>(v)...});
}
template <typename... T>
SecsItem U2(T... v) {
    return detail::Numbers<enmItemFormat::FormatU2, unsigned long long>(
        {static_cast<unsigned long long>(v)...});
}
template <typename... T>
SecsItem U4(T... v) {
    return detail::Numbers<enmItemFormat::FormatU4, unsigned long long>(
        {static_cast<unsigned long long>(v)...});
}
template <typename... T>
SecsItem U8(T... v) {
    return detail::Numbers<enmItemFormat::FormatU8, unsigned long long>(
        {static_cast<unsigned long long>(v)...});
}
template <typename... T>
SecsItem F4(T... v) {
    return detail::Numbers<enmItemFormat::FormatF4, double>({static_cast<double>(v)...});
}
template <typename... T>
SecsItem F8(T... v) {
    return detail::Numbers<enmItemFormat::FormatF8, double>({static_cast<double>(v)...});
}

}  // namespace kest::build
