"""The laser as a Python object over the SDK."""

from __future__ import annotations

import ctypes
import time
from types import TracebackType
from typing import Any, Callable, Iterable, Iterator, Protocol

from ._codes import LaserMode, ProcessTriggerMode, PulseMode, Result, Unit
from ._native import Native, native
from .errors import TarvexError
from .records import (
    Identity,
    MultiSpectralElement,
    PulseLimits,
    ScanProgress,
    Status,
    TemperatureRange,
    TuningRange,
)

_TEXT_LENGTH = 64


class Clock(Protocol):
    """What the waits of :class:`Laser` measure time and pause with."""

    def monotonic(self) -> float: ...

    def sleep(self, seconds: float) -> None: ...


class _RealTime:
    def monotonic(self) -> float:
        return time.monotonic()

    def sleep(self, seconds: float) -> None:
        time.sleep(seconds)


_UNITS = {int(unit): unit for unit in Unit}


def _unit(code: int) -> Unit | int:
    return _UNITS.get(code, code)


def _text(buffer: ctypes.Array[ctypes.c_uint8]) -> str:
    return bytes(buffer).split(b"\0", 1)[0].decode("ascii", "replace")


class Qcl:
    """One QCL module of the laser, by its number (1 to 4). Every property reads afresh."""

    def __init__(self, sdk: Native, number: int) -> None:
        self._sdk = sdk
        self.number = number

    def __repr__(self) -> str:
        return f"Qcl({self.number})"

    def _value(self, name: str) -> Any:
        return self._sdk.query(name, self.number)[0]

    @property
    def tuning_range(self) -> TuningRange:
        """The module's own tuning range, in the unit it states it."""
        low, high, unit = self._sdk.query("GetQclTuningRange", self.number)
        return TuningRange(low, high, Unit(unit))

    @property
    def serial_number(self) -> str:
        buffer = (ctypes.c_uint8 * _TEXT_LENGTH)()
        self._sdk.call("GetQclSerialNumber", self.number, buffer, _TEXT_LENGTH)
        return _text(buffer)

    @property
    def current_ma(self) -> float:
        """The drive current set, mA."""
        return float(self._value("GetQCLCurrent"))

    @property
    def pulse_rate_hz(self) -> float:
        return float(self._value("GetQCLPulseRate"))

    @property
    def pulse_width_ns(self) -> float:
        return float(self._value("GetQCLPulseWidth"))

    @property
    def set_temperature(self) -> float:
        """The temperature set, degrees Celsius."""
        return float(self._value("GetQclSetTemperature"))

    @property
    def temperature(self) -> float:
        """The temperature measured, degrees Celsius."""
        return float(self._value("GetQCLTemperature"))

    @property
    def mode(self) -> LaserMode | int:
        """The laser mode the module runs in."""
        mode = self._value("GetQCLOperatingMode")
        return LaserMode(mode) if mode in LaserMode._value2member_map_ else mode

    @property
    def cw_allowed(self) -> bool:
        return bool(self._value("isCwAllowed"))

    @property
    def max_pulsed_current_ma(self) -> int:
        return int(self._value("GetQCLMaxPulsedCurrent"))

    @property
    def pulse_limits(self) -> PulseLimits:
        return PulseLimits(*self._sdk.query("GetQCLPulseLimits", self.number))

    @property
    def temperature_range(self) -> TemperatureRange:
        return TemperatureRange(*self._sdk.query("GetQCLTemperatureRange", self.number))

    def set_drive(self, pulse_rate_hz: float, pulse_width_ns: float, current_ma: float) -> None:
        """Sets pulse rate, pulse width and current (within the pulsed limits)."""
        self._sdk.call("SetQCLParams", self.number, pulse_rate_hz, pulse_width_ns, current_ma)

    def configure(
        self,
        pulse_rate_hz: float,
        pulse_width_ns: float,
        current_ma: float,
        temperature_c: float,
        mode: LaserMode | int = LaserMode.PULSED,
    ) -> None:
        """Sets every drive parameter; the current is held to the mode's limits."""
        self._sdk.call(
            "SetAllQclParams",
            self.number,
            pulse_rate_hz,
            pulse_width_ns,
            current_ma,
            temperature_c,
            int(mode),
        )


