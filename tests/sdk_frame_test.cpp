// The SDK's frame through its C interface: the controller object, the link settings, the
// connection search over simulated adapters, the device the environment adds, and the trace.
#include "support/SdkRig.h"
#include "support/TraceCapture.h"

#include <gmock/gmock.h>

using namespace tarvex;
using testing::Contains;
using testing::ElementsAre;
using testing::Not;

namespace {

using SdkFrame = test::SdkTest;

// The calls of one adapter that set its baud rate, and its closes, in order.
std::vector<std::string> BaudsAndCloses(const sim::SimFtdiBackend::DeviceState& state) {
    std::vector<std::string> calls;
    for (const auto& call : state.calls)
        if (call.starts_with("SetBaudRate") || call == "Close")
            calls.push_back(call);
    return calls;
}

bool Connected() {
    return test::Read<std::uint8_t>(TarvexSDK_IsConnectedToLaser) == 1;
}

} // namespace

TEST_F(SdkFrame, ObjectVersionAndLinkSettingsNeedNoLaser) {
    EXPECT_EQ(test::Read<std::uint8_t>(TarvexSDK_IsTarvexObjectCreated), 1);
    EXPECT_EQ(TarvexSDK_CreateTarvexObject(), TarvexSdkResult_ObjectAlreadyCreated);

    std::uint16_t major = 0, minor = 0, patch = 0;
    EXPECT_EQ(TarvexSDK_GetAPIVersion(&major, &minor, &patch), TarvexSdkResult_Success);
    EXPECT_EQ(major * 10000 + minor * 100 + patch, 10501);
    EXPECT_EQ(TarvexSDK_GetAPIVersion(&major, nullptr, &patch), TarvexSdkResult_NullPointer);
    EXPECT_FALSE(Connected());

    // Of the link settings, only the USB comm type is accepted.
    for (int type : {0, 2, 255})
        EXPECT_EQ(TarvexSDK_SetCommType(static_cast<std::uint8_t>(type)),
                  TarvexSdkResult_CommTypeUnsupported)
            << type;
    EXPECT_EQ(library->Controller().GetTransportType(), kTransportSerial);
    EXPECT_EQ(TarvexSDK_SetCommType(1), TarvexSdkResult_Success);

    EXPECT_EQ(TarvexSDK_SetSerialParams(3, 0), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_SetSerialParams(0, 115200), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_SetSerialParams(0, 0), TarvexSdkResult_Success);
    EXPECT_EQ(library->serialPort, 3);
    EXPECT_EQ(library->serialBaud, 115200u);
}

class SdkWithoutObject : public test::SdkTest {
protected:
    SdkWithoutObject() : SdkTest(sim::LaserProfile::Default(), false) {}
};

TEST_F(SdkWithoutObject, ExportsRefuseUntilTheObjectIsCreated) {
    std::uint8_t value = 7;
    EXPECT_EQ(TarvexSDK_IsTarvexObjectCreated(&value), TarvexSdkResult_Success);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(TarvexSDK_IsConnectedToLaser(&value), TarvexSdkResult_ObjectNotCreated);
    EXPECT_EQ(TarvexSDK_SetCommType(1), TarvexSdkResult_ObjectNotCreated);
    EXPECT_EQ(TarvexSDK_GetHwFwVersions(&value, &value, &value, &value, &value, &value, &value,
                                        &value, &value, &value),
              TarvexSdkResult_ObjectNotCreated);
    EXPECT_EQ(TarvexSDK_CreateTarvexObject(), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_IsConnectedToLaser(&value), TarvexSdkResult_Success);
}

TEST_F(SdkWithoutObject, InitializeCreatesTheObject) {
    AddLaserAdapter();
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_TRUE(library->ObjectCreated());
}

TEST_F(SdkFrame, InitializeWhileConnectedSendsNothingButResetsTheGalvoDisplacement) {
    Connect();
    library->galvoDisplacement = 1234;
    const std::size_t written = Written();
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_EQ(Written(), written);
    EXPECT_EQ(library->galvoDisplacement, 500);
}

TEST_F(SdkFrame, SearchSkipsAnAdapterWithoutALaserAndKeepsTheFirstThatAnswers) {
    const auto silent = AddLaserAdapter(false);
    const auto laserAdapter = AddLaserAdapter();
    const auto spare = AddLaserAdapter();
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_TRUE(Connected());

    EXPECT_THAT(BaudsAndCloses(backend.State(silent)), ElementsAre("SetBaudRate 921600", "Close"));
    EXPECT_THAT(BaudsAndCloses(backend.State(laserAdapter)), ElementsAre("SetBaudRate 921600"));
    EXPECT_TRUE(backend.State(laserAdapter).open);
    EXPECT_TRUE(backend.State(spare).calls.empty());
    // The connection read the laser's state.
    char serial[25] = {};
    EXPECT_EQ(TarvexSDK_GetSerialNumber(reinterpret_cast<std::uint8_t*>(serial), 24),
              TarvexSdkResult_Success);
    EXPECT_STREQ(serial, "TVX0042");
}

