"""Loading libTarvexSDK.so and declaring its functions for ctypes."""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import threading
from typing import Any, Callable

from .errors import TarvexError

#: The environment variable that names the library to load (a path), before the system's.
LIBRARY_VARIABLE = "TARVEX_SDK_LIBRARY"

_u8, _u16, _u32, _f32 = ctypes.c_uint8, ctypes.c_uint16, ctypes.c_uint32, ctypes.c_float
_pu8, _pu16, _pu32, _pf32 = (ctypes.POINTER(t) for t in (_u8, _u16, _u32, _f32))

# Every function's argument types, as the header declares them. Each returns a uint32_t result.
_SIGNATURES: dict[str, tuple[Any, ...]] = {
    # Frame and connection
    "GetAPIVersion": (_pu16, _pu16, _pu16),
    "CreateTarvexObject": (),
    "IsTarvexObjectCreated": (_pu8,),
    "SetCommType": (_u8,),
    "SetSerialParams": (_u16, _u32),
    "Initialize": (),
    "IsConnectedToLaser": (_pu8,),
    "DeInitialize": (),
    "PowerOffSystem": (),
    # Status and light
    "IsInterlockedStatusSet": (_pu8,),
    "IsKeySwitchStatusSet": (_pu8,),
    "AreTECsAtSetTemperature": (_pu8,),
    "IsSystemError": (_pu8,),
    "IsLaserArmed": (_pu8,),
    "GetSystemErrorWord": (_pu16,),
    "IsEmissionOn": (_pu8,),
    "GetActiveQcl": (_pu8,),
    "GetActualWW": (_pf32, _pu8, _pu8),
    # QCL limits
    "GetQCLMaxCwCurrent": (_u8, _pu16),
    "GetQCLMaxPulsedCurrent": (_u8, _pu16),
    "GetQCLPulseLimits": (_u8, _pf32, _pf32, _pf32),
    "GetQCLTemperatureRange": (_u8, _pf32, _pf32, _pf32),
    "GetQclTuningRange": (_u8, _pf32, _pf32, _pu8),
    "isCwAllowed": (_u8, _pu8),
    "areCwFiltersInstalled": (_u8, _pu8),
    # QCL operating parameters and readbacks
    "GetQCLCurrent": (_u8, _pf32),
    "GetQCLPulseRate": (_u8, _pf32),
    "GetQCLPulseWidth": (_u8, _pf32),
    "GetQclSetTemperature": (_u8, _pf32),
    "GetQCLOperatingMode": (_u8, _pu8),
    "GetQCLTemperature": (_u8, _pf32),
    "GetTecCurrent": (_u8, _pu16),
    "GetReadbackParameters": (_u8, _pf32, _pf32, _pf32, _pf32),
    "GetQclSerialNumber": (_u8, _pu8, _u8),
    "GetAllTecParams": (_u8, _pf32, _pf32, _pf32),
    "GetEncoderCount": (_u8, _pu32),
    "GetMotionCalParameters": (_u8, _pf32, _pf32, _pf32),
    "GetMoveDuration": (_u8, _pu32),
    # Identity
    "GetSerialNumber": (_pu8, _u8),
    "GetModelNumber": (_pu8, _u8),
    "GetNumInstalledQcls": (_pu8,),
    "GetHwFwVersions": (_pu8,) * 10,
    "GetSystemTemperatures": (_pf32, _pf32, _pf32),
    "GetWWDisplayUnits": (_pu8,),
    # Scan parameters
    "GetTuneWW": (_pf32, _pu8, _pu8),
    "GetSweepNumScans": (_pu16,),
    "GetSweepScanSpeed": (_pf32, _pu8),
    "GetSweepStartWW": (_pf32, _pu8),
    "GetSweepStopWW": (_pf32, _pu8),
    "IsSweepBidirectional": (_pu8,),
    "GetStepMeasureNumScans": (_pu16,),
    "GetStepMeasureStartWW": (_pf32, _pu8),
    "GetStepMeasureStopWW": (_pf32, _pu8),
    "GetStepMeasureStepSizeWW": (_pf32, _pu8),
    "GetMultiSpectralNumScans": (_pu16,),
    "GetMultiSpectralWWUnits": (_pu8,),
    "GetNumMultiSpectralElements": (_pu8,),
    "GetMultiSpectralElement": (_u8, _pf32, _pu32, _pu32),
    # Range, conversion, advanced sweep, wavelength trigger, galvo, favorites, progress
    "GetTuningRange": (_pf32, _pf32, _pu8),
    "ConvertWW": (_f32, _u8, _u8, _pf32),
    "GetAdvancedSweepParams": (_pu8, _pf32, _pf32, _pf32, _pu16, _pu8),
    "GetAdvancedSweepChanParams": (_u8, _pf32, _pf32, _pu8),
    "GetWlTrigParams": (_pu8, _pu8, _pf32, _pf32, _pf32, _pu8, _pu32, _pu32),
    "GetWlTrigChanParams": (_u32, _pu8, _pf32, _pf32, _pf32, _pu16),
    "GetWlTrigPulseWidth": (_pu16,),
    "GetGalvoLaserOnOffEnabled": (_pu8,),
    "GetGalvoDisplacement": (_pu16,),
    "GetNumGalvoFlips": (_pu32,),
    "GetNumFavorites": (_pu8,),
    "GetFavoriteName": (_u8, _pu8, _u8),
    "GetScanStatus": (_pu8, _pu8, _pu8, _pu16, _pu16, _pf32, _pu8, _pu8, _pu8),
    "GetScanWaitingProcessTrigger": (_pu8,),
    "IsTuned": (_pu8,),
    # Control
    "ArmLaser": (),
    "DisarmLaser": (),
    "ArmDisarmLaser": (),
    "TurnEmissionOn": (),
    "TurnEmissionOff": (),
    "TuneToWW": (_f32, _u8, _u8),
    "StartSweepScan": (_f32, _f32, _f32, _u8, _u16, _u8, _u8),
    "StartStepMeasureModeScan": (_f32, _f32, _f32, _u8, _u16),
    "StartMultiSpectralModeScan": (_u16,),
    "StartSweepAdvancedScan": (),
    "StopScanInProgress": (),
    "PauseScanInProgress": (),
    "ResumeScanInProgress": (),
    "ManualStepScanInProgress": (),
    "CancelManualTuneMode": (),
    "InjectProcessTrigger": (),
    "SetNumMultiSpectralElements": (_u8,),
    "AddMultiSpectralElement": (_f32, _u8, _u32, _u32),
    "SetQCLParams": (_u8, _f32, _f32, _f32),
    "SetAllQclParams": (_u8, _f32, _f32, _f32, _f32, _u8),
    "SetMotionCalParameters": (_u8, _f32, _f32, _f32),
    "SetWlTrigParams": (_u8, _u8, _f32, _f32, _f32, _u8, _u32, _u32),
    "SetWlTrigPulseWidth": (_u16,),
    "SetAdvancedSweepParams": (_u8, _f32, _f32, _f32, _u16, _u8),
    "SetAdvancedSweepChanParams": (_u8, _f32, _f32, _u8),
    "ReadWriteAdvancedSweepParams": (_u8,),
    "SetGalvoDisplacement": (_u16,),
    "EnableGalvoLaserOnOff": (_u8,),
    "RecallFavorite": (ctypes.c_char_p,),
    "ClearSystemError": (_pu8,),
}


