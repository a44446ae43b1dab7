/*
 * TarvexSDK: the C interface to the Tarvex tunable mid-infrared laser.
 *
 * Every function returns a result code (enum TarvexSdkResult) as an unsigned 32-bit integer and
 * hands its values out through pointers the caller supplies; the library never allocates memory
 * for the caller. QCL modules are numbered 1 to 4, as on the laser's front panel.
 *
 * Starting: the library holds one controller object from the moment it is loaded.
 * TarvexSDK_Initialize finds the laser on the machine's USB serial adapters, first at 921600
 * baud and then at 115200, and reads its whole state once. Every query and command afterwards
 * talks to the laser; without a connection they answer TarvexSdkResult_CommError.
 *
 * Threads: any function may be called from any thread. The library serialises its calls: each
 * one runs its whole sequence of exchanges with the laser without another call's exchanges in
 * between, and sees the library's own settings (galvo displacement, multi-spectral list) as no
 * other call is changing them. A call that waits for the laser (up to 2 s per exchange on a
 * silent link) holds up the calls of other threads meanwhile. TarvexSDK_GetAPIVersion,
 * TarvexSDK_IsTarvexObjectCreated and TarvexSDK_ConvertWW never wait.
 *
 * Output pointers: a null output pointer is refused with TarvexSdkResult_NullPointer; the
 * function then writes nothing and sends nothing to the laser.
 *
 * Text outputs (serial numbers, model number) go into a caller buffer of `length` bytes: when
 * the text is at most `length` bytes long, the buffer is zero-filled over all `length` bytes and
 * the text copied without a terminator of its own, so that a text of exactly `length` bytes is
 * not terminated; a longer text leaves the buffer untouched and gives
 * TarvexSdkResult_BufferTooSmall. Favorite names need a buffer longer than the name, so that the
 * name is always terminated.
 *
 * Units: currents in mA, pulse rates in Hz, pulse widths in ns, temperatures in degrees Celsius.
 * Wavelengths travel with a unit code: 1 microns, 2 wavenumbers (cm-1).
 *
 * Without a laser: the environment variable TARVEX_SDK_DEVICE, read by TarvexSDK_Initialize,
 * adds one device to those it searches (after the USB adapters):
 *   TARVEX_SDK_DEVICE=sim          the built-in simulated laser, inside the calling process;
 *   TARVEX_SDK_DEVICE=/dev/pts/5   a serial device or pseudo-terminal where a program that
 *                                  speaks the laser's protocol (such as tarvex-sim) listens;
 *   TARVEX_SDK_DEVICE=COM5         the same on Windows, a serial port.
 * Everything else runs as with a real laser.
 *
 * Compiles as C99 and as C++.
 */
#ifndef TARVEX_SDK_H
#define TARVEX_SDK_H

#include <stdint.h>

