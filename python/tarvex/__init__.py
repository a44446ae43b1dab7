"""Drive the Tarvex tunable mid-infrared laser from Python, through its SDK (libTarvexSDK.so).

The library is loaded from the path ``TARVEX_SDK_LIBRARY`` names, else from the system's
library path. Without a laser, ``TARVEX_SDK_DEVICE=sim`` gives the SDK's built-in simulated
laser.
"""

from ._codes import LaserMode, ProcessTriggerMode, PulseMode, Result, Unit
from .errors import TarvexError
from .laser import Clock, Laser, Qcl, Scan
from .records import (
    Identity,
    MultiSpectralElement,
    PulseLimits,
    ScanProgress,
    Status,
    TemperatureRange,
    TuningRange,
)

__all__ = [
    "Clock",
    "Identity",
    "Laser",
    "LaserMode",
    "MultiSpectralElement",
    "ProcessTriggerMode",
    "PulseLimits",
    "PulseMode",
    "Qcl",
    "Result",
    "Scan",
    "ScanProgress",
    "Status",
    "TarvexError",
    "TemperatureRange",
    "TuningRange",
    "Unit",
]
