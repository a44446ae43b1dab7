#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "codec/KTarvexCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tarvex;

namespace {

std::vector<std::uint8_t> Wire(const KTarvexCommand& command) {
    std::vector<std::uint8_t> bytes(kMaxWireSize);
    std::size_t size = bytes.size();
    EXPECT_TRUE(command.GetPacket(bytes.data(), size));
    bytes.resize(size);
    return bytes;
}

const std::uint8_t* Digits() {
    return reinterpret_cast<const std::uint8_t*>("123456789");
}

} // namespace

TEST(Checksums, MatchTheirCatalogueCheckValuesAndCrc16ContinuesWithTheSeed) {
    EXPECT_EQ(Crc16(0, Digits(), 9), 0xFEE8);
    EXPECT_EQ(Crc8(Digits(), 9), 0x0B);
    EXPECT_EQ(Crc16(0x1234, Digits(), 0), 0x1234);
    EXPECT_EQ(Crc8(Digits(), 0), 0xFF);
    EXPECT_EQ(Crc16(Crc16(0, Digits(), 4), Digits() + 4, 5), 0xFEE8);
}

TEST(CommandPacket, WorkedExampleIsByteExactAndASmallOrMissingBufferIsToldTheSizeNeeded) {
    KTarvexCommand::SetNextSequenceNumber(1);
    KTarvexCommand command(1, kRead);
    const std::vector<std::uint8_t> expected = {0x00, 0x00, 0x01, 0x01, 0x00, 0x01, 0x00,
                                                0x00, 0x00, 0x12, 0,    0,    0,    0,
                                                0,    0,    0,    0,    0x12, 0x40};
    EXPECT_EQ(Wire(command), expected);

    std::uint8_t buffer[19];
    std::size_t size = sizeof buffer;
    EXPECT_FALSE(command.GetPacket(buffer, size));
    EXPECT_EQ(size, 20u);
    size = 100;
    EXPECT_FALSE(command.GetPacket(nullptr, size));
    EXPECT_EQ(size, 20u);
}

TEST(CommandPacket, SequenceNumbersIncreaseAndWrapToZero) {
    KTarvexCommand::SetNextSequenceNumber(65534);
    EXPECT_EQ(KTarvexCommand(3, kRead).GetHeader().seqnum, 65534);
    EXPECT_EQ(KTarvexCommand(3, kRead).GetHeader().seqnum, 65535);
    EXPECT_EQ(KTarvexCommand(3, kRead).GetHeader().seqnum, 0);
    EXPECT_EQ(KTarvexCommand(3, kRead).GetHeader().seqnum, 1);
    // Receiving packets takes no number.
    KTarvexCommand empty;
    EXPECT_EQ(KTarvexCommand::PeekNextSequenceNumber(), 2);
}

TEST(CommandPacket, LengthsFollowTheCommandTable) {
    // An unknown id is a bare header: 12 bytes on the wire, CRC at byte 10.
    KTarvexCommand unknown(9999, kRead);
    auto bytes = Wire(unknown);
    ASSERT_EQ(bytes.size(), 12u);
    EXPECT_EQ(be::GetU16(&bytes[10]), Crc16(0, bytes.data(), 10));
    EXPECT_FALSE(KTarvexCommand::IsKnownCommand(9999));

    // A payload is sent as written, the CRC after it.
    KTarvexCommand command(51, kWrite);
    be::PutF32(command.GetData(), 7.25f);
    command.GetData()[9] = 2;
    bytes = Wire(command);
    ASSERT_EQ(bytes.size(), 25u);
    EXPECT_EQ(be::GetF32(&bytes[10]), 7.25f);
    EXPECT_EQ(bytes[19], 2);
    EXPECT_EQ(be::GetU16(&bytes[23]), Crc16(0, bytes.data(), 23));

    // The largest command fills the payload area exactly.
    KTarvexCommand largest(212, kWrite);
    std::memset(largest.GetData(), 0xA5, kMaxPayloadSize);
    bytes = Wire(largest);
    ASSERT_EQ(bytes.size(), 1017u);
    EXPECT_EQ(bytes[1014], 0xA5);

    // Responses longer or shorter than their commands.
    EXPECT_EQ(KTarvexCommand(76, kRead).GetCommandLength(), 16);
    EXPECT_EQ(KTarvexCommand(76, kRead).GetResponseLength(), 1015);
    EXPECT_EQ(KTarvexCommand(77, kRead).GetResponseLength(), 915);
    EXPECT_EQ(KTarvexCommand(1023, kRead).GetResponseLength(), 24);
    EXPECT_EQ(KTarvexCommand(150, kRead).GetResponseLength(), 84);
    EXPECT_EQ(KTarvexCommand::CommandLength(1008), 955);
    EXPECT_EQ(KTarvexCommand::CommandLength(1108), 11);
}