/* Marks the library's exports; everything else in it stays hidden. */
#if defined(_WIN32)
#if defined(TARVEXSDK_BUILDING)
#define TARVEXSDK_API __declspec(dllexport)
#else
#define TARVEXSDK_API __declspec(dllimport)
#endif
#else
#define TARVEXSDK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. 92 is not used. */
enum TarvexSdkResult {
    TarvexSdkResult_Success = 0,
    TarvexSdkResult_CommTypeUnsupported = 1,
    TarvexSdkResult_ConnectFailed = 32,
    TarvexSdkResult_ArmCommandFailed = 64,
    TarvexSdkResult_TuneCommandFailed = 65,
    TarvexSdkResult_InterlockOrKeySwitchOpen = 66,
    TarvexSdkResult_StopScanFailed = 67,
    TarvexSdkResult_PauseScanFailed = 68,
    TarvexSdkResult_ResumeScanFailed = 69,
    TarvexSdkResult_ManualStepFailed = 70,
    TarvexSdkResult_SweepScanStartFailed = 71,
    TarvexSdkResult_StepMeasureScanStartFailed = 72,
    TarvexSdkResult_IndexOutOfRange = 73,
    TarvexSdkResult_MultiSpectralScanStartFailed = 74,
    TarvexSdkResult_TooManyMultiSpectralElements = 75,
    TarvexSdkResult_MultiSpectralListIncomplete = 76,
    TarvexSdkResult_BufferTooSmall = 77,
    TarvexSdkResult_FavoriteNotFound = 78,
    TarvexSdkResult_FavoriteRecallFailed = 79,
    TarvexSdkResult_WavelengthOutOfRange = 80,
    TarvexSdkResult_NoScanInProgress = 81,
    TarvexSdkResult_EmissionOnFailed = 82,
    TarvexSdkResult_EmissionNotOn = 83,
    TarvexSdkResult_EmissionOffFailed = 84,
    TarvexSdkResult_EmissionAlreadyOn = 85,
    TarvexSdkResult_PulseRateOutOfRange = 86,
    TarvexSdkResult_PulseWidthOutOfRange = 87,
    TarvexSdkResult_CurrentOutOfRange = 88,
    TarvexSdkResult_QclParamsWriteFailed = 89,
    TarvexSdkResult_InvalidQclNumber = 90,
    TarvexSdkResult_ArmStateUnchanged = 91,
    TarvexSdkResult_LaserNotArmed = 93,
    TarvexSdkResult_LaserNotTuned = 94,
    TarvexSdkResult_TecsNotAtTemperature = 95,
    TarvexSdkResult_CwNotAllowed = 96,
    TarvexSdkResult_InvalidLaserMode = 97,
    TarvexSdkResult_TemperatureOutOfRange = 98,
    TarvexSdkResult_PowerOffFailed = 99,
    TarvexSdkResult_CommError = 100,
    TarvexSdkResult_ObjectNotCreated = 101,
    TarvexSdkResult_ObjectAlreadyCreated = 102,
    TarvexSdkResult_AdvancedSweepFailed = 103,
    TarvexSdkResult_ProcessTriggerFailed = 104,
    /* An output pointer was null: nothing was written and nothing sent. */
    TarvexSdkResult_NullPointer = 105
};
typedef enum TarvexSdkResult TarvexSdkResult;

/*
 * Codes most functions can return besides those listed with them:
 *   CommError          a read from the laser failed (no connection, a silent or garbled link);
 *                      the outputs are left as they were unless said otherwise;
 *   ObjectNotCreated   the controller object does not exist;
 *   NullPointer        an output pointer was null.
 * A QCL number of 0 or above the installed count gives InvalidQclNumber.
 */

/* ---- Frame and connection ------------------------------------------------------------------ */

/* The interface version, 1.5.1. Always Success. */
TARVEXSDK_API uint32_t TarvexSDK_GetAPIVersion(uint16_t* major, uint16_t* minor, uint16_t* patch);

/* The controller object exists from the moment the library is loaded: ObjectAlreadyCreated.
 * Creates it otherwise (Success). */
TARVEXSDK_API uint32_t TarvexSDK_CreateTarvexObject(void);

/* 1 when the controller object exists. Always Success (or NullPointer). */
TARVEXSDK_API uint32_t TarvexSDK_IsTarvexObjectCreated(uint8_t* created);

/* The link type: 1 (USB serial) is the only one; anything else gives CommTypeUnsupported and
 * changes nothing. */
TARVEXSDK_API uint32_t TarvexSDK_SetCommType(uint8_t commType);

/* Stores a serial port number and a baud rate for a serial connection; 0 leaves either as it
 * is. The USB search of TarvexSDK_Initialize does not use them. Success. */
TARVEXSDK_API uint32_t TarvexSDK_SetSerialParams(uint16_t port, uint32_t baud);

/* Connects: every USB serial adapter of the laser's kind at 921600 baud, then again at 115200,
 * plus the device named by TARVEX_SDK_DEVICE; the first that answers is kept and the laser's
 * state read. Already connected: Success at once, nothing sent. Resets the galvo displacement
 * to 500. Success or ConnectFailed. */
TARVEXSDK_API uint32_t TarvexSDK_Initialize(void);

/* 1 while connected and fewer than six exchanges in a row have failed. Success. */
TARVEXSDK_API uint32_t TarvexSDK_IsConnectedToLaser(uint8_t* connected);

/* Closes the connection (nothing when not connected); the last values read stay. Success. */
TARVEXSDK_API uint32_t TarvexSDK_DeInitialize(void);

