#include "ConfigImages.h"
#include "LaserRecords.h"
#include "ScanRecords.h"

#include <cstring>

#include <algorithm>
#include <initializer_list>

namespace tarvex {

const char* laser_mode::Name(std::uint8_t mode) {
    static constexpr const char* kNames[] = {"Pulsed",
                                             "CW",
                                             "CW + Modulation",
                                             "CW (MHF)",
                                             "CW (MHF) + Modulation",
                                             "CW Mode Release",
                                             "CW Mode Release + Modulation",
                                             "CW Filter 1",
                                             "CW Filter 2"};
    return mode >= 1 && mode <= std::size(kNames) ? kNames[mode - 1] : "";
}

namespace wire {

namespace {
void PutElement(const MultiSpectralElement& e, std::uint8_t* out, bool convert) {
    if (convert) {
        be::PutF32(out, e.scan_ww);
        be::PutU32(out + 4, e.dwell_time);
        be::PutU32(out + 8, e.after_off_time);
    } else {
        std::memcpy(out, &e.scan_ww, 4);
        std::memcpy(out + 4, &e.dwell_time, 4);
        std::memcpy(out + 8, &e.after_off_time, 4);
    }
}
void GetElement(const std::uint8_t* in, MultiSpectralElement& e, bool convert) {
    if (convert) {
        e.scan_ww = be::GetF32(in);
        e.dwell_time = be::GetU32(in + 4);
        e.after_off_time = be::GetU32(in + 8);
    } else {
        std::memcpy(&e.scan_ww, in, 4);
        std::memcpy(&e.dwell_time, in + 4, 4);
        std::memcpy(&e.after_off_time, in + 8, 4);
    }
}
} // namespace

void EncodeMultiSpectral(const MultiSpectralParams& record, std::uint8_t* out) {
    out[0] = record.num_ww;
    out[1] = record.scan_ww_unit;
    const std::size_t valid =
        std::min<std::size_t>(record.num_ww, MultiSpectralParams::kMaxElements);
    for (std::size_t i = 0; i < MultiSpectralParams::kMaxElements; ++i)
        PutElement(record.elements[i], out + 2 + 12 * i, i < valid);
    be::PutU16(out + 242, record.num_scans);
    be::PutU16(out + 244, record.keep_laser_on);
    out[246] = record.reserved[0];
    out[247] = record.reserved[1];
}

void DecodeMultiSpectral(const std::uint8_t* in, MultiSpectralParams& record) {
    record.num_ww = in[0];
    record.scan_ww_unit = in[1];
    const std::size_t valid =
        std::min<std::size_t>(record.num_ww, MultiSpectralParams::kMaxElements);
    for (std::size_t i = 0; i < MultiSpectralParams::kMaxElements; ++i)
        GetElement(in + 2 + 12 * i, record.elements[i], i < valid);
    record.num_scans = be::GetU16(in + 242);
    record.keep_laser_on = be::GetU16(in + 244);
    record.reserved = {in[246], in[247]};
}

} // namespace wire

namespace {

struct FieldRun {
    std::size_t first;
    std::size_t count;
    std::size_t width; // 2 or 4 bytes
    std::size_t step;
};

void Reverse(std::uint8_t* p, std::size_t width) {
    std::reverse(p, p + width);
}

void SwapRuns(std::uint8_t* base, std::initializer_list<FieldRun> runs) {
    for (const auto& run : runs)
        for (std::size_t i = 0; i < run.count; ++i)
            Reverse(base + run.first + i * run.step, run.width);
}

} // namespace

void SwapEepromPayload(std::uint8_t* payload) {
    SwapRuns(payload, {
                          {1, 1, 4, 4},     // always sent and kept as 0
                          {77, 8, 4, 4},    // u32
                          {109, 9, 4, 4},   // f32
                          {145, 2, 4, 4},   // u32
                          {153, 3, 4, 4},   // f32
                          {165, 6, 4, 4},   // u32
                          {189, 4, 2, 2},   // u16
                          {197, 5, 4, 4},   // f32
                          {217, 128, 2, 2}, // table of u16
                          {477, 7, 2, 2},   // u16
                          {537, 12, 4, 4},  // f32
                          {605, 2, 4, 4},   // u32
                          {665, 7, 2, 2},   // u16
                          {825, 11, 4, 4},  // u32
                          {869, 8, 2, 2},   // u16
                          {885, 5, 4, 4},   // u32
                          {905, 10, 4, 4},  // f32
                      });
}

void SwapSysConfig(std::uint8_t* image) {
    SwapRuns(image, {{81, 1, 4, 4}});
    for (std::size_t k = 0; k < 4; ++k)
        SwapRuns(image, {{86 + 12 * k, 3, 4, 4}});
    SwapRuns(image, {
                        {134, 2, 4, 4},
                        {143, 56, 2, 2},
                    });
    for (std::size_t k = 0; k < 4; ++k)
        SwapRuns(image, {{255 + 20 * k, 6, 2, 2}});
    SwapRuns(image, {
                        {335, 1, 2, 2},
                        {367, 4, 2, 2},
                        {375, 2, 2, 2},
                        {389, 4, 4, 4},
                        {405, 2, 2, 2},
                        {411, 2, 4, 4},
                    });
}

} // namespace tarvex
