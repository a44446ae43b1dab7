#include "codec/KTarvexCommand.h"

#include "codec/ByteOrder.h"
#include "codec/Crc.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <utility>

namespace tarvex {
namespace {

// Packet length (header plus payload) of every command id the laser knows.
constexpr auto kLengthTable = [] {
    constexpr std::pair<std::uint16_t, std::uint16_t> groups[] = {
        {11, 5},     {11, 50},    {11, 53},    {11, 70},   {11, 78},    {11, 103},  {11, 152},
        {11, 202},   {11, 203},   {11, 1005},  {11, 1011}, {11, 1012},  {11, 1013}, {11, 1107},
        {11, 1108},  {12, 200},   {12, 207},   {12, 1001}, {12, 1002},  {12, 1007}, {12, 1022},
        {14, 7},     {14, 60},    {14, 61},    {14, 63},   {14, 208},   {14, 210},  {14, 1021},
        {14, 1023},  {15, 54},    {15, 102},   {15, 154},  {15, 156},   {15, 209},  {15, 213},
        {15, 216},   {15, 1004},  {15, 1024},  {16, 4},    {16, 76},    {16, 77},   {16, 79},
        {16, 153},   {16, 211},   {16, 1102},  {17, 71},   {17, 75},    {18, 1},    {18, 3},
        {19, 214},   {19, 1020},  {20, 215},   {21, 1018}, {22, 62},    {22, 105},  {22, 1009},
        {22, 1105},  {23, 51},    {23, 57},    {23, 58},   {23, 68},    {23, 72},   {23, 106},
        {23, 1015},  {23, 1016},  {23, 1017},  {24, 2},    {24, 66},    {24, 206},  {25, 1019},
        {25, 1104},  {28, 64},    {29, 205},   {30, 101},  {31, 9},     {31, 55},   {32, 52},
        {33, 1109},  {34, 100},   {34, 1003},  {36, 1000}, {36, 1101},  {38, 6},    {42, 1106},
        {44, 10},    {44, 201},   {44, 204},   {44, 1103}, {49, 59},    {66, 67},   {69, 73},
        {82, 155},   {84, 150},   {98, 8},     {121, 151}, {156, 1006}, {258, 56},  {336, 74},
        {519, 1010}, {955, 1008}, {1015, 212},
    };
    std::array<std::pair<std::uint16_t, std::uint16_t>, std::size(groups)> byId{};
    for (std::size_t i = 0; i < std::size(groups); ++i)
        byId[i] = {groups[i].second, groups[i].first};
    std::sort(byId.begin(), byId.end());
    return byId;
}();

const std::pair<std::uint16_t, std::uint16_t>* FindLength(std::uint16_t cmdID) {
    auto it =
        std::lower_bound(kLengthTable.begin(), kLengthTable.end(), cmdID,
                         [](const auto& entry, std::uint16_t id) { return entry.first < id; });
    return (it != kLengthTable.end() && it->first == cmdID) ? &*it : nullptr;
}

std::atomic<std::uint16_t> g_nextSequence{1};

} // namespace

KTarvexCommand::KTarvexCommand() {
    std::memset(payload_, 0, sizeof payload_);
}

KTarvexCommand::KTarvexCommand(std::uint16_t cmdID, std::uint8_t disposition) {
    std::memset(payload_, 0, sizeof payload_);
    header_.cmdID = cmdID;
    header_.disposition = disposition;
    // Unsigned 16-bit arithmetic: 65535 is followed by 0.
    header_.seqnum = g_nextSequence.fetch_add(1, std::memory_order_relaxed);
    header_.length = CommandLength(cmdID);
}

std::uint16_t KTarvexCommand::CommandLength(std::uint16_t cmdID) {
    const auto* entry = FindLength(cmdID);
    return entry ? entry->second : static_cast<std::uint16_t>(kHeaderSize);
}

std::uint16_t KTarvexCommand::ResponseLength(std::uint16_t cmdID) {
    switch (cmdID) {
    case 76:
        return 1015;
    case 77:
        return 915;
    case 1023:
        return 24;
    default:
        return CommandLength(cmdID);
    }
}

bool KTarvexCommand::IsKnownCommand(std::uint16_t cmdID) {
    return FindLength(cmdID) != nullptr;
}

bool KTarvexCommand::GetPacket(std::uint8_t* buffer, std::size_t& size) const {
    const std::size_t needed = std::size_t{header_.length} + kCrcSize;
    if (buffer == nullptr || size < needed || header_.length < kHeaderSize ||
        header_.length > kMaxPacketLength) {
        size = needed;
        return false;
    }
    buffer[0] = header_.reserved;
    be::PutU16(buffer + 1, header_.cmdID);
    buffer[3] = header_.disposition;
    be::PutU16(buffer + 4, header_.seqnum);
    be::PutU16(buffer + 6, header_.status);
    be::PutU16(buffer + 8, header_.length);
    std::memcpy(buffer + kHeaderSize, payload_, header_.length - kHeaderSize);
    be::PutU16(buffer + header_.length, Crc16(0, buffer, header_.length));
    size = needed;
    return true;
}

bool KTarvexCommand::ProcessPacket(const std::uint8_t* bytes, std::size_t count) {
    nak_ = false;
    // A packet shorter than a bare header cannot be loaded; one longer than the largest packet
    // would overrun the payload area.
    if (bytes == nullptr || count < kAckPacketSize || count > kMaxWireSize)
        return false;
    if (Crc16(0, bytes, count - kCrcSize) != be::GetU16(bytes + count - kCrcSize))
        return false;
    header_.reserved = bytes[0];
    header_.cmdID = be::GetU16(bytes + 1);
    header_.disposition = bytes[3];
    header_.seqnum = be::GetU16(bytes + 4);
    header_.status = be::GetU16(bytes + 6);
    header_.length = be::GetU16(bytes + 8);
    nak_ = (header_.disposition & kNakBit) != 0;
    std::memcpy(payload_, bytes + kHeaderSize, count - kAckPacketSize);
    return true;
}

std::uint16_t KTarvexCommand::PeekNextSequenceNumber() {
    return g_nextSequence.load(std::memory_order_relaxed);
}

void KTarvexCommand::SetNextSequenceNumber(std::uint16_t next) {
    g_nextSequence.store(next, std::memory_order_relaxed);
}

} // namespace tarvex