/* Sends the laser's power-off command. Success or PowerOffFailed. */
TARVEXSDK_API uint32_t TarvexSDK_PowerOffSystem(void);

/* ---- Status and light: each reads the status (or the light information) first -------------- */

/* Interlock closed (status bit 0). */
TARVEXSDK_API uint32_t TarvexSDK_IsInterlockedStatusSet(uint8_t* set);
/* Key switch on (status bit 1). */
TARVEXSDK_API uint32_t TarvexSDK_IsKeySwitchStatusSet(uint8_t* set);
/* Every TEC at its set temperature (status bit 2). */
TARVEXSDK_API uint32_t TarvexSDK_AreTECsAtSetTemperature(uint8_t* atTemp);
/* A system error is active (status bit 8). */
TARVEXSDK_API uint32_t TarvexSDK_IsSystemError(uint8_t* error);
/* The laser is armed (status bit 10). */
TARVEXSDK_API uint32_t TarvexSDK_IsLaserArmed(uint8_t* armed);
/* The 16-bit system error word. */
TARVEXSDK_API uint32_t TarvexSDK_GetSystemErrorWord(uint16_t* word);
/* 1 while light is emitted. */
TARVEXSDK_API uint32_t TarvexSDK_IsEmissionOn(uint8_t* on);
/* The QCL in use (1 to 4; 0 before the first tune). */
TARVEXSDK_API uint32_t TarvexSDK_GetActiveQcl(uint8_t* qcl);
/* The wavelength the laser is at, its unit code, and 1 when that reading is valid. */
TARVEXSDK_API uint32_t TarvexSDK_GetActualWW(float* ww, uint8_t* units, uint8_t* lightValid);

/* ---- QCL limits: read the laser's identity and the QCL's limits first ---------------------- */

/* Maximum continuous-wave drive current, mA (truncated; 0 to 65535). Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLMaxCwCurrent(uint8_t qcl, uint16_t* mA);
/* Maximum pulsed drive current, mA (truncated; 0 to 65535). Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLMaxPulsedCurrent(uint8_t qcl, uint16_t* mA);
/* Maximum pulse rate and pulse width in the units the QCL states them in (not converted), and
 * the maximum duty cycle in % (100 for a QCL that allows continuous wave). Invalid QCL: writes
 * 0s. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLPulseLimits(uint8_t qcl, float* maxRate, float* maxWidth,
                                                   float* maxDuty);
/* Set-point temperature and the drive temperature limits, degrees Celsius. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLTemperatureRange(uint8_t qcl, float* setPoint, float* min,
                                                        float* max);
/* The QCL's tuning range and its unit code (reads only the QCL limits). Invalid QCL: writes 0,
 * 0 and unit 1. */
TARVEXSDK_API uint32_t TarvexSDK_GetQclTuningRange(uint8_t qcl, float* min, float* max,
                                                   uint8_t* units);
/* 1 when the QCL allows a continuous-wave mode. Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_isCwAllowed(uint8_t qcl, uint8_t* allowed);
/* 1 when the QCL has its CW filters; from the values of the last read, nothing is sent.
 * Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_areCwFiltersInstalled(uint8_t qcl, uint8_t* installed);

/* ---- QCL operating parameters: read the identity and the QCL parameters first -------------- */

/* Drive current, mA. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLCurrent(uint8_t qcl, float* mA);
/* Pulse rate, Hz. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLPulseRate(uint8_t qcl, float* hz);
/* Pulse width, ns. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLPulseWidth(uint8_t qcl, float* ns);
/* Set temperature, degrees Celsius. */
TARVEXSDK_API uint32_t TarvexSDK_GetQclSetTemperature(uint8_t qcl, float* degC);
/* Laser mode: 1 pulsed, 2 to 10 continuous-wave modes. Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLOperatingMode(uint8_t qcl, uint8_t* mode);

/* ---- QCL readbacks -------------------------------------------------------------------------- */