class Scan:
    """A scan the laser runs: iterate over it to follow its progress until it ends."""

    def __init__(self, laser: Laser, poll_interval: float = 0.1, timeout: float | None = None):
        self._laser = laser
        self.poll_interval = poll_interval
        self.timeout = timeout

    def __iter__(self) -> Iterator[ScanProgress]:
        return self.follow(self.poll_interval, self.timeout)

    def follow(
        self, poll_interval: float = 0.1, timeout: float | None = None
    ) -> Iterator[ScanProgress]:
        """Yields the scan's progress every ``poll_interval`` seconds; the last record is the
        first that no longer shows the scan in progress. ``TimeoutError`` after ``timeout``
        seconds (None: no limit)."""
        clock = self._laser.clock
        deadline = None if timeout is None else clock.monotonic() + timeout
        while True:
            progress = self._laser.scan_progress
            yield progress
            if not progress.in_progress:
                return
            if deadline is not None and clock.monotonic() >= deadline:
                raise TimeoutError(f"the scan still runs after {timeout} s")
            clock.sleep(poll_interval)

    def wait(self, timeout: float | None = None, poll_interval: float = 0.1) -> ScanProgress:
        """Waits until the scan ends; returns its last progress record."""
        last = None
        for last in self.follow(poll_interval, timeout):
            pass
        assert last is not None
        return last

    def stop(self) -> None:
        self._laser.stop_scan()

    def pause(self) -> None:
        self._laser._sdk.call("PauseScanInProgress")

    def resume(self) -> None:
        self._laser._sdk.call("ResumeScanInProgress")

    def step(self) -> None:
        """Moves a scan in the manual trigger mode on to its next point."""
        self._laser._sdk.call("ManualStepScanInProgress")


