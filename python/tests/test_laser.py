"""The Python package against the simulated laser: the typical control flow, the errors a user
meets, and a scan followed to its end."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

from tarvex import Laser, Result, TarvexError, Unit


class FakeClock:
    """Time that passes only when the laser's waits sleep."""

    def __init__(self) -> None:
        self.now = 0.0

    def monotonic(self) -> float:
        return self.now

    def sleep(self, seconds: float) -> None:
        self.now += seconds


def expect_error(code: Result, action) -> TarvexError:
    with pytest.raises(TarvexError) as caught:
        action()
    assert caught.value.code is code
    assert caught.value.name == code.name
    return caught.value


def test_typical_control_flow(laser):
    laser.wait_for_temperature(timeout=10, poll_interval=0.01)
    laser.arm(timeout=10)
    assert laser.status.armed
    laser.tune(1650, Unit.WAVENUMBER, qcl=2)
    laser.wait_until_tuned(timeout=10, poll_interval=0.01)
    wavelength, unit, valid = laser.wavelength
    assert valid and unit is Unit.MICRONS
    assert wavelength == pytest.approx(10000 / 1650, abs=0.01)

    laser.emission_on()
    assert laser.status.emission_on
    error = expect_error(Result.EMISSION_ALREADY_ON, laser.emission_on)
    assert error.function == "TarvexSDK_TurnEmissionOn"
    laser.emission_off()
    laser.disarm()
    assert not laser.status.armed
    expect_error(Result.ARM_STATE_UNCHANGED, laser.disarm)


def test_tune_refused_out_of_range_then_while_disarmed(laser):
    overall = laser.tuning_range
    assert overall.unit is Unit.WAVENUMBER
    assert 1650 in overall and 3000 not in overall
    expect_error(Result.WAVELENGTH_OUT_OF_RANGE, lambda: laser.tune(3000, Unit.WAVENUMBER))
    expect_error(Result.LASER_NOT_ARMED, lambda: laser.tune(1650, Unit.WAVENUMBER))
    expect_error(Result.INVALID_QCL_NUMBER, lambda: laser.tune(1650, Unit.WAVENUMBER, qcl=5))
    expect_error(Result.LASER_NOT_ARMED, laser.emission_on)


def test_sweep_followed_to_its_end(laser):
    laser.arm(timeout=10)
    records = list(laser.sweep(6.0, 6.5, 0.5, Unit.MICRONS).follow(poll_interval=0.005,
                                                                      timeout=10))
    assert records[-1].in_progress is False
    assert all(record.in_progress for record in records[:-1])
    percents = [record.percent for record in records]
    assert percents == sorted(percents)
    expect_error(Result.NO_SCAN_IN_PROGRESS, laser.stop_scan)


def test_emission_needs_a_tuned_laser(laser):
    laser.arm(timeout=10)
    # After a step-and-measure scan the laser sits at its last point, tuned to nothing.
    laser.step_and_measure(6.0, 6.2, 0.1, Unit.MICRONS).wait(timeout=10, poll_interval=0.005)
    assert not laser.is_tuned
    expect_error(Result.LASER_NOT_TUNED, laser.emission_on)
    expect_error(Result.EMISSION_NOT_ON, laser.emission_off)

    # The wait is bounded: it gives up on the clock it is given, without sleeping for real.
    clock = FakeClock()
    patient = Laser(clock=clock)
    with pytest.raises(TimeoutError):
        patient.wait_until_tuned(timeout=2.0, poll_interval=0.5)
    assert clock.now == pytest.approx(2.0)


def test_qcls_by_number(laser):
    qcls = laser.qcls
    assert sorted(qcls) == [1, 2, 3, 4]
    own = qcls[1].tuning_range
    assert (own.min, own.max, own.unit) == (pytest.approx(4.2), pytest.approx(5.05), Unit.MICRONS)
    qcls[3].set_drive(pulse_rate_hz=50000, pulse_width_ns=200, current_ma=500)
    assert qcls[3].pulse_rate_hz == 50000
    expect_error(Result.CW_NOT_ALLOWED, lambda: qcls[3].configure(50000, 200, 500, 20, mode=2))
    assert Laser.convert(10.0, Unit.MICRONS, Unit.WAVENUMBER) == pytest.approx(1000.0)


def test_module_prints_identity_and_status():
    package = Path(__file__).resolve().parents[1]
    environment = dict(os.environ, PYTHONPATH=str(package))
    shown = subprocess.run([sys.executable, "-m", "tarvex"], env=environment, check=True,
                           capture_output=True, text=True, timeout=60).stdout
    assert "laser TVX-4100, serial TVX0042" in shown
    assert "4 QCLs" in shown
    assert "interlock closed, key on" in shown
