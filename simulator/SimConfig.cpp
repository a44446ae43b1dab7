#include "SimLaser.h"
#include "codec/ByteOrder.h"
#include "codec/KTarvexCommand.h"

#include <algorithm>
#include <string>

namespace tarvex::sim {
namespace {

constexpr std::uint16_t kStatusRefused = 1;

// Bytes whose meaning the host does not know still carry something, so that a lost or moved
// byte shows in a round trip.
std::uint8_t Filler(std::size_t offset, unsigned seed) {
    return static_cast<std::uint8_t>((offset * 131u + seed * 29u + 7u) & 0xFFu);
}

void PutText(std::uint8_t* at, const std::string& text, std::size_t width) {
    std::fill_n(at, width, 0);
    std::copy_n(text.begin(), std::min(text.size(), width), at);
}

void PutFloats(std::uint8_t* at, std::initializer_list<float> values) {
    for (float value : values) {
        be::PutF32(at, value);
        at += 4;
    }
}

// One QCL module's EEPROM record: its serial number, limits and a grating calibration table.
std::array<std::uint8_t, kEepromPayloadSize> MakeEepromRecord(std::uint8_t slot,
                                                              const QclProfile& qcl) {
    std::array<std::uint8_t, kEepromPayloadSize> record;
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = Filler(i, slot);
    record[0] = slot;
    be::PutU32(&record[1], 0x0100u + slot); // the firmware's own write counter
    PutText(&record[5], qcl.serialNumber, 24);
    for (std::size_t i = 0; i < 8; ++i)
        be::PutU32(&record[77 + 4 * i], static_cast<std::uint32_t>(slot * 1000u + i * 17u));
    PutFloats(&record[109], {qcl.minDriveCurrent, qcl.maxDriveCurrent, qcl.minDriveCwCurrent,
                             qcl.maxDriveCwCurrent, qcl.setPointTemp, qcl.minDriveTemp,
                             qcl.maxDriveTemp, qcl.minWw, qcl.maxWw});
    for (std::size_t i = 0; i < 128; ++i)
        be::PutU16(&record[217 + 2 * i], static_cast<std::uint16_t>(12000u + i * 250u + slot));
    return record;
}

SysConfigImage MakeSysConfig(const LaserProfile& profile) {
    SysConfigImage image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = Filler(i, 0);
    PutText(&image[0], "TVXSYSCFG", kSysConfigModelOffset);
    PutText(&image[kSysConfigModelOffset], profile.modelNumber, kSysConfigTextLength);
    PutText(&image[kSysConfigSerialOffset], profile.serialNumber, kSysConfigTextLength);
    PutText(&image[60], profile.mfgDate, 10);
    be::PutU32(&image[81], static_cast<std::uint32_t>(profile.qcls.size()));
    for (std::size_t k = 0; k < 4; ++k)
        PutFloats(&image[86 + 12 * k], {1.0f + 0.01f * static_cast<float>(k), 0.5f, -0.25f});
    return image;
}

} // namespace

void SimLaser::RegisterConfigHandlers() {
    // The images the laser leaves the factory with.
    for (std::size_t index = 0; index < profile_.qcls.size() && index < 4; ++index)
        state_.config.eeprom[index] =
            MakeEepromRecord(static_cast<std::uint8_t>(index + 1), profile_.qcls[index]);
    state_.config.sysConfig = MakeSysConfig(profile_);

    handlers_[kEepromCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = request.payload[0];
        if (slot < 1 || slot > profile_.qcls.size() || slot > 4) {
            reply.status = kStatusRefused;
            return;
        }
        auto& record = state_.config.eeprom[slot - 1u];
        if (request.disposition == kWrite) {
            // The write counter is the firmware's own; everything else is taken as sent.
            const std::uint32_t writes = be::GetU32(&record[1]) + 1;
            std::copy_n(request.payload.begin(), kEepromPayloadSize, record.begin());
            be::PutU32(&record[1], writes);
            ++state_.config.eepromWrites[slot - 1u];
        }
        std::copy(record.begin(), record.end(), reply.payload.begin());
    };

    handlers_[kSysConfigCmd] = [this](const SimRequest& request, SimReply& reply) {
        auto& image = state_.config.sysConfig;
        if (request.disposition == kWrite) {
            std::copy_n(request.payload.begin(), kSysConfigSize, image.begin());
            ++state_.config.sysConfigWrites;
        }
        std::copy(image.begin(), image.end(), reply.payload.begin());
    };
}

} // namespace tarvex::sim
