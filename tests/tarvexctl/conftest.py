"""Runs tarvexctl as a user runs it: the built program, its exit status, what it writes where.

TARVEXCTL and TARVEX_SIM name the programs (CTest sets them). The built-in simulated laser runs
a hundred times faster than real time, so that arming, tuning and scanning take milliseconds;
the one behind a pseudo-terminal (tarvex-sim) runs in real time.
"""
import json
import os
import subprocess

import pytest

TARVEXCTL = os.environ.get("TARVEXCTL", "tarvexctl")
TARVEX_SIM = os.environ.get("TARVEX_SIM", "tarvex-sim")


class Run:
    def __init__(self, completed):
        self.status = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr

    def json(self):
        return json.loads(self.out)

    def __repr__(self):
        return f"status {self.status}\nstdout:\n{self.out}\nstderr:\n{self.err}"


def ctl(*args, env=None, timeout=60):
    environment = dict(os.environ, TARVEXCTL_SIM_SPEED="100")
    environment.pop("TARVEXCTL_CONNECTION", None)
    environment.update(env or {})
    return Run(subprocess.run([TARVEXCTL, *map(str, args)], capture_output=True, text=True,
                              env=environment, timeout=timeout))


class PtyLaser:
    """tarvex-sim on a pseudo-terminal, controlled through its standard input."""

    def __init__(self):
        self.process = subprocess.Popen([TARVEX_SIM, "--pty"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        assert line.startswith("pty: "), line
        self.path = line.split()[1]

    def control(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def ctl(self, *args, **kwargs):
        return ctl("--port", self.path, *args, **kwargs)

    def close(self):
        self.control("quit")
        self.process.wait(timeout=10)


@pytest.fixture
def pty_laser():
    laser = PtyLaser()
    yield laser
    laser.close()
