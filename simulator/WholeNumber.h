#pragma once
// Whole numbers as the simulator's files, options and control lines write them: nothing before
// or after the digits, and within the range the field can hold.

#include <charconv>
#include <optional>
#include <string_view>

namespace tarvex::sim {

enum class NumberBase {
    kDecimal,
    kDecimalOrHex, // hexadecimal after "0x"
    kHex,          // with or without "0x"
};

template <typename T>
std::optional<T> WholeNumber(std::string_view text, T low, T high,
                             NumberBase base = NumberBase::kDecimal) {
    const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool hex = base == NumberBase::kHex || (base == NumberBase::kDecimalOrHex && prefixed);
    if (hex && prefixed)
        text.remove_prefix(2);
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, hex ? 16 : 10);
    if (error != std::errc{} || stop != end || value < static_cast<long long>(low) ||
        value > static_cast<long long>(high))
        return std::nullopt;
    return static_cast<T>(value);
}

} // namespace tarvex::sim