/* Actual QCL temperature, degrees Celsius. Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_GetQCLTemperature(uint8_t qcl, float* degC);
/* Actual TEC current, truncated to 0 to 65535. Invalid QCL: writes 0. */
TARVEXSDK_API uint32_t TarvexSDK_GetTecCurrent(uint8_t qcl, uint16_t* mA);
/* Actual drive current (mA), QCL voltage, source voltage and drive transistor voltage (V). */
TARVEXSDK_API uint32_t TarvexSDK_GetReadbackParameters(uint8_t qcl, float* current, float* voltage,
                                                       float* vsrc, float* vfet);
/* The QCL's serial number, by the text-buffer rule (BufferTooSmall). */
TARVEXSDK_API uint32_t TarvexSDK_GetQclSerialNumber(uint8_t qcl, uint8_t* buffer, uint8_t length);
/* TEC voltage (V), current (A) and resistance (ohms). The QCL is checked before anything is
 * sent; on any failure the three outputs are set to 0. */
TARVEXSDK_API uint32_t TarvexSDK_GetAllTecParams(uint8_t qcl, float* voltage, float* current,
                                                 float* resistance);
/* The grating encoder count. The QCL is checked before anything is sent. */
TARVEXSDK_API uint32_t TarvexSDK_GetEncoderCount(uint8_t qcl, uint32_t* count);
/* Motion calibration: grating spacing, radians per encoder count, home position (radians). The
 * QCL is checked before anything is sent. */
TARVEXSDK_API uint32_t TarvexSDK_GetMotionCalParameters(uint8_t qcl, float* gratingSpacing,
                                                        float* radiansPerCount, float* homeRadians);
/* How long the QCL's grating takes to move, as the laser reports it. The QCL is checked before
 * anything is sent. */
TARVEXSDK_API uint32_t TarvexSDK_GetMoveDuration(uint8_t qcl, uint32_t* duration);

/* ---- Identity ------------------------------------------------------------------------------- */

/* The laser's serial number, by the text-buffer rule (BufferTooSmall). */
TARVEXSDK_API uint32_t TarvexSDK_GetSerialNumber(uint8_t* buffer, uint8_t length);
/* The laser's model number, by the text-buffer rule (BufferTooSmall). */
TARVEXSDK_API uint32_t TarvexSDK_GetModelNumber(uint8_t* buffer, uint8_t length);
/* The number of QCL modules installed. */
TARVEXSDK_API uint32_t TarvexSDK_GetNumInstalledQcls(uint8_t* count);
/* Controller firmware version and PCB version; motion-board firmware and hardware versions and
 * module type. All ten are zeroed first; the motion-board patch is read from controller
 * firmware 1.7.15 on and stays 0 before it. */
TARVEXSDK_API uint32_t TarvexSDK_GetHwFwVersions(uint8_t* fwMajor, uint8_t* fwMinor,
                                                 uint8_t* fwPatch, uint8_t* motionFwMajor,
                                                 uint8_t* motionFwMinor, uint8_t* motionFwPatch,
                                                 uint8_t* pcbVersion, uint8_t* motionModuleType,
                                                 uint8_t* motionHwMajor, uint8_t* motionHwMinor);
/* Case temperatures 1 and 2 and the PCB temperature, degrees Celsius. */
TARVEXSDK_API uint32_t TarvexSDK_GetSystemTemperatures(float* caseTemp1, float* caseTemp2,
                                                       float* pcbTemp);
/* The unit code the laser displays wavelengths in. */
TARVEXSDK_API uint32_t TarvexSDK_GetWWDisplayUnits(uint8_t* units);

/* ---- Scan parameters as the laser holds them (each reads its record first) ----------------- */

