#include "SimHandlerSupport.h"

#include <cmath>

namespace tarvex::sim {

namespace {

// Puts a code into a ring of 20: the newest at index - 1, the index wrapping from 20 to 1.
void PushRing(std::array<std::uint16_t, SystemErrorsList::kRingSize>& codes,
              std::uint16_t& numItems, std::uint16_t& index, std::uint16_t code) {
    constexpr auto kSize = static_cast<std::uint16_t>(SystemErrorsList::kRingSize);
    const std::uint16_t position = index % kSize;
    codes[position] = code;
    index = static_cast<std::uint16_t>(position + 1);
    if (numItems < kSize)
        ++numItems;
}

// The request's slot byte, for the per-slot readbacks.
std::uint8_t RequestSlot(const SimRequest& request) {
    return request.payload.empty() ? 0 : request.payload[0];
}

} // namespace

std::uint32_t SimLaser::ComposeStatusMask() const {
    const SimState& s = state_;
    std::uint32_t mask = 0;
    const auto set = [&mask](bool on, std::uint32_t bit) {
        if (on)
            mask |= bit;
    };
    set(s.interlockClosed, status::kInterlock);
    set(s.keySwitchOn, status::kKeySwitch);
    set(s.tecsAtTemperature, status::kTecsAtTemperature);
    set(s.activeFault, status::kSystemError);
    set(s.armed, status::kArmed);
    set(s.emission, status::kEmissionOn);
    set(s.caseTemp1Warning, status::kCaseTemp1Warning);
    set(s.caseTemp2Warning, status::kCaseTemp2Warning);
    set(s.pcbTempWarning, status::kPcbTempWarning);
    set(s.pointerFitted, status::kPointerFitted);
    set(s.pointerFitted && s.pointerOn, status::kPointerOn);
    return mask | ScanStatusBits();
}

void SimLaser::RegisterStatusHandlers() {
    handlers_[tarvex::StatusMask::kCmd] = [this](const SimRequest&, SimReply& reply) {
        tarvex::StatusMask record;
        record.mask = state_.statusOverride ? *state_.statusOverride : ComposeStatusMask();
        record.errorWord = state_.errorWord;
        Answer(reply, record);
    };

    handlers_[InfoLight::kCmd] = [this](const SimRequest&, SimReply& reply) {
        InfoLight light;
        light.light_out = state_.emission ? 1 : 0;
        light.light_valid = state_.lightValid ? 1 : 0;
        light.unit = state_.displayUnits.ww;
        light.current_ww = light.unit == units::kWavenumber
                               ? units::Convert(state_.wavelengthMicrons)
                               : state_.wavelengthMicrons;
        light.cur_qcl = state_.curQcl;
        Answer(reply, light);
    };

    // Per-slot readbacks: an empty slot reads as zeros.
    handlers_[QclInfoParam::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestSlot(request);
        if (!IsSlot(slot))
            return Refuse(reply);
        QclInfoParam record;
        record.qcl_slot = slot;
        if (IsInstalled(profile_, slot)) {
            const SimQcl& q = state_.qcl[slot - 1];
            record.actual_temp = q.tecTemp;
            record.actual_current = q.qclCurrent;
            record.actual_tec_current = q.tecCurrent * 1000.0f; // mA
            // The last byte is the TEC's temperature state: 1 far from its set point, 2 close
            // to it, 3 at it.
            const float off = std::fabs(q.params.temp - q.tecTemp);
            record.extra = off <= kTecSettledBand ? 3 : off <= kTecNearBand ? 2 : 1;
        }
        Answer(reply, record);
    };
    handlers_[QclInfoParam2::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestSlot(request);
        if (!IsSlot(slot))
            return Refuse(reply);
        QclInfoParam2 record;
        record.qcl_slot = slot;
        if (IsInstalled(profile_, slot)) {
            const SimQcl& q = state_.qcl[slot - 1];
            record.qclV = q.qclVoltage;
            record.qclVfet = q.fetVoltage;
            record.qclVsrc = state_.armed ? q.vsrc.vsrc : 0.0f;
            record.qclCurrent = q.qclCurrent;
            record.qclTemp = q.tecTemp;
        }
        Answer(reply, record);
    };

    handlers_[InfoTemps::kCmd] = [this](const SimRequest&, SimReply& reply) {
        Answer(reply, state_.boardTemps);
    };

    handlers_[SystemErrorsList::kCmd] = [this](const SimRequest&, SimReply& reply) {
        Answer(reply, state_.faultRings);
    };

    handlers_[kClearFaultCmd] = [this](const SimRequest& request, SimReply& reply) {
        const std::uint8_t action = request.payload.empty() ? 0 : request.payload[0];
        if (request.disposition != kExecute)
            return Refuse(reply);
        if (action == kClearActiveFault) {
            // A fault whose cause is still there comes straight back.
            if (!state_.faultCausePresent) {
                state_.activeFault = false;
                state_.errorWord = 0;
            }
        } else if (action == kClearFaultList) {
            state_.faultRings = SystemErrorsList{};
        } else {
            Refuse(reply);
        }
    };
}

void SimLaser::SetInterlock(bool closed) {
    std::lock_guard lock(mutex_);
    AdvanceTo(clock_.NowMs());
    state_.interlockClosed = closed;
}

void SimLaser::SetKeySwitch(bool on) {
    std::lock_guard lock(mutex_);
    AdvanceTo(clock_.NowMs());
    state_.keySwitchOn = on;
}

void SimLaser::SetPointerFitted(bool fitted) {
    std::lock_guard lock(mutex_);
    state_.pointerFitted = fitted;
}

void SimLaser::InjectError(std::uint16_t code) {
    std::lock_guard lock(mutex_);
    AdvanceTo(clock_.NowMs());
    SystemErrorsList& rings = state_.faultRings;
    PushRing(rings.errors, rings.errorsNumItems, rings.errorsIndex, code);
    state_.errorWord = code;
    state_.activeFault = true;
}

void SimLaser::InjectWarning(std::uint16_t code) {
    std::lock_guard lock(mutex_);
    SystemErrorsList& rings = state_.faultRings;
    PushRing(rings.warnings, rings.warningsNumItems, rings.warningsIndex, code);
}

void SimLaser::SetTemperatureWarning(int which, bool on) {
    std::lock_guard lock(mutex_);
    AdvanceTo(clock_.NowMs());
    switch (which) {
    case 1:
        state_.caseTemp1Warning = on;
        break;
    case 2:
        state_.caseTemp2Warning = on;
        break;
    case 3:
        state_.pcbTempWarning = on;
        break;
    default:
        break;
    }
}

} // namespace tarvex::sim
