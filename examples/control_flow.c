/*
 * The typical control flow of the Tarvex laser from C: connect, wait for the TECs, arm, tune,
 * wait until tuned, emission on, a short sweep with its progress, emission off, disarm,
 * disconnect. Prints each step; exits with 1 at the first failure, after switching emission
 * off and disarming.
 *
 *   TARVEX_SDK_DEVICE=sim build/examples/control_flow     (the built-in simulated laser)
 */
#define _POSIX_C_SOURCE 200809L

#include <TarvexSDK.h>

#include <stdio.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

#define WAVENUMBER 2

static void Pause(unsigned ms) {
#if defined(_WIN32)
    Sleep(ms);
#else
    struct timespec delay;
    delay.tv_sec = ms / 1000;
    delay.tv_nsec = (long)(ms % 1000) * 1000000L;
    nanosleep(&delay, NULL);
#endif
}

/* Prints a failed step with its result code; true when the step succeeded. */
static int Ok(const char* step, uint32_t result) {
    if (result == TarvexSdkResult_Success)
        return 1;
    fprintf(stderr, "%s failed: result %u\n", step, (unsigned)result);
    return 0;
}

/* Polls `query` every 50 ms until it reports 1, at most `limitMs`. */
static int WaitFor(const char* what, uint32_t (*query)(uint8_t*), unsigned limitMs) {
    unsigned waited = 0;
    for (;;) {
        uint8_t yes = 0;
        if (!Ok(what, query(&yes)))
            return 0;
        if (yes)
            return 1;
        if (waited >= limitMs) {
            fprintf(stderr, "%s: still not after %u ms\n", what, limitMs);
            return 0;
        }
        Pause(50);
        waited += 50;
    }
}

static int Sweep(void) {
    uint8_t inProgress = 1, active = 0, bit7 = 0, unit = 0, adjustingTemp = 0, adjustingWw = 0;
    uint16_t scanNumber = 0, percent = 0;
    float wavelength = 0;
    unsigned waited = 0;
    if (!Ok("sweep", TarvexSDK_StartSweepScan(1650, 1700, 10, WAVENUMBER, 1, 0, 0)))
        return 0;
    while (inProgress) {
        if (!Ok("scan status",
                TarvexSDK_GetScanStatus(&inProgress, &active, &bit7, &scanNumber, &percent,
                                        &wavelength, &unit, &adjustingTemp, &adjustingWw)))
            return 0;
        printf("sweep %3u %% at %.2f\n", percent, wavelength);
        if (inProgress && waited >= 120000) {
            fprintf(stderr, "sweep: still running after 120 s, stopped\n");
            TarvexSDK_StopScanInProgress();
            return 0;
        }
        if (inProgress) {
            Pause(50);
            waited += 50;
        }
    }
    printf("sweep done\n");
    return 1;
}

int main(void) {
    int ok;
    if (!Ok("initialize", TarvexSDK_Initialize()))
        return 1;
    printf("connected\n");

    ok = WaitFor("TECs at temperature", TarvexSDK_AreTECsAtSetTemperature, 120000) &&
         Ok("arm", TarvexSDK_ArmLaser()) && WaitFor("armed", TarvexSDK_IsLaserArmed, 30000);
    if (ok)
        printf("armed\n");
    ok = ok && Ok("tune", TarvexSDK_TuneToWW(1650, WAVENUMBER, 2)) &&
         WaitFor("tuned", TarvexSDK_IsTuned, 60000);
    if (ok)
        printf("tuned to 1650 cm-1\n");
    ok = ok && Ok("emission on", TarvexSDK_TurnEmissionOn());
    if (ok)
        printf("emission on\n");
    ok = ok && Sweep();

    /* Whatever happened: no emission, disarmed, disconnected. */
    if (TarvexSDK_TurnEmissionOff() == TarvexSdkResult_Success)
        printf("emission off\n");
    if (TarvexSDK_DisarmLaser() == TarvexSdkResult_Success)
        printf("disarmed\n");
    TarvexSDK_DeInitialize();
    printf("disconnected\n");
    return ok ? 0 : 1;
}