/* Single-wavelength tune: the wavelength, its unit code and the QCL asked for. */
TARVEXSDK_API uint32_t TarvexSDK_GetTuneWW(float* ww, uint8_t* units, uint8_t* qcl);
/* Sweep scan: number of scans, speed, start and stop (each with its unit code), direction. */
TARVEXSDK_API uint32_t TarvexSDK_GetSweepNumScans(uint16_t* n);
TARVEXSDK_API uint32_t TarvexSDK_GetSweepScanSpeed(float* speed, uint8_t* units);
TARVEXSDK_API uint32_t TarvexSDK_GetSweepStartWW(float* ww, uint8_t* units);
TARVEXSDK_API uint32_t TarvexSDK_GetSweepStopWW(float* ww, uint8_t* units);
TARVEXSDK_API uint32_t TarvexSDK_IsSweepBidirectional(uint8_t* bidirectional);
/* Step-and-measure scan: number of scans, start, stop and step size with their unit codes. */
TARVEXSDK_API uint32_t TarvexSDK_GetStepMeasureNumScans(uint16_t* n);
TARVEXSDK_API uint32_t TarvexSDK_GetStepMeasureStartWW(float* ww, uint8_t* units);
TARVEXSDK_API uint32_t TarvexSDK_GetStepMeasureStopWW(float* ww, uint8_t* units);
TARVEXSDK_API uint32_t TarvexSDK_GetStepMeasureStepSizeWW(float* ww, uint8_t* units);
/* Multi-spectral scan: number of scans, unit code, number of elements, and one element by its
 * 0-based index (IndexOutOfRange at or beyond the number of elements). */
TARVEXSDK_API uint32_t TarvexSDK_GetMultiSpectralNumScans(uint16_t* n);
TARVEXSDK_API uint32_t TarvexSDK_GetMultiSpectralWWUnits(uint8_t* units);
TARVEXSDK_API uint32_t TarvexSDK_GetNumMultiSpectralElements(uint8_t* n);
TARVEXSDK_API uint32_t TarvexSDK_GetMultiSpectralElement(uint8_t index, float* ww,
                                                         uint32_t* dwellTime, uint32_t* offTime);

/* ---- Tuning range and conversion ------------------------------------------------------------ */

/* The range the whole laser covers, from the QCLs available: each QCL's range converted into the
 * unit of the last available QCL, which is the unit reported. 0 to 0 in unit 1 when no QCL is
 * available. */
TARVEXSDK_API uint32_t TarvexSDK_GetTuningRange(float* min, float* max, uint8_t* units);
/* Microns to wavenumbers and back: 10000 / ww when the unit codes differ, ww itself when they
 * agree or ww is 0. Nothing is sent. Always Success (or NullPointer). */
TARVEXSDK_API uint32_t TarvexSDK_ConvertWW(float ww, uint8_t fromUnits, uint8_t toUnits,
                                           float* out);

/* ---- Advanced sweep and wavelength trigger -------------------------------------------------- */

/* The advanced sweep as the laser holds it. */
TARVEXSDK_API uint32_t TarvexSDK_GetAdvancedSweepParams(uint8_t* units, float* start, float* stop,
                                                        float* speed, uint16_t* numScans,
                                                        uint8_t* bidirectional);
/* One channel (1-based, checked like a QCL number) of the advanced sweep: start, stop and 1
 * when the channel is used. */
TARVEXSDK_API uint32_t TarvexSDK_GetAdvancedSweepChanParams(uint8_t channel, float* start,
                                                            float* stop, uint8_t* used);
/* Pulse mode, process-trigger mode, wavelength-trigger start, stop, interval and unit code,
 * dwell and off times (ms). All eight are written even when the read fails (CommError), from
 * the values of the last good read. */
TARVEXSDK_API uint32_t TarvexSDK_GetWlTrigParams(uint8_t* pulseMode, uint8_t* processTriggerMode,
                                                 float* start, float* stop, float* interval,
                                                 uint8_t* units, uint32_t* dwellTime,
                                                 uint32_t* offTime);
/* One wavelength-trigger channel (1-based): unit code, start, stop, spacing, and the number of
 * trigger points |stop - start| / spacing + 1 (0 for spacing 0). A failed read sets all five
 * to 0 (CommError). */
TARVEXSDK_API uint32_t TarvexSDK_GetWlTrigChanParams(uint32_t channel, uint8_t* units, float* start,
                                                     float* stop, float* spacing,
                                                     uint16_t* numPoints);
/* The wavelength-trigger pulse width, microseconds. */
TARVEXSDK_API uint32_t TarvexSDK_GetWlTrigPulseWidth(uint16_t* microseconds);

/* ---- Galvo laser switching ------------------------------------------------------------------ */

/* 1 when the galvo switches the laser on and off. */
TARVEXSDK_API uint32_t TarvexSDK_GetGalvoLaserOnOffEnabled(uint8_t* enabled);
/* The galvo displacement the laser holds. */
TARVEXSDK_API uint32_t TarvexSDK_GetGalvoDisplacement(uint16_t* displacement);
/* How many times the galvo has flipped. */
TARVEXSDK_API uint32_t TarvexSDK_GetNumGalvoFlips(uint32_t* flips);

