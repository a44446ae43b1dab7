"""What the laser reports, as plain records."""

from __future__ import annotations

from dataclasses import dataclass
from typing import NamedTuple

from ._codes import Unit


@dataclass(frozen=True)
class TuningRange:
    """A wavelength range, both ends included, in ``unit``."""

    min: float
    max: float
    unit: Unit

    def __contains__(self, value: float) -> bool:
        return self.min <= value <= self.max


@dataclass(frozen=True)
class Status:
    """The laser's status bits and error word, read at one moment."""

    interlock_closed: bool
    key_switch_on: bool
    tecs_at_temperature: bool
    armed: bool
    emission_on: bool
    system_error: bool
    error_word: int


class ScanProgress(NamedTuple):
    """Where a scan stands: one record of a followed scan (a light record: it is read at every
    poll)."""

    in_progress: bool
    active: bool
    scan_number: int
    percent: int
    wavelength: float
    unit: Unit | int
    adjusting_temperature: bool
    adjusting_wavelength: bool


@dataclass(frozen=True)
class Identity:
    """Who the laser is."""

    model: str
    serial_number: str
    qcl_count: int
    firmware: tuple[int, int, int]
    motion_firmware: tuple[int, int, int]


@dataclass(frozen=True)
class PulseLimits:
    """A QCL's highest pulse rate and width in the units the QCL states them, and duty cycle (%)."""

    max_rate: float
    max_width: float
    max_duty_cycle: float


@dataclass(frozen=True)
class TemperatureRange:
    """A QCL's set-point temperature and its drive temperature limits, degrees Celsius."""

    set_point: float
    min: float
    max: float


@dataclass(frozen=True)
class MultiSpectralElement:
    """One wavelength of a multi-spectral scan, with its dwell and off times in ms."""

    wavelength: float
    unit: Unit
    dwell_ms: int
    off_ms: int
