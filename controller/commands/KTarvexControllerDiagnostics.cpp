#include "KTarvexController.h"

#include "Trace.h"

#include <mutex>

namespace tarvex {

namespace {

// The board tests take longer to answer than the normal read time-out allows.
constexpr std::uint32_t kBoardTestReadTimeoutMs = 5000;

bool IsSlotOf(std::uint8_t slot, std::size_t count) {
    return slot >= 1 && slot <= count;
}

bool IsIndexOf(std::uint8_t index, std::size_t count) {
    return index < count;
}

void TraceRecord(const TestQclParams& r) {
    Trace("[Test QCL Param ] slot = %d, tec_target_temp = %f, period = %d, width = %d, "
          "qcl_target_current = %f ww = %f units = %u qcl_vsource = %f",
          r.slot, static_cast<double>(r.tec_target_temp), static_cast<int>(r.period),
          static_cast<int>(r.width), static_cast<double>(r.qcl_target_current),
          static_cast<double>(r.ww), r.units, static_cast<double>(r.qcl_vsource));
}

void TraceRecord(const TestQclInfo& r) {
    Trace("[Test QCL Info ] slot = %d, qcl_on_off = %d, tec_enabled_disabled = %d, tec_current = "
          "%f, tec_temp = %f qcl_temp = %f qcl_vsource = %f actual_ww = %f actual_ww_unit = %u",
          r.slot, r.qcl_on_off, r.tec_enabled_disabled, static_cast<double>(r.tec_current),
          static_cast<double>(r.tec_temp), static_cast<double>(r.qcl_temp),
          static_cast<double>(r.qcl_vsource), static_cast<double>(r.actual_ww), r.actual_ww_unit);
}

void TraceRecord(const TecChannel& r) {
    Trace("TEC%u, %s, %s, V: %.2fV, I: %.2fA, R: %.2f Ohms", r.index, r.on ? "On" : "Off",
          r.direction == 1 ? "FW" : "RV", static_cast<double>(r.volts), static_cast<double>(r.amps),
          static_cast<double>(r.ohms));
}

void TraceRecord(const QclIfTest& r) {
    Trace("[QclIfTest] Ch%u, Inst: %u, Results: 0x%X, dacV, %.3f, drvPV, %.3f, drvNV, %.3f, "
          "qTemp, %.3f, hTemp, %.3f",
          r.ch, r.inst, r.results, static_cast<double>(r.dacV), static_cast<double>(r.drvPV),
          static_cast<double>(r.drvNV), static_cast<double>(r.qTemp), static_cast<double>(r.hTemp));
}

// One exchange under the board tests' long read time-out, held with the transaction lock so
// that no other exchange runs under the raised time-out.
template <typename Record, typename Pick>
bool SlowExchangeIntoCache(KTarvexController& controller,
                           const std::function<bool(KTarvexCommand&, KTarvexCommand&)>& send,
                           std::uint16_t cmdID, std::uint8_t disposition, const Record& request,
                           Pick pick, Record& reply) {
    std::lock_guard lock(controller.TransactionMutex());
    KTarvexCommand command(cmdID, disposition);
    wire::Encode(request, command.GetData());
    KTarvexCommand response;
    if (!send(command, response))
        return false;
    wire::Decode(response.GetData(), reply);
    controller.UpdateCache([&](LaserCache& c) { pick(c) = reply; });
    return true;
}

} // namespace

bool KTarvexController::ForEachChannel(std::size_t count, bool holdLock,
                                       const std::function<bool(std::uint8_t)>& step) {
    std::unique_lock lock(transactionMutex_, std::defer_lock);
    // A heartbeat cycle lets other commands in between the channels.
    if (holdLock && !InHeartbeatCycle())
        lock.lock();
    for (std::size_t channel = 0; channel < count; ++channel)
        if (!step(static_cast<std::uint8_t>(channel)))
            return false;
    return true;
}

// --- Test mode of the QCLs -----------------------------------------------------------------------

bool KTarvexController::ReadWriteTestQclParams(bool write, std::uint8_t slot) {
    if (!IsSlotOf(slot, InstalledQcls()))
        return Refuse("KTarvexController::ReadWriteTestQclParams", "no such QCL slot");
    TestQclParams request =
        write ? CachedCopy(&LaserCache::testQclParams)[slot - 1u] : TestQclParams{};
    request.slot = slot;
    TestQclParams reply;
    if (!ExchangeIntoCache(
            TestQclParams::kCmd, WriteOrRead(write), request,
            [slot](LaserCache& c) -> TestQclParams& { return c.testQclParams[slot - 1u]; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::ReadAllTestQclParams() {
    return ForEachChannel(InstalledQcls(), false, [this](std::uint8_t index) {
        return ReadWriteTestQclParams(false, static_cast<std::uint8_t>(index + 1));
    });
}

bool KTarvexController::ReadTestQclInfo(std::uint8_t slot) {
    if (!IsSlotOf(slot, InstalledQcls()))
        return Refuse("KTarvexController::ReadTestQclInfo", "no such QCL slot");
    TestQclInfo reply;
    if (!ExchangeIntoCache(
            TestQclInfo::kCmd, kRead, TestQclInfo{.slot = slot},
            [slot](LaserCache& c) -> TestQclInfo& { return c.testQclInfo[slot - 1u]; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::ReadAllTestQclInfo() {
    return ForEachChannel(InstalledQcls(), profile_.diagnosticLoopsHoldLock,
                          [this](std::uint8_t index) {
                              return ReadTestQclInfo(static_cast<std::uint8_t>(index + 1));
                          });
}

// --- Galvo ---------------------------------------------------------------------------------------

bool KTarvexController::TransferTestGalvo(std::uint8_t disposition,
                                          const TestGalvoParams& request) {
    if (!IsSlotOf(request.slot, kGalvoSlots))
        return Refuse("KTarvexController::ReadWriteTestGalvoParams", "no such galvo slot");
    TestGalvoParams reply;
    if (!ExchangeIntoCache(
            TestGalvoParams::kCmd, disposition, request,
            [slot = request.slot](LaserCache& c) -> TestGalvoParams& {
                return c.testGalvo[slot - 1u];
            },
            reply))
        return false;
    Trace("[Test Galvo Params ] slot = %u dac_count = %ld", reply.slot,
          static_cast<long>(reply.dac_count));
    return true;
}

bool KTarvexController::ReadWriteTestGalvoParams(bool write, std::uint8_t slot) {
    TestGalvoParams request{.slot = slot};
    if (write && IsSlotOf(slot, kGalvoSlots))
        request.dac_count = CachedCopy(&LaserCache::testGalvo)[slot - 1u].dac_count;
    return TransferTestGalvo(WriteOrRead(write), request);
}

bool KTarvexController::SetTestGalvo(std::uint8_t slot, std::int32_t dacCount) {
    return TransferTestGalvo(kWrite, TestGalvoParams{.slot = slot, .dac_count = dacCount});
}

// The galvo has five slots, one more than there are QCLs.
bool KTarvexController::ReadAllTestGalvoParams() {
    return ForEachChannel(kGalvoSlots, false, [this](std::uint8_t index) {
        return ReadWriteTestGalvoParams(false, static_cast<std::uint8_t>(index + 1));
    });
}

bool KTarvexController::ReadWriteTestGalvoEnable(bool write) {
    std::uint8_t reply = 0;
    if (!ExchangeByte(kTestGalvoEnableCmd, WriteOrRead(write),
                      write ? CachedCopy(&LaserCache::testGalvoEnable) : 0,
                      &LaserCache::testGalvoEnable, reply))
        return false;
    Trace("[ReadWrite Test Galvo EnableDisable] enable_disable = %u", reply);
    return true;
}

// A galvo laser state that could not be read or written is taken as off, at the middle
// displacement, with no flips, rather than left as whatever was last believed.
bool KTarvexController::ReadWriteGalvoLaserEnable(bool write) {
    if (!CarriesSdkCommand("KTarvexController::ReadWriteGalvoLaserEnable"))
        return false;
    std::lock_guard lock(transactionMutex_);
    const GalvoLaserEnable request =
        write ? CachedCopy(&LaserCache::galvoLaser) : GalvoLaserEnable{};
    GalvoLaserEnable reply;
    if (!ExchangeRecord(GalvoLaserEnable::kCmd, WriteOrRead(write), request, reply)) {
        UpdateCache([](LaserCache& c) {
            c.galvoLaser = {.en = 0, .disp = GalvoLaserEnable::kDefaultDisplacement, .flips = 0};
        });
        return false;
    }
    UpdateCache([&](LaserCache& c) { c.galvoLaser = reply; });
    Trace("[GalvoLsrEnable], En: %s, Disp: %u, Flips: %u", reply.en ? "ON" : "OFF", reply.disp,
          reply.flips);
    return true;
}

// --- TECs, encoders and motion -------------------------------------------------------------------

bool KTarvexController::ReadTecMeasAt(std::uint8_t index) {
    TecMeas reply;
    if (!ExchangeIntoCache(
            TecMeas::kCmd, kRead, TecMeas{.index = index},
            [index](LaserCache& c) -> TecMeas& { return c.tecMeas[index]; }, reply))
        return false;
    Trace("[Read TEC Meas] qcl, %u, Voltage, %f, Current, %f, Res, %f", index + 1u,
          static_cast<double>(reply.voltage), static_cast<double>(reply.current),
          static_cast<double>(reply.resistance));
    return true;
}

bool KTarvexController::ReadTecMeas() {
    return ForEachChannel(InstalledQcls(), profile_.diagnosticLoopsHoldLock,
                          [this](std::uint8_t index) { return ReadTecMeasAt(index); });
}

bool KTarvexController::ReadEncoderAt(std::uint8_t slot) {
    Encoder reply;
    if (!ExchangeIntoCache(
            Encoder::kCmd, kRead, Encoder{.slot = slot},
            [slot](LaserCache& c) -> Encoder& { return c.encoders[slot - 1u]; }, reply))
        return false;
    Trace("[Encoder] QCL%u, Enc: %d, rsvd1: %u, rsvd2: %u", slot, reply.enc, reply.rsvd1,
          reply.rsvd2);
    return true;
}

bool KTarvexController::ReadEncoder() {
    return ForEachChannel(
        InstalledQcls(), profile_.diagnosticLoopsHoldLock,
        [this](std::uint8_t index) { return ReadEncoderAt(static_cast<std::uint8_t>(index + 1)); });
}

bool KTarvexController::ReadWriteMotionTestParams(bool write, std::uint8_t slot) {
    if (!CarriesSdkCommand("KTarvexController::ReadWriteMotionTestParams"))
        return false;
    Trace("KTarvexController::ReadWriteMotionTestParams");
    if (!IsSlotOf(slot, InstalledQcls()))
        return Refuse("KTarvexController::ReadWriteMotionTestParams", "no such QCL slot");
    MotionTestParams request =
        write ? CachedCopy(&LaserCache::motionTest)[slot - 1u] : MotionTestParams{};
    request.slot = slot;
    MotionTestParams reply;
    if (!ExchangeIntoCache(
            MotionTestParams::kCmd, WriteOrRead(write), request,
            [slot](LaserCache& c) -> MotionTestParams& { return c.motionTest[slot - 1u]; }, reply))
        return false;
    Trace("[ReadWrite Test Motion] slot %u, gratingSpacing: %f, radiansPerCount: %f, "
          "homeRadians: %f",
          reply.slot, static_cast<double>(reply.gratingSpacing),
          static_cast<double>(reply.radiansPerCount), static_cast<double>(reply.homeRadians));
    return true;
}

bool KTarvexController::ReadMoveDuration(std::uint8_t index) {
    if (!CarriesSdkCommand("KTarvexController::ReadMoveDuration"))
        return false;
    if (!IsIndexOf(index, InstalledQcls()))
        return Refuse("KTarvexController::ReadMoveDuration", "no such QCL index");
    MoveDuration reply;
    return ExchangeIntoCache(
        MoveDuration::kCmd, kRead, MoveDuration{.index = index},
        [index](LaserCache& c) -> MoveDuration& { return c.moveDuration[index]; }, reply);
}

// --- Board readings ------------------------------------------------------------------------------

bool KTarvexController::ReadTestLaserInfo() {
    Trace("KTarvexController::ReadTestLaserInfo");
    TestLaserInfo reply;
    if (!ExchangeIntoCache(
            TestLaserInfo::kCmd, kRead, TestLaserInfo{},
            [](LaserCache& c) -> TestLaserInfo& { return c.testLaserInfo; }, reply))
        return false;
    Trace("[READ TEST LASER INFO], case temp 1, %f, case temp2, %f, pcb_temp, %f",
          static_cast<double>(reply.caseTemp1), static_cast<double>(reply.caseTemp2),
          static_cast<double>(reply.pcbTemp));
    return true;
}

bool KTarvexController::ReadBusVoltages() {
    BusVoltages r;
    if (!ExchangeIntoCache(
            BusVoltages::kCmd, kRead, BusVoltages{},
            [](LaserCache& c) -> BusVoltages& { return c.busVoltages; }, r))
        return false;
    Trace("[Read Bus Voltages] Bus Voltage, %.3f, Bus Current, %.3f, 12V, %.3f, 3.3V, %.3f, 5V, "
          "%.3f, -5V, %.3f, suppliesGood, 0x%X",
          static_cast<double>(r.busVoltage), static_cast<double>(r.busCurrent),
          static_cast<double>(r.v12), static_cast<double>(r.v3_3), static_cast<double>(r.v5),
          static_cast<double>(r.vMinus5), r.suppliesGood);
    return true;
}

bool KTarvexController::ReadSysTemps() {
    SysTemps r;
    if (!ExchangeIntoCache(
            SysTemps::kCmd, kRead, SysTemps{},
            [](LaserCache& c) -> SysTemps& { return c.sysTemps; }, r))
        return false;
    Trace("[Read Sys Temps] PCB Temp, %.3f, BTemp1, %.3f, BTemp2, %.3f, Aux1, %.3f, Aux2, %.3f, "
          "Aux3, %.3f, Aux4, %.3f, Humidity, %.3f",
          static_cast<double>(r.pcbTemp), static_cast<double>(r.bTemp1),
          static_cast<double>(r.bTemp2), static_cast<double>(r.aux[0]),
          static_cast<double>(r.aux[1]), static_cast<double>(r.aux[2]),
          static_cast<double>(r.aux[3]), static_cast<double>(r.humidity));
    return true;
}

bool KTarvexController::ReadSysVoltages() {
    if (!CarriesPanelCommand("KTarvexController::ReadSysVoltages"))
        return false;
    SysVoltages r;
    if (!ExchangeIntoCache(
            SysVoltages::kCmd, kRead, SysVoltages{},
            [](LaserCache& c) -> SysVoltages& { return c.sysVoltages; }, r))
        return false;
    for (unsigned i = 0; i < r.volts.size(); ++i)
        Trace("[SysVoltages], V%u, %f", i, static_cast<double>(r.volts[i]));
    return true;
}

bool KTarvexController::ReadInstalledSleds() {
    std::uint8_t mask = 0;
    if (!ExchangeByte(kInstalledSledsCmd, kRead, 0, &LaserCache::installedSleds, mask))
        return false;
    Trace("[Installed Sleds], 0x%X", mask);
    return true;
}

// --- Board tests ---------------------------------------------------------------------------------

bool KTarvexController::ReadWriteTecChannel(bool write, std::uint8_t index, bool on,
                                            std::uint8_t direction) {
    if (!CarriesPanelCommand("KTarvexController::ReadWriteTecChannel"))
        return false;
    if (!IsIndexOf(index, kMaxQcls))
        return Refuse("KTarvexController::ReadWriteTecChannel", "no such TEC channel");
    TecChannel request{.index = index};
    if (write) {
        request.on = on ? 1 : 0;
        request.direction = direction;
    }
    TecChannel reply;
    if (!ExchangeIntoCache(
            TecChannel::kCmd, write ? kExecute : kRead, request,
            [index](LaserCache& c) -> TecChannel& { return c.tecChannel[index]; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

bool KTarvexController::ReadWriteTecChannelDrive(bool write, std::uint8_t index, bool enable,
                                                 float value, bool flag) {
    if (!CarriesPanelCommand("KTarvexController::ReadWriteTecChannelDrive"))
        return false;
    if (!IsIndexOf(index, kMaxQcls))
        return Refuse("KTarvexController::ReadWriteTecChannelDrive", "no such TEC channel");
    TecChannelDrive request{.index = index};
    if (write) {
        request.enable = enable ? 1 : 0;
        request.setValue = value;
        request.flag = flag ? 1 : 0;
    }
    TecChannelDrive reply;
    return SlowExchangeIntoCache(
        *this,
        [this](KTarvexCommand& c, KTarvexCommand& r) {
            return ExchangeWithReadTimeout(c, r, kBoardTestReadTimeoutMs);
        },
        TecChannelDrive::kCmd, write ? kExecute : kRead, request,
        [index](LaserCache& c) -> TecChannelDrive& { return c.tecChannelDrive[index]; }, reply);
}

bool KTarvexController::ExecQclIfTest(bool execute, std::uint8_t index) {
    if (!CarriesPanelCommand("KTarvexController::ExecQclIfTest"))
        return false;
    if (!IsIndexOf(index, kMaxQcls))
        return Refuse("KTarvexController::ExecQclIfTest", "no such QCL channel");
    QclIfTest reply;
    if (!SlowExchangeIntoCache(
            *this,
            [this](KTarvexCommand& c, KTarvexCommand& r) {
                return ExchangeWithReadTimeout(c, r, kBoardTestReadTimeoutMs);
            },
            QclIfTest::kCmd, execute ? kExecute : kRead, QclIfTest{.ch = index},
            [index](LaserCache& c) -> QclIfTest& { return c.qclIfTest[index]; }, reply))
        return false;
    TraceRecord(reply);
    return true;
}

} // namespace tarvex