/* ---- Favorites (saved states) --------------------------------------------------------------- */

/* The number of favorites the laser holds (0 when it holds none). */
TARVEXSDK_API uint32_t TarvexSDK_GetNumFavorites(uint8_t* n);
/* The name of favorite `index` (0-based, in the laser's slot order, below the count of
 * TarvexSDK_GetNumFavorites; IndexOutOfRange otherwise). The buffer must be longer than the
 * name (BufferTooSmall otherwise, buffer untouched); it is zero-filled and the name copied. */
TARVEXSDK_API uint32_t TarvexSDK_GetFavoriteName(uint8_t index, uint8_t* buffer, uint8_t length);

/* ---- Scan progress -------------------------------------------------------------------------- */

/* Reads the scan progress, the light information and the status, then hands out at one moment:
 * scan in progress (status bit 5), scan active, status bit 7, the scan number and percentage,
 * the wavelength the laser is at with its unit code, and whether the laser is adjusting its
 * temperature or its wavelength. */
TARVEXSDK_API uint32_t TarvexSDK_GetScanStatus(uint8_t* inProgress, uint8_t* scanActive,
                                               uint8_t* statusBit7, uint16_t* curScanNum,
                                               uint16_t* scanPercent, float* currentWW,
                                               uint8_t* units, uint8_t* adjustingTemperature,
                                               uint8_t* adjustingWavelength);
/* 1 while a scan waits for a process trigger. */
TARVEXSDK_API uint32_t TarvexSDK_GetScanWaitingProcessTrigger(uint8_t* waiting);
/* 1 once the laser has reached the wavelength of the last tune (or while a scan is active).
 * Decides from the last values read when the reads fail: always Success. */
TARVEXSDK_API uint32_t TarvexSDK_IsTuned(uint8_t* tuned);

/* ==== Control: each checks its arguments and the laser's state first, and refuses with the
 * reason (the code) before it sends anything that changes the laser. The checks read the
 * laser's state afresh. ======================================================================= */

/* ---- Arming and emission -------------------------------------------------------------------- */

/* Arms the laser. ArmStateUnchanged when it is armed already, InterlockOrKeySwitchOpen while
 * the interlock or the key switch is open; ArmCommandFailed. Arming takes the laser a moment:
 * TarvexSDK_IsLaserArmed reports it. */
TARVEXSDK_API uint32_t TarvexSDK_ArmLaser(void);
/* Disarms the laser (emission stops) and waits until it reports itself disarmed.
 * ArmStateUnchanged when it is not armed; ArmCommandFailed. */
TARVEXSDK_API uint32_t TarvexSDK_DisarmLaser(void);
/* Disarms an armed laser (whatever the key switch), arms one that is not (as
 * TarvexSDK_ArmLaser). */
TARVEXSDK_API uint32_t TarvexSDK_ArmDisarmLaser(void);
/* Starts emission. LaserNotArmed, LaserNotTuned (TarvexSDK_IsTuned), EmissionAlreadyOn, in
 * that order; EmissionOnFailed. */
TARVEXSDK_API uint32_t TarvexSDK_TurnEmissionOn(void);
/* Stops emission. EmissionNotOn when it is off; EmissionOffFailed. */
TARVEXSDK_API uint32_t TarvexSDK_TurnEmissionOff(void);

/* ---- Tuning and scans ----------------------------------------------------------------------- *
 * Each start checks, in this order: the QCL number where there is one (0: the laser chooses;
 * InvalidQclNumber above the installed count), TecsNotAtTemperature, each wavelength against
 * the laser's tuning range (TarvexSDK_GetTuningRange) converted into `units`, both ends
 * included (WavelengthOutOfRange, also for a unit code other than 1 or 2), LaserNotArmed.
 * Then the scan mode, the scan's settings and the start go to the laser; a failure there gives
 * the start's own code. Follow a tune with TarvexSDK_IsTuned, a scan with
 * TarvexSDK_GetScanStatus. */

