#include "KTarvexController.h"

#include "Trace.h"

#include <algorithm>
#include <cmath>

namespace tarvex {

namespace {

// The laser takes QCL slots 1 to 4; anything else means "no preference".
std::uint8_t PreferredQcl(std::uint8_t qcl) {
    return qcl > kMaxQcls ? 0 : qcl;
}

bool IsWavelengthUnit(std::uint8_t unit) {
    return unit == units::kMicrons || unit == units::kWavenumber;
}

bool IsPositive(float value) {
    return std::isfinite(value) && value > 0.0f;
}

void TraceRecord(const SingleWWParams& r) {
    Trace("[Single WW Params] scan_time_duration = %ld, scan_ww = %f, scan_ww_unit = %x qcl = %u",
          static_cast<long>(r.scan_time_duration), static_cast<double>(r.scan_ww), r.scan_ww_unit,
          r.qcl);
}

void TraceRecord(const SweepModeParams& r) {
    Trace("[Sweep Mode Params] num scans = %d, scan_speed = %f, scan_speed_unit = %d, "
          "scan_start_ww = %f, scan_start_unit = %d scan_stop_ww = %f scan_stop_unit = %d "
          "qcl = %i",
          r.num_scans, static_cast<double>(r.scan_speed), r.scan_speed_unit,
          static_cast<double>(r.scan_start_ww), r.scan_start_unit,
          static_cast<double>(r.scan_stop_ww), r.scan_stop_unit, r.qcl);
}

void TraceRecord(const StepMeasureParams& r) {
    Trace("[Internal Step and Measure Params] num_scans = %d, scan_start = %f scan_start_unit = "
          "%d scan_stop = %f scan_stop_unit = %d, step_size = %f, step_size_unit = %d, "
          "enable_params = 0x%X",
          r.num_scans, static_cast<double>(r.scan_start), r.scan_start_unit,
          static_cast<double>(r.scan_stop), r.scan_stop_unit, static_cast<double>(r.step_size),
          r.step_size_unit, r.enable_params);
}

void TraceRecord(const MultiSpectralParams& r) {
    Trace("[Internal Multi Spectral Params] num_scans = %d, num_ww = %d, scan_ww_unit = %d",
          r.num_scans, r.num_ww, r.scan_ww_unit);
    const std::size_t valid = std::min<std::size_t>(r.num_ww, MultiSpectralParams::kMaxElements);
    for (std::size_t i = 0; i < valid; ++i) {
        const auto& e = r.elements[i];
        Trace("[Internal Multi Spectral Params - element %d] after_off_time = %ld, dwell_time = "
              "%ld, scan_ww = %f",
              static_cast<int>(i), static_cast<long>(e.after_off_time),
              static_cast<long>(e.dwell_time), static_cast<double>(e.scan_ww));
    }
}

void TraceRecord(const SweepAdvancedParams& r) {
    Trace("[Sweep Advanced Mode Params] units = %u, NumScans = %u, speed = %f, start WL = %f, "
          "stop WL = %f bidir = %u",
          r.units, r.numScans, static_cast<double>(r.speed), static_cast<double>(r.start),
          static_cast<double>(r.stop), r.bidir);
    for (unsigned channel = 0; channel < r.used.size(); ++channel)
        Trace("\tQCL[%u], Start: %f, Stop: %f, Used: %s", channel,
              static_cast<double>(r.channelStart[channel]),
              static_cast<double>(r.channelStop[channel]), r.used[channel] ? "YES" : "NO");
}

void TraceRecord(const WlTrigParams& r) {
    Trace("[WL Trig Params] WL Trig Unit = %u, start_ww = %f, stop_ww = %f, spacing = %f, QCL "
          "Chan = %u",
          r.unit, static_cast<double>(r.start_ww), static_cast<double>(r.stop_ww),
          static_cast<double>(r.spacing), r.qclChan);
}

} // namespace

// Arguments the laser could only misread are refused before anything is sent.
bool KTarvexController::Refuse(const char* who, const char* why) {
    Trace("[%s] refused: %s", who, why);
    return false;
}

// --- Records -------------------------------------------------------------------------------------

bool KTarvexController::TransferScanMode(std::uint8_t disposition, std::uint8_t mode) {
    std::uint8_t reply = 0;
    if (!ExchangeByte(scan_mode::kCmd, disposition, mode, &LaserCache::scanMode, reply))
        return false;
    Trace("[Scan Mode] = %x", reply);
    return true;
}

bool KTarvexController::ReadWriteScanMode(bool write) {
    return TransferScanMode(WriteOrRead(write), write ? CachedCopy(&LaserCache::scanMode) : 0);
}

bool KTarvexController::TransferScanRecord(std::uint8_t disposition,
                                           const SingleWWParams& request) {
    std::lock_guard lock(transactionMutex_);
    SingleWWParams reply;
    if (!ExchangeRecord(SingleWWParams::kCmd, disposition, request, reply))
        return false;
    // The tune target's QCL is reported with the target.
    UpdateCache([&](LaserCache& c) {
        c.singleWW = reply;
        c.tunedQcl = reply.qcl;
    });
    TraceRecord(reply);
    return true;
}

bool KTarvexController::TransferScanRecord(std::uint8_t disposition,
                                           const SweepModeParams& request) {
    SweepModeParams reply;
    if (!ExchangeIntoCache(
            SweepModeParams::kCmd, disposition, request,
            [](LaserCache& c) -> SweepModeParams& { return c.sweep; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::TransferScanRecord(std::uint8_t disposition,
                                           const StepMeasureParams& request) {
    StepMeasureParams reply;
    if (!ExchangeIntoCache(
            StepMeasureParams::kCmd, disposition, request,
            [](LaserCache& c) -> StepMeasureParams& { return c.stepMeasure; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::TransferScanRecord(std::uint8_t disposition,
                                           const MultiSpectralParams& request) {
    // The record has its own codec: only its valid elements are converted.
    std::lock_guard lock(transactionMutex_);
    KTarvexCommand command(MultiSpectralParams::kCmd, disposition);
    wire::EncodeMultiSpectral(request, command.GetData());
    KTarvexCommand response;
    if (!Exchange(command, response))
        return false;
    MultiSpectralParams reply;
    wire::DecodeMultiSpectral(response.GetData(), reply);
    UpdateCache([&](LaserCache& c) { c.multiSpectral = reply; });
    TraceRecord(reply);
    return true;
}

bool KTarvexController::TransferScanRecord(std::uint8_t disposition,
                                           const SweepAdvancedParams& request) {
    SweepAdvancedParams reply;
    if (!ExchangeIntoCache(
            SweepAdvancedParams::kCmd, disposition, request,
            [](LaserCache& c) -> SweepAdvancedParams& { return c.sweepAdvanced; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::ReadWriteSingleWWParams(bool write) {
    return TransferScanRecord(WriteOrRead(write),
                              write ? CachedCopy(&LaserCache::singleWW) : SingleWWParams{});
}

bool KTarvexController::ReadWriteSweepModeParams(bool write) {
    return TransferScanRecord(WriteOrRead(write),
                              write ? CachedCopy(&LaserCache::sweep) : SweepModeParams{});
}

bool KTarvexController::ReadWriteStepMeasureParams(bool write) {
    return TransferScanRecord(WriteOrRead(write),
                              write ? CachedCopy(&LaserCache::stepMeasure) : StepMeasureParams{});
}

bool KTarvexController::ReadWriteMultiSpectralParams(bool write) {
    return TransferScanRecord(WriteOrRead(write), write ? CachedCopy(&LaserCache::multiSpectral)
                                                        : MultiSpectralParams{});
}

bool KTarvexController::ReadWriteSweepAdvancedParams(bool write) {
    if (!CarriesSdkCommand("KTarvexController::ReadWriteSweepAdvancedParams"))
        return false;
    return TransferScanRecord(WriteOrRead(write), write ? CachedCopy(&LaserCache::sweepAdvanced)
                                                        : SweepAdvancedParams{});
}

bool KTarvexController::ReadWriteWlTrigParams(bool write) {
    if (!CarriesSdkCommand("KTarvexController::ReadWriteWlTrigParams"))
        return false;
    WlTrigParams request = CachedCopy(&LaserCache::wlTrig);
    if (!write)
        request = WlTrigParams{.qclChan = request.qclChan}; // reads the cached channel's range
    WlTrigParams reply;
    if (!ExchangeIntoCache(
            WlTrigParams::kCmd, WriteOrRead(write), request,
            [](LaserCache& c) -> WlTrigParams& { return c.wlTrig; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::TransferWlTrigPulseWidth(std::uint8_t disposition,
                                                 const WlTrigPulseWidth& request) {
    WlTrigPulseWidth reply;
    if (!ExchangeIntoCache(
            WlTrigPulseWidth::kCmd, disposition, request,
            [](LaserCache& c) -> WlTrigPulseWidth& { return c.wlTrigPulseWidth; }, reply))
        return false;
    Trace("WL Trig Pls Width: %u us", reply.pulseWidthUs);
    return true;
}

bool KTarvexController::ReadWriteWlTrigPulseWidth(bool write) {
    return TransferWlTrigPulseWidth(
        WriteOrRead(write), write ? CachedCopy(&LaserCache::wlTrigPulseWidth) : WlTrigPulseWidth{});
}

void KTarvexController::SetWlTrigPulseWidth(std::uint16_t pulseWidthUs) {
    UpdateCache([&](LaserCache& c) { c.wlTrigPulseWidth = {pulseWidthUs, 0}; });
}

// The pointer command goes as an execute in both directions.
bool KTarvexController::TransferPointerEnable(std::uint8_t enable) {
    std::uint8_t reply = 0;
    if (!ExchangeByte(kPointerEnableCmd, kExecute, enable, &LaserCache::pointerEnable, reply))
        return false;
    Trace("[ReadWrite Pointer Enable/Disable] enable_disable = %u", reply);
    return true;
}

bool KTarvexController::ReadWritePointerEnable() {
    if (!CarriesPanelCommand("KTarvexController::ReadWritePointerEnable"))
        return false;
    return TransferPointerEnable(CachedCopy(&LaserCache::pointerEnable));
}

// Only a profile that carries the pointer sends it; the cache takes what the laser reports.
bool KTarvexController::SetPointerEnable(bool on) {
    if (!CarriesPanelCommand("KTarvexController::ReadWritePointerEnable"))
        return false;
    return TransferPointerEnable(on ? 1 : 0);
}

void KTarvexController::SetTunedQcl(std::uint8_t qcl) {
    UpdateCache([&](LaserCache& c) {
        c.tunedQcl = qcl;
        c.singleWW.qcl = qcl;
    });
}

void KTarvexController::SetScanQcl(std::uint8_t qcl) {
    UpdateCache([&](LaserCache& c) { c.scanQcl = qcl; });
}

// --- Run control ---------------------------------------------------------------------------------

bool KTarvexController::RunScanOperation(std::uint8_t operation) {
    std::lock_guard lock(transactionMutex_);
    ByteRecord reply; // the laser's answer carries nothing of interest
    if (!ExchangeRecord(scan_operation::kCmd, kExecute, ByteRecord{operation}, reply))
        return false;
    UpdateCache([&](LaserCache& c) { c.scanOperation = operation; });
    Trace("Scan Operation successfully executed");
    return true;
}

bool KTarvexController::ExecScanOperation() {
    return RunScanOperation(CachedCopy(&LaserCache::scanOperation));
}

bool KTarvexController::StopScan() {
    return RunScanOperation(scan_operation::kStop);
}
bool KTarvexController::PauseScan() {
    return RunScanOperation(scan_operation::kPause);
}
bool KTarvexController::ResumeScan() {
    return RunScanOperation(scan_operation::kResume);
}
bool KTarvexController::ManualStep() {
    return RunScanOperation(scan_operation::kManualStep);
}
bool KTarvexController::InjectProcessTrigger() {
    return RunScanOperation(scan_operation::kManualStep);
}

// --- Starts --------------------------------------------------------------------------------------

// Each step takes the transaction lock by itself, so that the heartbeat may read between steps;
// what a failed sequence already wrote stays written.
bool KTarvexController::StartScan(std::uint8_t mode, const std::function<bool()>& writeRecord) {
    if (!TransferScanMode(kWrite, mode))
        return false;
    if (writeRecord && !writeRecord())
        return false;
    if (!RunScanOperation(scan_operation::kStart))
        return false;
    // Only so that the cache shows the started scan; the start itself has succeeded.
    ReadStatusMask();
    ReadScanProgress();
    return true;
}

bool KTarvexController::TuneToWW(float ww, std::uint8_t unit, std::uint32_t scanTimeDuration,
                                 std::uint8_t qcl) {
    static constexpr const char* kWho = "KTarvexController::TuneToWW";
    if (!IsWavelengthUnit(unit))
        return Refuse(kWho, "unknown wavelength unit");
    if (!IsPositive(ww))
        return Refuse(kWho, "the target must be a positive wavelength or wavenumber");
    SingleWWParams record = CachedCopy(&LaserCache::singleWW);
    record.scan_ww = ww;
    record.scan_ww_unit = unit;
    record.scan_time_duration = scanTimeDuration;
    record.qcl = PreferredQcl(qcl);
    record.flag = 0;
    return StartScan(scan_mode::kSingleTune, [&] { return TransferScanRecord(kWrite, record); });
}

bool KTarvexController::StartStepMeasureScan(float start, float stop, float step, std::uint8_t unit,
                                             std::uint16_t numScans, bool keepLaserOn) {
    static constexpr const char* kWho = "KTarvexController::StartStepMeasureScan";
    if (!IsWavelengthUnit(unit))
        return Refuse(kWho, "unknown wavelength unit");
    if (!IsPositive(start) || !IsPositive(stop))
        return Refuse(kWho, "start and stop must be positive wavelengths or wavenumbers");
    if (!IsPositive(step))
        return Refuse(kWho, "the step size must be positive");
    StepMeasureParams record = CachedCopy(&LaserCache::stepMeasure);
    record.scan_start = start;
    record.scan_stop = stop;
    record.step_size = step;
    record.scan_start_unit = record.scan_stop_unit = record.step_size_unit = unit;
    record.num_scans = numScans;
    record.enable_params = keepLaserOn ? 1 : 0;
    return StartScan(scan_mode::kStepMeasure, [&] { return TransferScanRecord(kWrite, record); });
}

bool KTarvexController::StartMultiSpectralScan(const std::vector<MultiSpectralElement>& elements,
                                               std::uint8_t unit, std::uint16_t numScans,
                                               bool keepLaserOn) {
    static constexpr const char* kWho = "KTarvexController::StartMultiSpectralScan";
    if (elements.size() > MultiSpectralParams::kMaxElements)
        return Refuse(kWho, "more than 20 elements");
    if (elements.empty())
        return Refuse(kWho, "no elements");
    if (!IsWavelengthUnit(unit))
        return Refuse(kWho, "unknown wavelength unit");
    for (const auto& element : elements)
        if (!IsPositive(element.scan_ww))
            return Refuse(kWho, "elements must be positive wavelengths or wavenumbers");
    MultiSpectralParams record = CachedCopy(&LaserCache::multiSpectral);
    record.num_ww = static_cast<std::uint8_t>(elements.size());
    record.scan_ww_unit = unit;
    std::copy(elements.begin(), elements.end(), record.elements.begin());
    record.num_scans = numScans;
    record.keep_laser_on = keepLaserOn ? 1 : 0;
    return StartScan(scan_mode::kMultiSpectral, [&] { return TransferScanRecord(kWrite, record); });
}

bool KTarvexController::StartSweepScan(float start, float stop, float speed, std::uint8_t unit,
                                       std::uint16_t numScans, bool bidirectional,
                                       std::uint8_t qcl) {
    static constexpr const char* kWho = "KTarvexController::StartSweepScan";
    if (!IsWavelengthUnit(unit))
        return Refuse(kWho, "unknown wavelength unit");
    if (!IsPositive(start) || !IsPositive(stop))
        return Refuse(kWho, "start and stop must be positive wavelengths or wavenumbers");
    if (!IsPositive(speed))
        return Refuse(kWho, "the scan speed must be positive");
    SweepModeParams record = CachedCopy(&LaserCache::sweep);
    record.scan_start_ww = start;
    record.scan_stop_ww = stop;
    record.scan_speed = speed;
    record.scan_start_unit = record.scan_stop_unit = record.scan_speed_unit = unit;
    record.num_scans = numScans;
    record.bidirectional = bidirectional ? 1 : 0;
    record.qcl = PreferredQcl(qcl);
    return StartScan(scan_mode::kSweep, [&] { return TransferScanRecord(kWrite, record); });
}

bool KTarvexController::StartSweepAdvancedScan() {
    if (!CarriesSdkCommand("KTarvexController::StartSweepAdvancedScan"))
        return false;
    return StartScan(scan_mode::kAdvancedSweep, nullptr);
}

} // namespace tarvex
