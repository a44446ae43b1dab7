"""``python -m tarvex``: the laser's identity and status."""

from __future__ import annotations

import sys

from . import Laser, TarvexError


def _yes(flag: bool, yes: str, no: str) -> str:
    return yes if flag else no


def main() -> int:
    major, minor, patch = Laser.api_version()
    print(f"TarvexSDK {major}.{minor}.{patch}")
    try:
        with Laser() as laser:
            identity = laser.identity
            print(f"laser {identity.model}, serial {identity.serial_number}, "
                  f"firmware {'.'.join(map(str, identity.firmware))}, "
                  f"{identity.qcl_count} QCLs")
            overall = laser.tuning_range
            print(f"tuning range {overall.min:.2f} to {overall.max:.2f} {overall.unit.symbol}")
            for number, qcl in laser.qcls.items():
                own = qcl.tuning_range
                print(f"QCL {number}: {own.min:.2f} to {own.max:.2f} {own.unit.symbol}, "
                      f"{qcl.temperature:.1f} C")
            s = laser.status
            print(", ".join([
                _yes(s.interlock_closed, "interlock closed", "interlock open"),
                _yes(s.key_switch_on, "key on", "key off"),
                _yes(s.tecs_at_temperature, "TECs at temperature", "TECs settling"),
                _yes(s.armed, "armed", "disarmed"),
                _yes(s.emission_on, "emission on", "emission off"),
                f"error 0x{s.error_word:04x}" if s.system_error else "no error",
            ]))
    except TarvexError as error:
        print(error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