TEST_F(SdkFrame, ALaserAtTheLowerRateIsFoundInTheSecondPass) {
    const auto adapter = AddLaserAdapter(true, 115200);
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_THAT(BaudsAndCloses(backend.State(adapter)),
                ElementsAre("SetBaudRate 921600", "Close", "SetBaudRate 115200"));
}

TEST_F(SdkFrame, NoAnsweringDeviceFailsToConnect) {
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_ConnectFailed);
    AddLaserAdapter(false);
    backend.SetListStatus(kFtIoError);
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_ConnectFailed);
    EXPECT_TRUE(backend.State(0).calls.empty());
    backend.SetListStatus(kFtOk);
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_ConnectFailed);
    EXPECT_FALSE(Connected());
}

TEST_F(SdkFrame, DeInitializeClosesAndASecondInitializeReconnects) {
    EXPECT_EQ(TarvexSDK_DeInitialize(), TarvexSdkResult_Success); // not connected: nothing to do
    Connect();
    EXPECT_EQ(TarvexSDK_DeInitialize(), TarvexSdkResult_Success);
    EXPECT_FALSE(Connected());
    EXPECT_FALSE(backend.State(0).open);
    std::uint8_t armed = 0;
    EXPECT_EQ(TarvexSDK_IsLaserArmed(&armed), TarvexSdkResult_CommError);

    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_TRUE(Connected());
    EXPECT_EQ(TarvexSDK_IsLaserArmed(&armed), TarvexSdkResult_Success);
}

TEST_F(SdkFrame, SixFailedExchangesInARowReportTheLinkLostUntilOneSucceeds) {
    Connect();
    std::uint8_t bit = 0;
    SilenceLink(6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(Connected()) << i;
        EXPECT_EQ(TarvexSDK_IsKeySwitchStatusSet(&bit), TarvexSdkResult_CommError);
    }
    EXPECT_FALSE(Connected());
    EXPECT_EQ(TarvexSDK_IsKeySwitchStatusSet(&bit), TarvexSdkResult_Success);
    EXPECT_TRUE(Connected());
}

TEST_F(SdkFrame, PowerOffSendsTheShutdownValues) {
    Connect();
    EXPECT_EQ(TarvexSDK_PowerOffSystem(), TarvexSdkResult_Success);
    const LaserShutdown sent = laser.Inspect([](const sim::SimState& s) { return s.lastShutdown; });
    EXPECT_EQ(sent.first, 1);
    EXPECT_EQ(sent.value, 0u);
    EXPECT_EQ(sent.last, 1);
    SilenceLink(1);
    EXPECT_EQ(TarvexSDK_PowerOffSystem(), TarvexSdkResult_PowerOffFailed);
}

TEST_F(SdkFrame, TheEnvironmentNamesADevicePathOrAddsTheSimulatedLaserAfterTheAdapters) {
    test::SetEnvironment("TARVEX_SDK_DEVICE", "/nonexistent/tty");
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_ConnectFailed);

    const auto silent = AddLaserAdapter(false);
    test::SetEnvironment("TARVEX_SDK_DEVICE", "sim");
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_THAT(BaudsAndCloses(backend.State(silent)), ElementsAre("SetBaudRate 921600", "Close"));
    EXPECT_EQ(test::Read<std::uint8_t>(TarvexSDK_GetNumInstalledQcls), 4);

    // The built-in laser keeps its state across connections, as a laser does.
    EXPECT_EQ(TarvexSDK_DeInitialize(), TarvexSdkResult_Success);
    EXPECT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
    EXPECT_TRUE(Connected());
}

TEST_F(SdkFrame, TracedExportsWriteTheirNamesFirst) {
    Connect();
    test::TraceCapture trace;
    std::uint8_t value = 0;
    float ww = 0;
    TarvexSDK_IsLaserArmed(&value);
    TarvexSDK_GetActualWW(&ww, &value, &value);
    TarvexSDK_Initialize();
    const auto lines = trace.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "TarvexSDK_IsLaserArmed");
    EXPECT_THAT(lines, Contains("TarvexSDK_Initialize"));
    EXPECT_THAT(lines, Not(Contains("TarvexSDK_GetActualWW")));
}