class Laser:
    """The Tarvex laser, through the SDK.

    Used as a context manager it connects on entry and disconnects on exit::

        with Laser() as laser:
            laser.wait_for_temperature(60)
            laser.arm()
            laser.tune(1650, Unit.WAVENUMBER, qcl=2)
            laser.wait_until_tuned(30)
            laser.emission_on()

    Every failure raises :class:`TarvexError` with the SDK's result code; the waits raise
    ``TimeoutError``. The laser has one connection per process: the SDK holds it.
    ``clock`` measures and paces the waits (the ``time`` module unless given).
    """

    def __init__(self, sdk: Native | None = None, clock: Clock | None = None) -> None:
        self._sdk = sdk or native()
        self.clock: Clock = clock or _RealTime()

    # --- Connection ---------------------------------------------------------------------------

    def open(self) -> Laser:
        """Finds the laser and reads its state (``CONNECT_FAILED`` when none answers)."""
        self._sdk.call("Initialize")
        return self

    def close(self) -> None:
        """Closes the connection; the laser keeps its state."""
        self._sdk.call("DeInitialize")

    def __enter__(self) -> Laser:
        return self.open()

    def __exit__(
        self,
        kind: type[BaseException] | None,
        error: BaseException | None,
        traceback: TracebackType | None,
    ) -> None:
        self.close()

    @property
    def connected(self) -> bool:
        return self._flag("IsConnectedToLaser")

    @staticmethod
    def api_version(sdk: Native | None = None) -> tuple[int, int, int]:
        """The SDK's interface version."""
        major, minor, patch = (sdk or native()).query("GetAPIVersion")
        return (major, minor, patch)

    # --- What the laser is and how it stands --------------------------------------------------

    @property
    def identity(self) -> Identity:
        model = (ctypes.c_uint8 * _TEXT_LENGTH)()
        serial = (ctypes.c_uint8 * _TEXT_LENGTH)()
        self._sdk.call("GetModelNumber", model, _TEXT_LENGTH)
        self._sdk.call("GetSerialNumber", serial, _TEXT_LENGTH)
        v = self._sdk.query("GetHwFwVersions")
        return Identity(_text(model), _text(serial), self.qcl_count, (v[0], v[1], v[2]),
                        (v[3], v[4], v[5]))

    @property
    def qcl_count(self) -> int:
        return int(self._sdk.query("GetNumInstalledQcls")[0])

    @property
    def qcls(self) -> dict[int, Qcl]:
        """The installed modules by their numbers: ``laser.qcls[1]`` is QCL 1."""
        return {number: Qcl(self._sdk, number) for number in range(1, self.qcl_count + 1)}

    @property
    def tuning_range(self) -> TuningRange:
        """The range the whole laser covers."""
        low, high, unit = self._sdk.query("GetTuningRange")
        return TuningRange(low, high, Unit(unit))

    def _flag(self, name: str) -> bool:
        return self._sdk.query(name)[0] != 0

    @property
    def status(self) -> Status:
        """The status bits, each read afresh."""
        return Status(
            interlock_closed=self._flag("IsInterlockedStatusSet"),
            key_switch_on=self._flag("IsKeySwitchStatusSet"),
            tecs_at_temperature=self._flag("AreTECsAtSetTemperature"),
            armed=self._flag("IsLaserArmed"),
            emission_on=self._flag("IsEmissionOn"),
            system_error=self._flag("IsSystemError"),
            error_word=int(self._sdk.query("GetSystemErrorWord")[0]),
        )

    @property
    def armed(self) -> bool:
        return self._flag("IsLaserArmed")

    @property
    def tecs_at_temperature(self) -> bool:
        return self._flag("AreTECsAtSetTemperature")

    @property
    def is_tuned(self) -> bool:
        """Whether the laser has reached the wavelength of the last tune (or a scan runs)."""
        return self._flag("IsTuned")

    @property
    def emission_is_on(self) -> bool:
        return self._flag("IsEmissionOn")

    @property
    def wavelength(self) -> tuple[float, Unit | int, bool]:
        """The wavelength the laser is at, its unit, and whether the reading is valid."""
        value, unit, valid = self._sdk.query("GetActualWW")
        return value, _unit(unit), valid != 0

    @property
    def scan_progress(self) -> ScanProgress:
        """Where the scan (or tune) stands, read at one moment."""
        v = self._sdk.query("GetScanStatus")
        return ScanProgress(v[0] != 0, v[1] != 0, v[3], v[4], v[5], _unit(v[6]), v[7] != 0,
                            v[8] != 0)

    @property
    def favorites(self) -> list[str]:
        """The names of the favorites the laser holds, in its order."""
        names = []
        for index in range(self._sdk.query("GetNumFavorites")[0]):
            buffer = (ctypes.c_uint8 * _TEXT_LENGTH)()
            self._sdk.call("GetFavoriteName", index, buffer, _TEXT_LENGTH)
            names.append(_text(buffer))
        return names

    @staticmethod
    def convert(value: float, source: Unit | int, target: Unit | int) -> float:
        """Microns to wavenumbers and back (10000 / value; 0 stays 0)."""
        return float(native().query("ConvertWW", value, int(source), int(target))[0])

    # --- Waiting ------------------------------------------------------------------------------

    def _wait(self, condition: Callable[[], bool], timeout: float, poll: float, what: str) -> None:
        deadline = self.clock.monotonic() + timeout
        while not condition():
            if self.clock.monotonic() >= deadline:
                raise TimeoutError(f"{what} after {timeout} s")
            self.clock.sleep(poll)

    def wait_for_temperature(self, timeout: float, poll_interval: float = 0.1) -> None:
        """Waits until every TEC is at its set temperature; ``TimeoutError`` after ``timeout``."""
        self._wait(lambda: self.tecs_at_temperature, timeout, poll_interval,
                   "the TECs are not at temperature")

    def wait_until_tuned(self, timeout: float, poll_interval: float = 0.1) -> None:
        """Waits until the laser has reached the wavelength of the last tune."""
        self._wait(lambda: self.is_tuned, timeout, poll_interval, "the laser is not tuned")

    def wait_until_armed(self, timeout: float, poll_interval: float = 0.1) -> None:
        """Waits until the laser reports itself armed (arming takes it a moment)."""
        self._wait(lambda: self.armed, timeout, poll_interval, "the laser is not armed")

    # --- Control ------------------------------------------------------------------------------

    def arm(self, timeout: float | None = 10.0) -> None:
        """Arms the laser and, unless ``timeout`` is None, waits until it is armed."""
        self._sdk.call("ArmLaser")
        if timeout is not None:
            self.wait_until_armed(timeout)

    def disarm(self) -> None:
        """Disarms the laser (emission stops); returns once it reports itself disarmed."""
        self._sdk.call("DisarmLaser")

    def emission_on(self) -> None:
        """Starts emission: the laser must be armed and tuned."""
        self._sdk.call("TurnEmissionOn")

    def emission_off(self) -> None:
        self._sdk.call("TurnEmissionOff")

    def tune(self, wavelength: float, unit: Unit | int, qcl: int = 0) -> None:
        """Tunes to one wavelength, with QCL ``qcl`` (0: the laser chooses).

        Follow it with :meth:`wait_until_tuned`.
        """
        self._sdk.call("TuneToWW", wavelength, int(unit), qcl)

    def sweep(
        self,
        start: float,
        stop: float,
        speed: float,
        unit: Unit | int,
        scans: int = 1,
        bidirectional: bool = False,
        qcl: int = 0,
    ) -> Scan:
        """Starts a sweep from ``start`` to ``stop`` at ``speed`` (unit per second)."""
        self._sdk.call(
            "StartSweepScan", start, stop, speed, int(unit), scans, int(bidirectional), qcl
        )
        return Scan(self)

    def step_and_measure(
        self, start: float, stop: float, step: float, unit: Unit | int, scans: int = 1
    ) -> Scan:
        """Starts a step-and-measure scan from ``start`` to ``stop`` in steps of ``step``."""
        self._sdk.call("StartStepMeasureModeScan", start, stop, step, int(unit), scans)
        return Scan(self)

    def multi_spectral(self, elements: Iterable[MultiSpectralElement], scans: int = 1) -> Scan:
        """Starts a scan through the given wavelengths (at most 20)."""
        elements = list(elements)
        if len(elements) > 255:
            raise TarvexError(Result.TOO_MANY_MULTI_SPECTRAL_ELEMENTS,
                              "TarvexSDK_SetNumMultiSpectralElements")
        self._sdk.call("SetNumMultiSpectralElements", len(elements))
        for element in elements:
            self._sdk.call(
                "AddMultiSpectralElement",
                element.wavelength,
                int(element.unit),
                element.dwell_ms,
                element.off_ms,
            )
        self._sdk.call("StartMultiSpectralModeScan", scans)
        return Scan(self)

    def stop_scan(self) -> None:
        """Stops the scan in progress (``NO_SCAN_IN_PROGRESS`` when none runs)."""
        self._sdk.call("StopScanInProgress")

    def inject_process_trigger(self) -> None:
        self._sdk.call("InjectProcessTrigger")

    def set_wavelength_trigger(
        self,
        pulse_mode: PulseMode | int,
        trigger_mode: ProcessTriggerMode | int,
        start: float,
        stop: float,
        interval: float,
        unit: Unit | int,
        dwell_ms: int,
        off_ms: int,
    ) -> None:
        self._sdk.call(
            "SetWlTrigParams",
            int(pulse_mode),
            int(trigger_mode),
            start,
            stop,
            interval,
            int(unit),
            dwell_ms,
            off_ms,
        )

    def recall_favorite(self, name: str) -> None:
        """Restores every favorite of that exact name."""
        self._sdk.call("RecallFavorite", name.encode("ascii"))

    def clear_fault(self) -> bool:
        """Clears the laser's fault; True when no fault is reported afterwards."""
        return self._flag("ClearSystemError")

    def power_off(self) -> None:
        self._sdk.call("PowerOffSystem")
