#pragma once

#include "records/DiagnosticRecords.h"

#include <array>
#include <cstdint>

namespace tarvex::sim {

// The factory and diagnostic settings the controller keeps as last written.
struct DiagnosticSimState {
    std::array<TestQclParams, 4> testQclParams{};
    std::array<TestGalvoParams, 5> testGalvo{}; // five galvo slots
    std::uint8_t testGalvoEnable = 0;
    std::array<MotionTestParams, 4> motion{};
    GalvoLaserEnable galvoLaser{.en = 0, .disp = GalvoLaserEnable::kDefaultDisplacement};
    // Board tests, per 0-based channel: the TEC switches and drives as last commanded and the
    // result of the last interface self-test.
    std::array<TecChannel, 4> tecChannel{};
    std::array<TecChannelDrive, 4> tecDrive{};
    std::array<QclIfTest, 4> qclIfTest{};
};

} // namespace tarvex::sim
