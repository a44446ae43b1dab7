// The command transaction fed whatever the link returns: typed operations run against replies
// the input scripts, raw or shaped into packets that answer the last command, so that the
// checks behind the CRC and the parsers of every record see hostile content. An exchange the
// controller accepts must have been answered by a clean response to its own command.
#include "FuzzSupport.h"
#include "codec/ByteOrder.h"

#include <array>
#include <functional>

using namespace tarvex;

namespace {

// The link's far end, answering every read as the input says.
class ScriptedTransport final : public KWinTransport {
public:
    ScriptedTransport(fuzz::InputReader& input, bool throws) : input_(input), throws_(throws) {}

    void SetTimeouts(std::uint32_t, std::uint32_t) override {}
    void Close() override {}
    int Purge() override { return 0; }
    std::size_t SendByteList(const std::uint8_t* bytes, std::size_t count) override {
        if (count >= kHeaderSize) {
            sent_.cmdID = be::GetU16(bytes + 1);
            sent_.disposition = bytes[3];
            sent_.seqnum = be::GetU16(bytes + 4);
        }
        return count;
    }
    std::size_t ReadByteList(std::uint8_t* bytes, std::size_t count) override {
        std::vector<std::uint8_t> reply;
        switch (input_.Byte() % 4) {
        case 0: { // raw bytes
            const auto raw = input_.Bytes(count);
            reply.assign(raw.begin(), raw.end());
            break;
        }
        case 1: { // an ack or nak of the last command, its sequence number as the flags say
            const std::uint8_t flags = input_.Byte();
            PacketHeader ack = sent_;
            ack.disposition = static_cast<std::uint8_t>(sent_.disposition | (flags & kNakBit));
            ack.seqnum = static_cast<std::uint16_t>(sent_.seqnum + (flags & 1));
            ack.length = kHeaderSize;
            reply = fuzz::Packet(ack, {});
            break;
        }
        case 2: { // a response of the asked-for size, its payload zeros or the input's
            const std::uint8_t flags = input_.Byte();
            PacketHeader response = sent_;
            response.disposition = (flags & 2) != 0 ? input_.Byte() : kResponse;
            response.status = (flags & 4) != 0 ? input_.U16() : 0;
            response.seqnum = static_cast<std::uint16_t>(sent_.seqnum + (flags & 1));
            const std::size_t payloadSize = count >= kAckPacketSize ? count - kAckPacketSize : 0;
            response.length = static_cast<std::uint16_t>(kHeaderSize + payloadSize);
            std::vector<std::uint8_t> payload(payloadSize, 0);
            if ((flags & 8) != 0) {
                const auto given = input_.Bytes(payloadSize);
                std::copy(given.begin(), given.end(), payload.begin());
            }
            reply = fuzz::Packet(response, payload);
            break;
        }
        default: // silence
            break;
        }
        const std::size_t n = std::min(count, reply.size());
        std::copy_n(reply.begin(), n, bytes);
        if (n < count && throws_)
            throw NoBytesToRead{};
        return n;
    }

private:
    fuzz::InputReader& input_;
    const bool throws_;
    PacketHeader sent_;
};

using Operation = std::function<bool(KTarvexController&)>;

const std::array<Operation, 30> kOperations = {
    [](KTarvexController& c) { return c.ReadStatusMask(); },
    [](KTarvexController& c) { return c.ReadInfoSysInfo(); },
    [](KTarvexController& c) { return c.ReadWriteAdminParams(false); },
    [](KTarvexController& c) { return c.ReadWriteAdminQclParams(false); },
    [](KTarvexController& c) { return c.ReadFwVersion(); },
    [](KTarvexController& c) { return c.ReadMbFwVersion(); },
    [](KTarvexController& c) { return c.ReadInfoLight(); },
    [](KTarvexController& c) { return c.ReadQclInfoParam(); },
    [](KTarvexController& c) { return c.ReadInfoTemps(); },
    [](KTarvexController& c) { return c.ReadSystemErrorsList(); },
    [](KTarvexController& c) { return c.ReadScanProgress(); },
    [](KTarvexController& c) { return c.ReadWriteLaserParams(false); },
    [](KTarvexController& c) { return c.ReadWriteLaserQclParams(false); },
    [](KTarvexController& c) { return c.ReadLaserOnOff(); },
    [](KTarvexController& c) { return c.ReadWriteWwDisplayUnits(false); },
    [](KTarvexController& c) { return c.ReadWriteScanMode(false); },
    [](KTarvexController& c) { return c.ReadWriteSingleWWParams(false); },
    [](KTarvexController& c) { return c.ReadWriteSweepModeParams(false); },
    [](KTarvexController& c) { return c.ReadWriteStepMeasureParams(false); },
    [](KTarvexController& c) { return c.ReadWriteMultiSpectralParams(false); },
    [](KTarvexController& c) { return c.ReadSysNumSavedStates(); },
    [](KTarvexController& c) { return c.ReadSavedStateNames(); },
    [](KTarvexController& c) { return c.ReadWriteGlobalPreferences(false); },
    [](KTarvexController& c) { return c.ReadAllTestQclInfo(); },
    [](KTarvexController& c) { return c.ReadAllTestGalvoParams(); },
    [](KTarvexController& c) { return c.ReadBusVoltages(); },
    [](KTarvexController& c) { return c.ReadInstalledSleds(); },
    [](KTarvexController& c) { return c.ReadAllEEPROMData(); },
    [](KTarvexController& c) { return c.ReadWriteSysConfig(false); },
    [](KTarvexController& c) { return c.refresh(); },
};

// One exchange of a command the input names: accepted only on a clean response to it.
void CheckedExchange(KTarvexController& controller, fuzz::InputReader& input) {
    const std::uint16_t cmdID = input.U16();
    KTarvexCommand command(cmdID, static_cast<std::uint8_t>(1 + input.Byte() % 3));
    KTarvexCommand response;
    if (!controller.Exchange(command, response))
        return;
    const PacketHeader& got = response.GetHeader();
    fuzz::Check(got.cmdID == cmdID && got.seqnum == command.GetHeader().seqnum &&
                    got.disposition == kResponse && got.status == 0,
                "an exchange accepted a reply that is not the clean response to its command");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    // The panel's transports throw on a short read, the SDK's return a short count.
    const bool panel = (input.Byte() & 1) == 0;
    ManualClock clock;
    KTarvexController controller(panel ? ControllerProfile::Panel() : ControllerProfile::Sdk(),
                                 &clock);
    controller.AttachTransport(std::make_unique<ScriptedTransport>(input, panel));
    for (int step = 0; step < 64 && !input.Empty(); ++step) {
        const std::uint8_t choice = input.Byte();
        if (choice >= kOperations.size())
            CheckedExchange(controller, input);
        else
            kOperations[choice](controller);
    }
    return 0;
}
