#!/usr/bin/env python3
"""The typical control flow of the Tarvex laser from Python.

Connects, waits for the TECs, arms, tunes, waits until tuned, switches emission on, runs a
short sweep showing its progress, switches emission off, disarms and disconnects, printing
each step. Against the simulated laser:

    TARVEX_SDK_LIBRARY=build/sdk/libTarvexSDK.so TARVEX_SDK_DEVICE=sim \\
        PYTHONPATH=python python3 examples/control_flow.py
"""

import sys

from tarvex import Laser, TarvexError, Unit


def main() -> int:
    try:
        with Laser() as laser:
            identity = laser.identity
            print(f"connected to {identity.model}, serial {identity.serial_number}")
            laser.wait_for_temperature(timeout=120)
            print("TECs at temperature")
            laser.arm(timeout=30)
            print("armed")
            laser.tune(1650, Unit.WAVENUMBER, qcl=2)
            laser.wait_until_tuned(timeout=60)
            wavelength, unit, _ = laser.wavelength
            print(f"tuned to {wavelength:.2f} {Unit(unit).symbol}")
            laser.emission_on()
            print("emission on")
            scan = laser.sweep(1650, 1700, 10, Unit.WAVENUMBER)
            for progress in scan.follow(poll_interval=0.05, timeout=120):
                print(f"sweep {progress.percent:3d} % at {progress.wavelength:.2f}")
            print("sweep done")
            laser.emission_off()
            print("emission off")
            laser.disarm()
            print("disarmed")
        print("disconnected")
    except (TarvexError, TimeoutError) as error:
        print(error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
