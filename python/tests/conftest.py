"""The suite runs against the SDK's built-in simulated laser, faster than real time."""

import os

import pytest

os.environ.setdefault("TARVEX_SDK_DEVICE", "sim")
os.environ.setdefault("TARVEX_SDK_SIM_SPEED", "50")

from tarvex import Laser, TarvexError  # noqa: E402  (after the environment is set)


def _quietly(action) -> None:
    try:
        action()
    except TarvexError:
        pass


@pytest.fixture
def laser():
    """A connected laser, left without a scan, emission or arming for the next test."""
    device = Laser().open()
    try:
        yield device
    finally:
        _quietly(device.stop_scan)
        _quietly(device.emission_off)
        _quietly(device.disarm)
        device.close()
