#include "KTarvexController.h"

#include "Trace.h"

namespace tarvex {

namespace {

// The per-slot readbacks send the slot and nothing else.
template <typename Record> Record SlotRequest(std::uint8_t slot) {
    Record request{};
    request.qcl_slot = slot;
    return request;
}

void TraceErrorList(const char* list, std::uint16_t numItems, std::uint16_t index) {
    Trace("[%s] Num Items: %u, Index: %u", list, numItems, index);
}

} // namespace

bool KTarvexController::ReadInfoLight() {
    std::lock_guard lock(transactionMutex_);
    InfoLight light;
    if (!ReadRecord(InfoLight::kCmd, light))
        return false;
    StoreRecord(&cache_.light, [light](LaserCache& c) {
        c.light = light;
        if (light.cur_qcl != 0)
            c.activeQcl = light.cur_qcl;
    });
    Trace("[InfoLight] current_ww = %f unit = %u cur_qcl = %u light_out = %u light_valid = %u",
          static_cast<double>(light.current_ww), light.unit, light.cur_qcl, light.light_out,
          light.light_valid);
    return true;
}

bool KTarvexController::ReadQclInfoParam() {
    return ExchangePerSlot<QclInfoParam>(
        QclInfoParam::kCmd, kRead, &QclInfoParam::qcl_slot, SlotRequest<QclInfoParam>,
        [&](std::uint8_t slot, bool ok, const QclInfoParam& reply) {
            const auto q = KeepSlotRecord(&LaserCache::qclInfo, slot, ok, reply);
            Trace("[QclInfoParam], qcl_slot, %u, actual_current, %f, actual_tec_current, %f, "
                  "actual_temp, %f",
                  slot, static_cast<double>(q.actual_current),
                  static_cast<double>(q.actual_tec_current), static_cast<double>(q.actual_temp));
        });
}

bool KTarvexController::ReadQclInfoParam2() {
    return ExchangePerSlot<QclInfoParam2>(
        QclInfoParam2::kCmd, kRead, &QclInfoParam2::qcl_slot, SlotRequest<QclInfoParam2>,
        [&](std::uint8_t slot, bool ok, const QclInfoParam2& reply) {
            const auto q = KeepSlotRecord(&LaserCache::qclInfo2, slot, ok, reply);
            Trace("[QclInfoParam2], qcl_slot, %u, qclV, %f, qclVfet, %f, qclVsrc, %f, "
                  "qclCurrent, %f, qclTemp, %f",
                  slot, static_cast<double>(q.qclV), static_cast<double>(q.qclVfet),
                  static_cast<double>(q.qclVsrc), static_cast<double>(q.qclCurrent),
                  static_cast<double>(q.qclTemp));
        });
}

bool KTarvexController::ReadStatusMask() {
    std::lock_guard lock(transactionMutex_);
    StatusMask status;
    if (!ReadRecord(StatusMask::kCmd, status))
        return false;
    StoreRead(&LaserCache::status, status);
    Trace("[StatusMask] = %x", status.mask);
    return true;
}

bool KTarvexController::ReadInfoTemps() {
    if (!CarriesPanelCommand("KTarvexController::ReadInfoTemps"))
        return false;
    std::lock_guard lock(transactionMutex_);
    InfoTemps temps;
    if (!ReadRecord(InfoTemps::kCmd, temps))
        return false;
    StoreRead(&LaserCache::temps, temps);
    Trace("[ReadInfoTemps] BTemp1 = %.3f, BTemp2 = %.3f, PCB Temp = %.3f, Aux Temp1 = %.3f, "
          "Aux Temp2 = %.3f, Aux Temp3 = %.3f, Aux Temp4 = %.3f",
          static_cast<double>(temps.BTemp1), static_cast<double>(temps.BTemp2),
          static_cast<double>(temps.PcbTemp), static_cast<double>(temps.AuxTemp[0]),
          static_cast<double>(temps.AuxTemp[1]), static_cast<double>(temps.AuxTemp[2]),
          static_cast<double>(temps.AuxTemp[3]));
    return true;
}

bool KTarvexController::ReadSystemErrorsList() {
    if (!CarriesPanelCommand("KTarvexController::ReadSystemErrorsList"))
        return false;
    std::lock_guard lock(transactionMutex_);
    SystemErrorsList list;
    if (!ReadRecord(SystemErrorsList::kCmd, list))
        return false;
    UpdateCache([&](LaserCache& c) { c.errors = list; });
    TraceErrorList("System Errors List", list.errorsNumItems, list.errorsIndex);
    TraceErrorList("System Warnings List", list.warningsNumItems, list.warningsIndex);
    return true;
}

bool KTarvexController::ReadSystemErrors(SystemErrorsList& out) {
    const bool ok = ReadSystemErrorsList();
    out = ReadCache([](const LaserCache& c) { return c.errors; });
    return ok;
}

bool KTarvexController::ReadScanProgress() {
    std::lock_guard lock(transactionMutex_);
    ScanProgress progress;
    if (!ReadRecord(ScanProgress::kCmd, progress))
        return false;
    StoreRead(&LaserCache::progress, progress);
    Trace("[Scan Progress] scanprogressindicator = 0x%x cur_scan_num = %d, scan_percent = %d",
          progress.indicator, progress.cur_scan_num, progress.scan_percent);
    return true;
}

bool KTarvexController::ExecClearFault(std::uint8_t action) {
    KTarvexCommand command(kClearFaultCmd, kExecute);
    command.GetData()[0] = action;
    KTarvexCommand response;
    if (!Exchange(command, response))
        return false;
    Trace("[Exec Clear fault successful]");
    return true;
}

bool KTarvexController::ClearFault() {
    // Held across both, so that the status judged is the one read after the clear.
    std::lock_guard lock(transactionMutex_);
    if (!ExecClearFault(kClearActiveFault) || !ReadStatusMask())
        return false;
    return !StatusBit(status::kSystemError) && SystemErrorWord() == 0;
}

bool KTarvexController::ClearFaultList() {
    const bool ok = ExecClearFault(kClearFaultList);
    Trace("[Clear Fault List] returned %s", ok ? "TRUE" : "FALSE");
    return ok;
}

} // namespace tarvex
