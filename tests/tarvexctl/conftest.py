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

    def ok(self):
        """The run, once it is known to have succeeded."""
        assert self.status == 0, self
        return self

    def refused(self, message, status=4):
        """Whether the run failed with `status` and said why on its standard error."""
        return self.status == status and message in self.err

    def __repr__(self):
        return f"status {self.status}\nstdout:\n{self.out}\nstderr:\n{self.err}"


def ctl(*args, env=None, timeout=60):
    environment = dict(os.environ, TARVEXCTL_SIM_SPEED="100")
    environment.pop("TARVEXCTL_CONNECTION", None)
    environment.update(env or {})
    return Run(subprocess.run([TARVEXCTL, *map(str, args)], capture_output=True, text=True,
                              env=environment, timeout=timeout))


class SimLaser:
    """tarvex-sim on a pseudo-terminal (or a UDP port), controlled through its standard input."""

    def __init__(self, *args):
        self.process = subprocess.Popen([TARVEX_SIM, *args], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        kind, self.path = line.split()
        assert kind in ("pty:", "udp:"), line

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
    laser = SimLaser("--pty")
    yield laser
    laser.close()


@pytest.fixture
def udp_laser():
    # A port of the system's choosing, on a loopback address of its own: the host binds the same
    # port number on 127.0.0.1.
    laser = SimLaser("--udp", "127.0.0.2:0")
    yield laser
    laser.close()