/* Tunes to one wavelength. TuneCommandFailed. */
TARVEXSDK_API uint32_t TarvexSDK_TuneToWW(float ww, uint8_t units, uint8_t qcl);
/* Sweeps from startWW to stopWW at `speed` (in `units` per second), numScans times, back and
 * forth when bidirectional is non-zero. SweepScanStartFailed (also for a speed that is not
 * positive). */
TARVEXSDK_API uint32_t TarvexSDK_StartSweepScan(float startWW, float stopWW, float speed,
                                                uint8_t units, uint16_t numScans,
                                                uint8_t bidirectional, uint8_t qcl);
/* Steps from startWW to stopWW by stepSize, numScans times; the laser is off between the
 * points. The step size is the laser's to judge. StepMeasureScanStartFailed. */
TARVEXSDK_API uint32_t TarvexSDK_StartStepMeasureModeScan(float startWW, float stopWW,
                                                          float stepSize, uint8_t units,
                                                          uint16_t numScans);
/* Runs the list built with TarvexSDK_SetNumMultiSpectralElements and
 * TarvexSDK_AddMultiSpectralElement, numScans times: TecsNotAtTemperature,
 * MultiSpectralListIncomplete (fewer or more elements than announced), LaserNotArmed;
 * MultiSpectralScanStartFailed. The list stays for another start. */
TARVEXSDK_API uint32_t TarvexSDK_StartMultiSpectralModeScan(uint16_t numScans);
/* Runs the advanced sweep that TarvexSDK_ReadWriteAdvancedSweepParams(1) last wrote; no
 * checks. AdvancedSweepFailed. */
TARVEXSDK_API uint32_t TarvexSDK_StartSweepAdvancedScan(void);

/* ---- A scan in progress: NoScanInProgress when none runs ------------------------------------ */

TARVEXSDK_API uint32_t TarvexSDK_StopScanInProgress(void);       /* StopScanFailed */
TARVEXSDK_API uint32_t TarvexSDK_PauseScanInProgress(void);      /* PauseScanFailed */
TARVEXSDK_API uint32_t TarvexSDK_ResumeScanInProgress(void);     /* ResumeScanFailed */
TARVEXSDK_API uint32_t TarvexSDK_ManualStepScanInProgress(void); /* ManualStepFailed */
/* Leaves a manual tune: the same as TarvexSDK_StopScanInProgress. */
TARVEXSDK_API uint32_t TarvexSDK_CancelManualTuneMode(void);
/* The trigger a scan in the manual process-trigger mode waits for
 * (TarvexSDK_GetScanWaitingProcessTrigger); sent whatever the state. ProcessTriggerFailed. */
TARVEXSDK_API uint32_t TarvexSDK_InjectProcessTrigger(void);

/* ---- The multi-spectral list (kept by the library, sent by the start) ----------------------- */

/* Empties the list and announces how many elements will be added, at most 20
 * (TooManyMultiSpectralElements, list unchanged). */
TARVEXSDK_API uint32_t TarvexSDK_SetNumMultiSpectralElements(uint8_t count);
/* Adds a wavelength with its dwell and off times (ms). WavelengthOutOfRange as for a tune;
 * IndexOutOfRange once the list holds the announced number. The list's unit is that of the
 * last element added (also one refused because the list is full); elements added in the other
 * unit are converted into it when the scan starts. */
TARVEXSDK_API uint32_t TarvexSDK_AddMultiSpectralElement(float ww, uint8_t units,
                                                         uint32_t dwellTime, uint32_t offTime);

/* ---- QCL drive parameters ------------------------------------------------------------------- *
 * Both read the QCL's limits and parameters afresh, check in this order: the QCL number, the
 * pulse rate (PulseRateOutOfRange), the pulse width (PulseWidthOutOfRange), [the laser mode],
 * the current (CurrentOutOfRange), [the temperature], each range with both ends, the limits
 * brought to Hz and ns whatever units the QCL states them in; then write and read back
 * (QclParamsWriteFailed). */

/* Pulse rate (Hz), pulse width (ns) and current (mA, within the pulsed limits); the QCL's
 * temperature and laser mode stay. */
