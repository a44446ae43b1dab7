#include "SimLaser.h"

#include "DiagnosticReadings.h"
#include "SimKeptRecord.h"
#include "TuningModel.h"

namespace tarvex::sim {

namespace {

constexpr std::size_t kChannels = 4;

bool IsGalvoSlot(std::uint8_t slot) {
    return slot >= 1 && slot <= 5;
}

// What a module's interface self-test finds: every check passes on an installed module.
QclIfTest SelfTest(const SimState& state, std::uint8_t channel, bool installed) {
    QclIfTest result{.ch = channel};
    if (!installed)
        return result;
    result.inst = 1;
    result.results = 0x1F;
    result.dacV = 1.25f;
    result.drvPV = 5.02f;
    result.drvNV = -4.98f;
    result.qTemp = state.qcl[channel].tecTemp;
    result.hTemp = state.caseTemp1;
    return result;
}

} // namespace

void SimLaser::RegisterDiagnosticHandlers() {
    DiagnosticSimState& diag = state_.diagnostics;
    for (std::size_t i = 0; i < profile_.qcls.size() && i < kChannels; ++i) {
        const auto slot = static_cast<std::uint8_t>(i + 1);
        const QclProfile& q = profile_.qcls[i];
        diag.motion[i] = DefaultCalibration(q, slot);
        diag.testQclParams[i] = {.slot = slot,
                                 .tec_target_temp = q.setPointTemp,
                                 .period = 10000,
                                 .width = 100,
                                 .ww = (q.minWw + q.maxWw) / 2,
                                 .qcl_vsource = q.vsrc,
                                 .units = q.wwUnit};
        diag.tecChannel[i] = {.index = static_cast<std::uint8_t>(i), .on = 1, .direction = 1};
    }
    for (std::size_t i = 0; i < diag.testGalvo.size(); ++i)
        diag.testGalvo[i].slot = static_cast<std::uint8_t>(i + 1);
    const auto installed = [this](std::uint8_t slot) { return IsInstalled(profile_, slot); };

    // --- Per-module test mode, kept per slot ---
    handlers_[TestQclParams::kCmd] = [&diag, installed](const SimRequest& request,
                                                        SimReply& reply) {
        const std::uint8_t slot = RequestRecord<TestQclParams>(request).slot;
        if (!installed(slot))
            return Refuse(reply);
        ServeKeptRecord(request, reply, diag.testQclParams[slot - 1u]);
    };
    handlers_[TestQclInfo::kCmd] = [this, installed](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestRecord<TestQclInfo>(request).slot;
        if (!installed(slot))
            return Refuse(reply);
        const SimQcl& q = state_.qcl[slot - 1u];
        const bool lasing = state_.emission && state_.curQcl == slot;
        const std::uint8_t unit = profile_.qcls[slot - 1u].wwUnit;
        Answer(reply,
               TestQclInfo{.slot = slot,
                           .qcl_on_off = static_cast<std::uint8_t>(lasing ? 1 : 0),
                           .tec_enabled_disabled = 1,
                           .tec_current = q.tecCurrent,
                           .tec_temp = q.tecTemp,
                           .qcl_temp = q.tecTemp + (lasing ? 2.5f : 0.3f),
                           .qcl_vsource = q.vsrc.vsrc,
                           .actual_ww = FromMicrons(state_.scan.gratingMicrons[slot - 1u], unit),
                           .actual_ww_unit = unit});
    };
    handlers_[MotionTestParams::kCmd] = [&diag, installed](const SimRequest& request,
                                                           SimReply& reply) {
        const std::uint8_t slot = RequestRecord<MotionTestParams>(request).slot;
        if (!installed(slot))
            return Refuse(reply);
        ServeKeptRecord(request, reply, diag.motion[slot - 1u]);
    };
    // Each grating's encoder follows the wavelength its module was last tuned to.
    handlers_[Encoder::kCmd] = [this, installed](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestRecord<Encoder>(request).slot;
        if (!installed(slot))
            return Refuse(reply);
        Answer(reply, Encoder{.slot = slot,
                              .enc = EncoderCount(state_.diagnostics.motion[slot - 1u],
                                                  state_.scan.gratingMicrons[slot - 1u])});
    };
    handlers_[MoveDuration::kCmd] = [this, installed](const SimRequest& request, SimReply& reply) {
        const std::uint8_t index = RequestRecord<MoveDuration>(request).index;
        if (!installed(static_cast<std::uint8_t>(index + 1)))
            return Refuse(reply);
        Answer(reply, MoveDuration{.index = index, .duration = state_.scan.lastMoveMs[index]});
    };
    handlers_[TecMeas::kCmd] = [this, installed](const SimRequest& request, SimReply& reply) {
        const std::uint8_t index = RequestRecord<TecMeas>(request).index;
        if (!installed(static_cast<std::uint8_t>(index + 1)))
            return Refuse(reply);
        const SimQcl& q = state_.qcl[index];
        Answer(reply, TecMeas{.index = index,
                              .voltage = TecVolts(q.tecCurrent),
                              .current = q.tecCurrent,
                              .resistance = ThermistorOhms(q.tecTemp)});
    };

    // --- Galvo ---
    handlers_[TestGalvoParams::kCmd] = [&diag](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestRecord<TestGalvoParams>(request).slot;
        if (!IsGalvoSlot(slot))
            return Refuse(reply);
        ServeKeptRecord(request, reply, diag.testGalvo[slot - 1u]);
    };
    handlers_[kTestGalvoEnableCmd] = [&diag](const SimRequest& request, SimReply& reply) {
        ByteRecord kept{diag.testGalvoEnable};
        ServeKeptRecord(request, reply, kept);
        diag.testGalvoEnable = kept.value;
    };
    handlers_[GalvoLaserEnable::kCmd] = [&diag](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, diag.galvoLaser);
    };

