#pragma once

#include "files/FirmwareUpdateFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex::test {

// Deterministic image bytes that differ from record to record.
inline std::vector<std::uint8_t> ImageBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 73 + i / 16 + 5) & 0xFF);
    return bytes;
}

// The ".ufp" text of an image: 16 bytes per record as hexadecimal digits and CR LF.
inline std::string UfpText(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        text += digits;
        if (i % 16 == 15 || i + 1 == bytes.size())
            text += "\r\n";
    }
    return text;
}

// The bytes as the laser receives them.
inline std::vector<std::uint8_t> BitReversed(std::vector<std::uint8_t> bytes) {
    for (auto& b : bytes)
        b = ReverseBits(b);
    return bytes;
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace tarvex::test