TEST(ReceivedPacket, LoadsHeaderAndPayloadUnlessTheCrcIsBadAndReportsTheNakBit) {
    KTarvexCommand sent(3, kRead);
    sent.GetHeader().disposition = kResponse;
    sent.GetHeader().status = 7;
    be::PutU32(sent.GetData(), 0x00012345);
    auto bytes = Wire(sent);

    KTarvexCommand received;
    ASSERT_TRUE(received.ProcessPacket(bytes.data(), bytes.size()));
    EXPECT_EQ(received.GetHeader().cmdID, 3);
    EXPECT_EQ(received.GetHeader().disposition, kResponse);
    EXPECT_EQ(received.GetHeader().seqnum, sent.GetHeader().seqnum);
    EXPECT_EQ(received.GetHeader().status, 7);
    EXPECT_EQ(received.GetHeader().length, 18);
    EXPECT_EQ(be::GetU32(received.GetData()), 0x00012345u);
    EXPECT_FALSE(received.IsNak());

    // A bad CRC loads nothing.
    KTarvexCommand other(1, kRead);
    auto bad = Wire(other);
    bad[5] ^= 0x01;
    EXPECT_FALSE(received.ProcessPacket(bad.data(), bad.size()));
    EXPECT_EQ(received.GetHeader().cmdID, 3);
    EXPECT_EQ(received.GetHeader().seqnum, sent.GetHeader().seqnum);
    EXPECT_EQ(be::GetU32(received.GetData()), 0x00012345u);

    // A NAK still loads its header.
    KTarvexCommand nak(5, kExecute);
    nak.GetHeader().length = 10;
    nak.GetHeader().disposition = 0x81;
    bytes = Wire(nak);
    ASSERT_TRUE(received.ProcessPacket(bytes.data(), bytes.size()));
    EXPECT_TRUE(received.IsNak());
    EXPECT_EQ(received.GetHeader().disposition, 0x81);
    EXPECT_EQ(received.GetHeader().cmdID, 5);

    // The flag does not stick to the next packet.
    KTarvexCommand ack(5, kExecute);
    ack.GetHeader().length = 10;
    bytes = Wire(ack);
    ASSERT_TRUE(received.ProcessPacket(bytes.data(), bytes.size()));
    EXPECT_FALSE(received.IsNak());
}

TEST(ReceivedPacket, CountsOutsideAnyPacketAreRefusedButTwelveZerosPassAsCommandZero) {
    std::uint8_t buffer[kMaxWireSize + 8] = {};
    KTarvexCommand received;
    EXPECT_FALSE(received.ProcessPacket(buffer, 11));
    EXPECT_FALSE(received.ProcessPacket(buffer, sizeof buffer));
    EXPECT_FALSE(received.ProcessPacket(nullptr, 12));
    received.GetHeader().cmdID = 7;
    EXPECT_TRUE(received.ProcessPacket(buffer, 12));
    EXPECT_EQ(received.GetHeader().cmdID, 0);
}
