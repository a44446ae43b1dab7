"""The Python side of sdk_bench: the same workloads as its C and controller benchmarks, through
the tarvex package, on the SDK carried by the benchmark program itself and on its simulated
time (the program's TarvexBench_Advance moves the clock on)."""

import ctypes

from tarvex import Laser, Unit
from tarvex._native import Native

_program = ctypes.CDLL(None)
_advance = _program.TarvexBench_Advance
_advance.argtypes = (ctypes.c_uint32,)
_advance.restype = None


class SimulatedTime:
    """The laser's waits pass simulated time instead of sleeping."""

    def __init__(self) -> None:
        self.now = 0.0
        self.sleeps = 0

    def monotonic(self) -> float:
        return self.now

    def sleep(self, seconds: float) -> None:
        self.now += seconds
        self.sleeps += 1
        _advance(round(seconds * 1000))


clock = SimulatedTime()
laser = Laser(sdk=Native(library=_program), clock=clock)

# Each workload returns the calls it made into the SDK: the start, and a poll before each wait
# and after the last.


def tune_to_tuned(wavelength: float, poll_ms: int) -> int:
    clock.sleeps = 0
    laser.tune(wavelength, Unit.WAVENUMBER, qcl=2)
    laser.wait_until_tuned(timeout=600, poll_interval=poll_ms / 1000)
    return 2 + clock.sleeps


def step_and_measure(start: float, stop: float, step: float, poll_ms: int) -> int:
    clock.sleeps = 0
    scan = laser.step_and_measure(start, stop, step, Unit.MICRONS)
    scan.wait(timeout=600, poll_interval=poll_ms / 1000)
    return 2 + clock.sleeps
