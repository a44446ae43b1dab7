"""Result codes and unit and mode codes of the Tarvex SDK."""

from __future__ import annotations

import enum


class Result(enum.IntEnum):
    """The SDK's result codes (``TarvexSdkResult``)."""

    SUCCESS = 0
    COMM_TYPE_UNSUPPORTED = 1
    CONNECT_FAILED = 32
    ARM_COMMAND_FAILED = 64
    TUNE_COMMAND_FAILED = 65
    INTERLOCK_OR_KEY_SWITCH_OPEN = 66
    STOP_SCAN_FAILED = 67
    PAUSE_SCAN_FAILED = 68
    RESUME_SCAN_FAILED = 69
    MANUAL_STEP_FAILED = 70
    SWEEP_SCAN_START_FAILED = 71
    STEP_MEASURE_SCAN_START_FAILED = 72
    INDEX_OUT_OF_RANGE = 73
    MULTI_SPECTRAL_SCAN_START_FAILED = 74
    TOO_MANY_MULTI_SPECTRAL_ELEMENTS = 75
    MULTI_SPECTRAL_LIST_INCOMPLETE = 76
    BUFFER_TOO_SMALL = 77
    FAVORITE_NOT_FOUND = 78
    FAVORITE_RECALL_FAILED = 79
    WAVELENGTH_OUT_OF_RANGE = 80
    NO_SCAN_IN_PROGRESS = 81
    EMISSION_ON_FAILED = 82
    EMISSION_NOT_ON = 83
    EMISSION_OFF_FAILED = 84
    EMISSION_ALREADY_ON = 85
    PULSE_RATE_OUT_OF_RANGE = 86
    PULSE_WIDTH_OUT_OF_RANGE = 87
    CURRENT_OUT_OF_RANGE = 88
    QCL_PARAMS_WRITE_FAILED = 89
    INVALID_QCL_NUMBER = 90
    ARM_STATE_UNCHANGED = 91
    LASER_NOT_ARMED = 93
    LASER_NOT_TUNED = 94
    TECS_NOT_AT_TEMPERATURE = 95
    CW_NOT_ALLOWED = 96
    INVALID_LASER_MODE = 97
    TEMPERATURE_OUT_OF_RANGE = 98
    POWER_OFF_FAILED = 99
    COMM_ERROR = 100
    OBJECT_NOT_CREATED = 101
    OBJECT_ALREADY_CREATED = 102
    ADVANCED_SWEEP_FAILED = 103
    PROCESS_TRIGGER_FAILED = 104
    NULL_POINTER = 105


class Unit(enum.IntEnum):
    """Wavelength units: microns, or wavenumbers in cm-1."""

    MICRONS = 1
    WAVENUMBER = 2

    @property
    def symbol(self) -> str:
        """The unit as it is written after a value ("um", "cm-1")."""
        return "um" if self is Unit.MICRONS else "cm-1"


class LaserMode(enum.IntEnum):
    """A QCL's laser mode: pulsed, or one of the continuous-wave (CW) modes."""

    PULSED = 1
    CW = 2
    CW_MODULATION = 3
    CW_MHF = 4
    CW_MHF_MODULATION = 5
    CW_MODE_RELEASE = 6
    CW_MODE_RELEASE_MODULATION = 7
    CW_FILTER_1 = 8
    CW_FILTER_2 = 9


class PulseMode(enum.IntEnum):
    """What triggers the laser's pulses."""

    INTERNAL = 1
    EXTERNAL_TRIGGER = 2
    EXTERNAL_PASS_THROUGH = 3
    WAVELENGTH_TRIGGER = 4


class ProcessTriggerMode(enum.IntEnum):
    """What moves a scan on to its next point."""

    INTERNAL = 1
    EXTERNAL_STEP = 2
    MANUAL = 3
