#pragma once

#include "records/IdentityRecords.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// What an update replaces: the byte sent with ExecFirmwareUpdate.
namespace update_type {
inline constexpr std::uint8_t kControllerMultiBoot = 1;
inline constexpr std::uint8_t kControllerProduction = 2;
inline constexpr std::uint8_t kMotionBoard = 4;
// Controller images go raw over the link; the motion board's go as commands.
inline constexpr bool IsController(std::uint8_t type) {
    return type == kControllerMultiBoot || type == kControllerProduction;
}
} // namespace update_type

// The update type a file is meant for, from tags in its path and name (case-sensitive, the
// first tag found decides); nothing for a file that carries none of them.
std::optional<std::uint8_t> UpdateTypeForFileName(std::string_view pathAndName);

// Motion-board updates need controller firmware 1.5.0 or later.
bool MotionBoardUpdateSupported(const FirmwareVersion& controller);

// Bit 7 becomes bit 0, bit 6 bit 1, and so on: the order the laser's flash takes.
std::uint8_t ReverseBits(std::uint8_t byte);

// A ".ufp" update file, checked whole before any byte of it goes to the laser.
//
// The file is a run of 34-byte records: 32 hexadecimal digits (16 bytes, high nibble first)
// and CR LF. The last record may be shorter: any even number of digits, with or without its
// line end, and line ends may follow it (an empty last line). The bytes are laid down from
// address 0 in file order and bit-reversed for sending.
class FirmwareUpdateFile {
public:
    static constexpr std::size_t kRecordSize = 34;
    static constexpr std::size_t kRecordDataBytes = 16;

    // Opens a regular file for reading; on failure says why in `error`.
    static bool Open(const std::filesystem::path& path, std::ifstream& in, std::string& error);
    // Reads and checks a file; on failure returns nothing and says why in `error`.
    static std::optional<FirmwareUpdateFile> Load(const std::filesystem::path& path,
                                                  std::string& error);
    // Checks a file's text; on failure returns nothing and says why in `error`.
    static std::optional<FirmwareUpdateFile> Parse(std::span<const std::uint8_t> text,
                                                   std::string& error);

    // ceil(file size / 34).
    std::size_t Records() const { return records_; }
    // The bytes as they are sent (bit-reversed), record r at [16 r, 16 r + RecordBytes(r)).
    const std::vector<std::uint8_t>& Data() const { return data_; }
    std::size_t RecordBytes(std::size_t record) const;
    const std::filesystem::path& Path() const { return path_; }
    // The last record ends without CR LF (tolerated, worth a note in the trace).
    bool LastRecordUnterminated() const { return lastUnterminated_; }

private:
    std::vector<std::uint8_t> data_;
    std::size_t records_ = 0;
    bool lastUnterminated_ = false;
    std::filesystem::path path_;
};

} // namespace tarvex
