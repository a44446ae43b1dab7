#pragma once

#include <algorithm>
#include <iterator>

namespace tarvex {

// Whether a table of {key, value} pairs is sorted by key, for a static_assert beside it.
template <typename Table> constexpr bool SortedByKey(const Table& table) {
    return std::is_sorted(std::begin(table), std::end(table),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
}

// The value of `key` in a table of {key, value} pairs sorted by key; `missing` without it.
template <typename Table, typename Key, typename Value>
constexpr Value FindByKey(const Table& table, Key key, Value missing) {
    const auto found = std::lower_bound(std::begin(table), std::end(table), key,
                                        [](const auto& entry, Key k) { return entry.first < k; });
    return found != std::end(table) && found->first == key ? found->second : missing;
}

} // namespace tarvex