TARVEXSDK_API uint32_t TarvexSDK_SetQCLParams(uint8_t qcl, float pulseRateHz, float pulseWidthNs,
                                              float currentMa);
/* All of them: laserMode 1 pulsed, or 2 to 10 a continuous-wave mode (CwNotAllowed on a QCL
 * without CW, TarvexSDK_isCwAllowed; InvalidLaserMode for anything else); the current within
 * the mode's limits; the temperature (degrees Celsius) within the QCL's drive limits
 * (TemperatureOutOfRange). */
TARVEXSDK_API uint32_t TarvexSDK_SetAllQclParams(uint8_t qcl, float pulseRateHz, float pulseWidthNs,
                                                 float currentMa, float temperatureC,
                                                 uint8_t laserMode);
/* Writes the QCL's motion calibration (as TarvexSDK_GetMotionCalParameters reads it). The QCL
 * is checked before anything is sent. CommError when the write fails. */
TARVEXSDK_API uint32_t TarvexSDK_SetMotionCalParameters(uint8_t qcl, float gratingSpacing,
                                                        float radiansPerCount, float homeRadians);

/* ---- Wavelength trigger and advanced sweep -------------------------------------------------- */

/* Pulse mode (1 internal, 2 external trigger, 3 external pass-through, 4 wavelength trigger),
 * process-trigger mode (1 internal, 2 external step, 3 manual), the trigger's start, stop and
 * interval in `units`, dwell and off times (ms). CommError when the laser does not take them. */
TARVEXSDK_API uint32_t TarvexSDK_SetWlTrigParams(uint8_t pulseMode, uint8_t processTriggerMode,
                                                 float startWW, float stopWW, float interval,
                                                 uint8_t units, uint32_t dwellTime,
                                                 uint32_t offTime);
/* The wavelength-trigger pulse width, microseconds. CommError when the write fails. */
TARVEXSDK_API uint32_t TarvexSDK_SetWlTrigPulseWidth(uint16_t microseconds);
/* Stages the advanced sweep's settings in the library; nothing is sent. Success. */
TARVEXSDK_API uint32_t TarvexSDK_SetAdvancedSweepParams(uint8_t units, float startWW, float stopWW,
                                                        float speed, uint16_t numScans,
                                                        uint8_t bidirectional);
/* Stages one channel (1-based, checked like a QCL number: InvalidQclNumber): start, stop and
 * whether it is used. Nothing is sent. */
TARVEXSDK_API uint32_t TarvexSDK_SetAdvancedSweepChanParams(uint8_t channel, float startWW,
                                                            float stopWW, uint8_t used);
/* Non-zero: sends the staged advanced sweep; 0: reads the laser's into the stage.
 * AdvancedSweepFailed. */
TARVEXSDK_API uint32_t TarvexSDK_ReadWriteAdvancedSweepParams(uint8_t write);

/* ---- Galvo laser switching ------------------------------------------------------------------ */

/* Sets the galvo's displacement (at most 2047; more is taken as 2047), keeping its on/off
 * setting as the laser reports it. The displacement is kept for
 * TarvexSDK_EnableGalvoLaserOnOff until the next TarvexSDK_Initialize (which sets 500).
 * CommError. */
TARVEXSDK_API uint32_t TarvexSDK_SetGalvoDisplacement(uint16_t displacement);
/* Switches the galvo's laser switching on (non-zero) or off at the kept displacement.
 * CommError. */
TARVEXSDK_API uint32_t TarvexSDK_EnableGalvoLaserOnOff(uint8_t enable);

/* ---- Favorites and faults ------------------------------------------------------------------- */

/* Restores every favorite whose name is exactly `name` (zero-terminated; case matters), in the
 * laser's slot order. FavoriteNotFound, FavoriteRecallFailed; NullPointer for a null name. */
TARVEXSDK_API uint32_t TarvexSDK_RecallFavorite(const char* name);
/* Clears the laser's fault, then reads the status: `cleared` is 1 when it shows no system error
 * and a zero error word. Success whatever the outcome (NullPointer for a null `cleared`). */
TARVEXSDK_API uint32_t TarvexSDK_ClearSystemError(uint8_t* cleared);

#ifdef __cplusplus
}
#endif

#endif /* TARVEX_SDK_H */