def library_path() -> str:
    """The library to load: the one ``TARVEX_SDK_LIBRARY`` names, else the system's."""
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return named
    found = ctypes.util.find_library("TarvexSDK")
    return found or "libTarvexSDK.so.1"


class _PerThread(threading.local):
    def __init__(self) -> None:
        # Per function: its output objects and references to them, made once and reused.
        self.outputs: dict[str, tuple[list[Any], list[Any]]] = {}


class Native:
    """The SDK's functions by their names without the ``TarvexSDK_`` prefix.

    ``call(name, *args)`` calls one and raises :class:`TarvexError` for any result but success;
    ``query(name, *inputs)`` passes the inputs, supplies the output arguments itself and
    returns their values.
    """

    def __init__(self, path: str | None = None, library: ctypes.CDLL | None = None) -> None:
        """Loads the library at ``path`` (default: :func:`library_path`), or uses ``library``,
        already loaded (a program that carries the SDK's functions itself passes
        ``ctypes.CDLL(None)``)."""
        self.path = path or library_path()
        try:
            self._library = library or ctypes.CDLL(self.path)
        except OSError as error:
            raise OSError(
                f"cannot load the Tarvex SDK from {self.path!r} ({error}); "
                f"name the library with {LIBRARY_VARIABLE}"
            ) from error
        self._functions: dict[str, Callable[..., int]] = {}
        # The same functions without argument conversion, for query(), which passes ctypes
        # objects of the declared types itself: converting each argument costs more than many
        # a call takes in the library.
        self._unchecked: dict[str, Callable[..., int]] = {}
        for name, argtypes in _SIGNATURES.items():
            function = self._library["TarvexSDK_" + name]
            function.argtypes = argtypes
            function.restype = _u32
            self._functions[name] = function
            unchecked = self._library["TarvexSDK_" + name]
            unchecked.restype = _u32
            self._unchecked[name] = unchecked
        self._local = _PerThread()

    def query(self, name: str, *inputs: Any) -> list[Any]:
        """Calls ``TarvexSDK_<name>`` with ``inputs`` followed by outputs of its own; returns
        the outputs' values, or raises :class:`TarvexError` unless it succeeded."""
        outputs = self._local.outputs.get(name)
        if outputs is None:
            objects = [kind._type_() for kind in _SIGNATURES[name][len(inputs):]]
            outputs = (objects, [ctypes.byref(o) for o in objects])
            self._local.outputs[name] = outputs
        objects, references = outputs
        if inputs:
            declared = _SIGNATURES[name]
            inputs = tuple(kind(value) for kind, value in zip(declared, inputs))
        code = self._unchecked[name](*inputs, *references)
        if code != 0:
            raise TarvexError(code, "TarvexSDK_" + name)
        return [o.value for o in objects]

    def call(self, name: str, *args: Any) -> None:
        """Calls ``TarvexSDK_<name>``; raises :class:`TarvexError` unless it succeeded."""
        code = int(self._functions[name](*args))
        if code != 0:
            raise TarvexError(code, "TarvexSDK_" + name)


_shared: Native | None = None


def native() -> Native:
    """The process's one loaded SDK (the library holds one laser per process)."""
    global _shared
    if _shared is None:
        _shared = Native()
    return _shared
