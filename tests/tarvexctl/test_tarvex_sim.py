"""tarvex-sim as a user starts it: options and control lines that make no sense are refused
with the reason, and the simulated laser keeps running when such a line comes on its input."""
import os
import subprocess

from conftest import TARVEX_SIM, ctl


def sim(*args):
    return subprocess.run([TARVEX_SIM, *map(str, args)], stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=10)


BAD_FAULTS = [
    ("nak,cmd=-1", "cmd must be a command id from 0 to 65535"),
    ("nak,cmd=70000", "cmd must be a command id"),
    ("nak,count=1e20", "count must be a whole number"),
    ("delay,delay=-5", "delay must be whole milliseconds from 0 to 60000"),
    ("delay,delay=1e12", "delay must be whole milliseconds"),
    ("nak,rate=nan", "rate must be a probability from 0 to 1"),
    ("nak,rate=5", "rate must be a probability"),
]


def test_bad_faults_and_seeds_on_the_command_line_are_usage_errors():
    cases = [(["--fault", spec], f"tarvex-sim: bad fault spec '{spec}': {reason}")
             for spec, reason in BAD_FAULTS]
    cases += [(["--seed", seed], f"tarvex-sim: bad seed '{seed}': a whole number from 0 to "
                                 "4294967295 is needed") for seed in ("abc", "-5")]
    for args, message in cases:
        run = sim("--udp", "127.0.0.2:0", *args)
        assert run.returncode == 2, (args, run)
        first, usage = run.stderr.splitlines()
        assert first.startswith(message), (args, run.stderr)
        assert usage.startswith("usage: tarvex-sim"), run.stderr
        assert run.stdout == ""


def test_bad_fault_lines_on_the_input_are_refused_and_the_laser_keeps_answering():
    laser = subprocess.Popen([TARVEX_SIM, "--pty"], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        path = laser.stdout.readline().split()[1]
        for spec, _ in BAD_FAULTS:
            laser.stdin.write(f"fault {spec}\n")
        laser.stdin.flush()
        # Had any of them been taken, the laser would refuse, corrupt or hold back its answers.
        ctl("--port", path, "info").ok()
        laser.stdin.write("quit\n")
        laser.stdin.flush()
        assert laser.wait(timeout=10) == 0
        errors = laser.stderr.read().splitlines()
        assert len(errors) == len(BAD_FAULTS), errors
        for error, (spec, reason) in zip(errors, BAD_FAULTS):
            assert error.startswith(f"tarvex-sim: bad fault spec '{spec}': {reason}"), error
    finally:
        laser.kill()
        laser.wait()


def test_profiles_and_state_files_must_be_small_regular_files(tmp_path):
    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    for option in ("--profile", "--state"):
        for path in (fifo, "/dev/zero", tmp_path):
            run = sim("--udp", "127.0.0.2:0", option, path)
            assert run.returncode == 1, (option, path, run)
            assert run.stderr == f"tarvex-sim: cannot read {path}: not a regular file\n", run
