#include "files/FirmwareUpdateFile.h"

#include "files/InputFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tarvex {
namespace {

// Far above any image the laser's flash can hold; keeps a wrong choice of file from filling
// memory.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

int HexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Shown(std::uint8_t c) {
    char text[8];
    if (c >= 0x20 && c < 0x7F)
        std::snprintf(text, sizeof text, "%c", c);
    else
        std::snprintf(text, sizeof text, "\\x%02X", c);
    return text;
}

std::string RecordError(std::size_t record, std::size_t offset, const std::string& what) {
    return "Invalid update file: record " + std::to_string(record + 1) + " (file offset " +
           std::to_string(offset) + ") " + what + ".";
}

bool IsLineEnd(std::uint8_t c) {
    return c == '\r' || c == '\n';
}

} // namespace

std::optional<std::uint8_t> UpdateTypeForFileName(std::string_view pathAndName) {
    const auto has = [&](std::string_view tag) {
        return pathAndName.find(tag) != std::string_view::npos;
    };
    if (has("Tarvex_PROM_MultiBoot"))
        return update_type::kControllerMultiBoot;
    if (has("Tarvex_PROM_prod"))
        return update_type::kControllerProduction;
    if (has("zuv_motion_prod") || has("tarvex2_motion_prod"))
        return update_type::kMotionBoard;
    return std::nullopt;
}

bool MotionBoardUpdateSupported(const FirmwareVersion& controller) {
    return controller.AtLeast(1, 5, 0);
}

std::uint8_t ReverseBits(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (byte & (1u << bit))
            reversed = static_cast<std::uint8_t>(reversed | (0x80u >> bit));
    return reversed;
}

std::size_t FirmwareUpdateFile::RecordBytes(std::size_t record) const {
    const std::size_t first = record * kRecordDataBytes;
    return first < data_.size() ? std::min(kRecordDataBytes, data_.size() - first) : 0;
}

std::optional<FirmwareUpdateFile> FirmwareUpdateFile::Parse(std::span<const std::uint8_t> text,
                                                            std::string& error) {
    // Line ends after the last digit close the file (an empty last line, say); they are no
    // record of data of their own.
    std::size_t content = text.size();
    while (content > 0 && IsLineEnd(text[content - 1]))
        --content;
    if (content == 0) {
        error = text.empty() ? "Invalid update file: the file is empty."
                             : "Invalid update file: the file holds no data.";
        return std::nullopt;
    }
    FirmwareUpdateFile file;
    file.records_ = (text.size() + kRecordSize - 1) / kRecordSize;
    file.data_.reserve(file.records_ * kRecordDataBytes);
    const std::size_t lastRecord = (content - 1) / kRecordSize;
    for (std::size_t r = 0; r <= lastRecord; ++r) {
        const std::size_t start = r * kRecordSize;
        const auto record = text.subspan(start, std::min(kRecordSize, text.size() - start));
        std::size_t digits = 2 * kRecordDataBytes;
        if (r < lastRecord) {
            if (record[32] != '\r' || record[33] != '\n') {
                error = RecordError(r, start + 32, "does not end in CR LF");
                return std::nullopt;
            }
        } else {
            digits = content - start;
            if (digits > 2 * kRecordDataBytes) {
                error = RecordError(r, start + 32, "does not end in CR LF");
                return std::nullopt;
            }
            if (digits % 2 != 0) {
                error = RecordError(r, start + digits - 1, "has an odd number of digits");
                return std::nullopt;
            }
            file.lastUnterminated_ =
                !(content + 2 <= text.size() && text[content] == '\r' && text[content + 1] == '\n');
        }
        for (std::size_t i = 0; i < digits; i += 2) {
            const int high = HexValue(record[i]);
            const int low = HexValue(record[i + 1]);
            if (high < 0 || low < 0) {
                error = RecordError(r, start + i,
                                    "holds \"" + Shown(record[i]) + Shown(record[i + 1]) +
                                        "\", which is not a pair of hexadecimal digits");
                return std::nullopt;
            }
            file.data_.push_back(ReverseBits(static_cast<std::uint8_t>(high << 4 | low)));
        }
    }
    return file;
}

bool FirmwareUpdateFile::Open(const std::filesystem::path& path, std::ifstream& in,
                              std::string& error) {
    switch (OpenInputFile(path, in)) {
    case InputFile::Opened:
        return true;
    case InputFile::NotRegular:
        error = "Unable to open file: it is not a regular file.";
        return false;
    default:
        error = "Unable to open file.";
        return false;
    }
}

std::optional<FirmwareUpdateFile> FirmwareUpdateFile::Load(const std::filesystem::path& path,
                                                           std::string& error) {
    std::ifstream in;
    if (!Open(path, in, error))
        return std::nullopt;
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (code) {
        error = "Unable to open file.";
        return std::nullopt;
    }
    if (size > kMaxFileSize) {
        error = "Invalid update file: the file is too large to be a firmware image.";
        return std::nullopt;
    }
    const std::vector<std::uint8_t> text((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    auto file = Parse(text, error);
    if (file)
        file->path_ = path;
    return file;
}

} // namespace tarvex
