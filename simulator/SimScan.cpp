#include "SimLaser.h"

#include "ScanEngine.h"
#include "SimKeptRecord.h"
#include "TuningModel.h"
#include "records/LaserRecords.h"

#include <string>

namespace tarvex::sim {

namespace {

bool IsScanMode(std::uint8_t mode) {
    switch (mode) {
    case scan_mode::kSingleTune:
    case scan_mode::kStepMeasure:
    case scan_mode::kMultiSpectral:
    case scan_mode::kSweep:
    case scan_mode::kAdvancedSweep:
        return true;
    default:
        return false;
    }
}

// The records as the laser holds them at power-up: the middle of the first module's range.
void InitializeScanRecords(ScanSimState& scan, const LaserProfile& profile) {
    for (std::size_t i = 0; i < profile.qcls.size() && i < scan.gratingMicrons.size(); ++i)
        scan.gratingMicrons[i] = (profile.qcls[i].MinMicrons() + profile.qcls[i].MaxMicrons()) / 2;
    if (profile.qcls.empty())
        return;
    const float low = profile.qcls.front().MinMicrons();
    const float high = profile.qcls.front().MaxMicrons();
    scan.singleWW = {.scan_ww = scan.gratingMicrons[0], .scan_ww_unit = units::kMicrons};
    scan.sweep = {.scan_start_ww = low,
                  .scan_start_unit = units::kMicrons,
                  .scan_stop_ww = high,
                  .scan_stop_unit = units::kMicrons,
                  .scan_speed = 0.1f,
                  .scan_speed_unit = units::kMicrons,
                  .num_scans = 1};
    scan.stepMeasure = {.scan_start = low,
                        .scan_start_unit = units::kMicrons,
                        .scan_stop = high,
                        .scan_stop_unit = units::kMicrons,
                        .step_size = 0.1f,
                        .step_size_unit = units::kMicrons,
                        .num_scans = 1};
    scan.multiSpectral.scan_ww_unit = units::kMicrons;
    scan.multiSpectral.num_scans = 1;
    scan.sweepAdvanced = {
        .units = units::kMicrons, .start = low, .stop = high, .speed = 0.1f, .numScans = 1};
    for (std::size_t ch = 0; ch < scan.wlTrig.size(); ++ch)
        scan.wlTrig[ch] = {.qclChan = static_cast<std::uint8_t>(ch), .unit = units::kMicrons};
}

} // namespace

void SimLaser::RegisterScanHandlers() {
    InitializeScanRecords(state_.scan, profile_);
    ScanSimState& scan = state_.scan;

    handlers_[scan_mode::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        if (request.disposition == kWrite) {
            const std::uint8_t mode = RequestRecord<ByteRecord>(request).value;
            if (!IsScanMode(mode))
                return Refuse(reply);
            scan.scanMode = mode;
        }
        Answer(reply, ByteRecord{scan.scanMode});
    };
    handlers_[SingleWWParams::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, scan.singleWW);
    };
    handlers_[SweepModeParams::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, scan.sweep);
    };
    handlers_[StepMeasureParams::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, scan.stepMeasure);
    };
    handlers_[SweepAdvancedParams::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, scan.sweepAdvanced);
    };
    handlers_[WlTrigPulseWidth::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, scan.wlTrigPulseWidth);
    };
    handlers_[MultiSpectralParams::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        if (request.payload.size() < MultiSpectralParams::kSize ||
            reply.payload.size() < MultiSpectralParams::kSize)
            return Refuse(reply);
        if (request.disposition == kWrite) {
            MultiSpectralParams written;
            wire::DecodeMultiSpectral(request.payload.data(), written);
            // The record holds 20 elements.
            if (written.num_ww > MultiSpectralParams::kMaxElements)
                return Refuse(reply);
            scan.multiSpectral = written;
        }
        wire::EncodeMultiSpectral(scan.multiSpectral, reply.payload.data());
    };
    // The wavelength trigger is kept per QCL channel; byte 0 names the channel.
    handlers_[WlTrigParams::kCmd] = [&scan](const SimRequest& request, SimReply& reply) {
        const auto asked = RequestRecord<WlTrigParams>(request);
        if (asked.qclChan >= scan.wlTrig.size())
            return Refuse(reply);
        ServeKeptRecord(request, reply, scan.wlTrig[asked.qclChan]);
    };

    handlers_[scan_operation::kCmd] = [this](const SimRequest& request, SimReply& reply) {
        ScanSimState& run = state_.scan;
        std::string why;
        switch (RequestRecord<ByteRecord>(request).value) {
        case scan_operation::kStart:
            if (!StartScanRun(state_, profile_, why))
                Refuse(reply);
            break;
        case scan_operation::kStop:
            StopScanRun(run);
            break;
        case scan_operation::kPause:
            if (!PauseScanRun(run))
                Refuse(reply);
            break;
        case scan_operation::kResume:
            if (!ResumeScanRun(run))
                Refuse(reply);
            break;
        case scan_operation::kManualStep:
            StepScanRun(state_, profile_);
            break;
        default:
            Refuse(reply);
            break;
        }
    };
    handlers_[ScanProgress::kCmd] = [&scan](const SimRequest&, SimReply& reply) {
        Answer(reply, ScanProgress{.indicator = ScanProgressBits(scan),
                                   .cur_scan_num = scan.scanNumber,
                                   .scan_percent = scan.percent});
    };
    // The pointer comes on only where one is fitted; the answer is its state.
    handlers_[kPointerEnableCmd] = [this](const SimRequest& request, SimReply& reply) {
        state_.pointerOn = state_.pointerFitted && RequestRecord<ByteRecord>(request).value != 0;
        Answer(reply, ByteRecord{static_cast<std::uint8_t>(state_.pointerOn ? 1 : 0)});
    };
}

void SimLaser::AdvanceScan(std::uint64_t dtMs) {
    AdvanceScanRun(state_, profile_, dtMs);
}

std::uint32_t SimLaser::ScanStatusBits() const {
    return ScanStatusMaskBits(state_.scan);
}

} // namespace tarvex::sim