    // --- Board readings ---
    handlers_[TestLaserInfo::kCmd] = [this](const SimRequest&, SimReply& reply) {
        Answer(reply, TestLaserInfo{.caseTemp1 = state_.caseTemp1,
                                    .caseTemp2 = state_.caseTemp2,
                                    .pcbTemp = state_.pcbTemp});
    };
    handlers_[SysTemps::kCmd] = [this](const SimRequest&, SimReply& reply) {
        Answer(reply, SysTemps{.pcbTemp = state_.pcbTemp,
                               .bTemp1 = state_.caseTemp1,
                               .bTemp2 = state_.caseTemp2,
                               .aux = state_.boardTemps.AuxTemp,
                               .humidity = 32.5f});
    };
    // The bus carries the TECs and, while emitting, the lasing module.
    handlers_[BusVoltages::kCmd] = [this](const SimRequest&, SimReply& reply) {
        float current = 0.6f;
        for (std::size_t i = 0; i < profile_.qcls.size() && i < kChannels; ++i)
            current += 0.5f * state_.qcl[i].tecCurrent;
        if (state_.emission && state_.curQcl != 0)
            current += state_.qcl[state_.curQcl - 1u].qclCurrent / 1000.0f * 0.5f;
        Answer(reply, BusVoltages{.busVoltage = 24.0f - 0.05f * current,
                                  .busCurrent = current,
                                  .v12 = 12.02f,
                                  .v3_3 = 3.31f,
                                  .v5 = 5.01f,
                                  .vMinus5 = -4.98f,
                                  .suppliesGood = 0x3F});
    };
    handlers_[SysVoltages::kCmd] = [](const SimRequest&, SimReply& reply) {
        Answer(reply,
               SysVoltages{.volts = {24.0f, 12.02f, 5.01f, 3.31f, -4.98f, 1.80f, 1.20f, 2.50f}});
    };
    handlers_[kInstalledSledsCmd] = [this](const SimRequest&, SimReply& reply) {
        const std::size_t n = std::min(profile_.qcls.size(), kChannels);
        Answer(reply, ByteRecord{static_cast<std::uint8_t>((1u << n) - 1u)});
    };

    // --- Board tests, per 0-based channel; an execute drives, a read reports ---
    handlers_[TecChannel::kCmd] = [this, installed](const SimRequest& request, SimReply& reply) {
        const auto asked = RequestRecord<TecChannel>(request);
        if (asked.index >= kChannels)
            return Refuse(reply);
        TecChannel& channel = state_.diagnostics.tecChannel[asked.index];
        channel.index = asked.index;
        if (request.disposition == kExecute) {
            channel.on = asked.on ? 1 : 0;
            channel.direction = asked.direction;
        }
        TecChannel answer = channel;
        if (installed(static_cast<std::uint8_t>(asked.index + 1)) && channel.on) {
            const SimQcl& q = state_.qcl[asked.index];
            answer.amps = q.tecCurrent;
            answer.volts = TecVolts(q.tecCurrent);
            answer.ohms = ThermistorOhms(q.tecTemp);
        }
        Answer(reply, answer);
    };
    handlers_[TecChannelDrive::kCmd] = [this, installed](const SimRequest& request,
                                                         SimReply& reply) {
        const auto asked = RequestRecord<TecChannelDrive>(request);
        if (asked.index >= kChannels)
            return Refuse(reply);
        TecChannelDrive& drive = state_.diagnostics.tecDrive[asked.index];
        drive.index = asked.index;
        if (request.disposition == kExecute) {
            drive.enable = asked.enable ? 1 : 0;
            drive.setValue = asked.setValue;
            drive.flag = asked.flag ? 1 : 0;
        }
        // The second value reports the current the channel draws.
        drive.secondValue = installed(static_cast<std::uint8_t>(asked.index + 1)) && drive.enable
                                ? state_.qcl[asked.index].tecCurrent
                                : 0.0f;
        Answer(reply, drive);
    };
    handlers_[QclIfTest::kCmd] = [this, installed](const SimRequest& request, SimReply& reply) {
        const std::uint8_t channel = RequestRecord<QclIfTest>(request).ch;
        if (channel >= kChannels)
            return Refuse(reply);
        QclIfTest& last = state_.diagnostics.qclIfTest[channel];
        if (request.disposition == kExecute)
            last = SelfTest(state_, channel, installed(static_cast<std::uint8_t>(channel + 1)));
        last.ch = channel;
        Answer(reply, last);
    };
}

} // namespace tarvex::sim
