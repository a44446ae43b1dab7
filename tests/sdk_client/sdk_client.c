/*
 * The first steps of a client of the laser: connect, identify the laser, read its status and
 * its ranges, disconnect. Prints what it read; exits with 1 when a step fails.
 */
#include <TarvexSDK.h>

#include <stdio.h>

static int failures = 0;

static int Check(const char* what, uint32_t result) {
    if (result == TarvexSdkResult_Success)
        return 1;
    fprintf(stderr, "%s: result %u\n", what, (unsigned)result);
    ++failures;
    return 0;
}

#define CHECK(call) Check(#call, call)

static const char* UnitName(uint8_t unit) {
    return unit == 1 ? "um" : "cm-1";
}

static void ShowStatus(void) {
    uint8_t interlock = 0, key = 0, tecs = 0, armed = 0, emission = 0;
    uint16_t errorWord = 0;
    CHECK(TarvexSDK_IsInterlockedStatusSet(&interlock));
    CHECK(TarvexSDK_IsKeySwitchStatusSet(&key));
    CHECK(TarvexSDK_AreTECsAtSetTemperature(&tecs));
    CHECK(TarvexSDK_IsLaserArmed(&armed));
    CHECK(TarvexSDK_IsEmissionOn(&emission));
    CHECK(TarvexSDK_GetSystemErrorWord(&errorWord));
    printf("interlock %u, key %u, TECs at temperature %u, armed %u, emission %u, error 0x%04x\n",
           interlock, key, tecs, armed, emission, errorWord);
}

static void ShowRanges(uint8_t qcls) {
    float min = 0, max = 0;
    uint8_t unit = 0, qcl;
    if (CHECK(TarvexSDK_GetTuningRange(&min, &max, &unit)))
        printf("tuning range %.2f to %.2f %s\n", min, max, UnitName(unit));
    for (qcl = 1; qcl <= qcls; ++qcl) {
        uint16_t maxCurrent = 0;
        float maxRate = 0, maxWidth = 0, maxDuty = 0, setPoint = 0, minTemp = 0, maxTemp = 0;
        CHECK(TarvexSDK_GetQclTuningRange(qcl, &min, &max, &unit));
        CHECK(TarvexSDK_GetQCLMaxPulsedCurrent(qcl, &maxCurrent));
        CHECK(TarvexSDK_GetQCLPulseLimits(qcl, &maxRate, &maxWidth, &maxDuty));
        CHECK(TarvexSDK_GetQCLTemperatureRange(qcl, &setPoint, &minTemp, &maxTemp));
        printf("QCL %u: %.2f to %.2f %s, up to %u mA, duty %.0f %%, %.1f C (%.1f to %.1f)\n", qcl,
               min, max, UnitName(unit), maxCurrent, maxDuty, setPoint, minTemp, maxTemp);
    }
}

int main(void) {
    uint16_t major = 0, minor = 0, patch = 0;
    uint8_t serial[25] = {0}, model[25] = {0};
    uint8_t qcls = 0, connected = 0;
    uint8_t fw[10] = {0};

    CHECK(TarvexSDK_GetAPIVersion(&major, &minor, &patch));
    printf("TarvexSDK %u.%u.%u\n", major, minor, patch);
    if (!CHECK(TarvexSDK_Initialize()))
        return 1;
    CHECK(TarvexSDK_IsConnectedToLaser(&connected));

    CHECK(TarvexSDK_GetSerialNumber(serial, 24));
    CHECK(TarvexSDK_GetModelNumber(model, 24));
    CHECK(TarvexSDK_GetNumInstalledQcls(&qcls));
    CHECK(TarvexSDK_GetHwFwVersions(&fw[0], &fw[1], &fw[2], &fw[3], &fw[4], &fw[5], &fw[6], &fw[7],
                                    &fw[8], &fw[9]));
    printf("laser %s, serial %s, %u QCLs, firmware %u.%u.%u, connected %u\n", (char*)model,
           (char*)serial, qcls, fw[0], fw[1], fw[2], connected);

    ShowStatus();
    ShowRanges(qcls);

    CHECK(TarvexSDK_DeInitialize());
    return failures == 0 ? 0 : 1;
}
