"""tarvexctl against tarvex-sim on a pseudo-terminal or UDP, the laser keeping its state from
one run to the next as a real one does (in real time: these tests take a few seconds)."""
import json
import re
import signal
import subprocess

from conftest import TARVEXCTL, ctl


def status(laser):
    return laser.ctl("--json", "status").ok().json()


def test_a_session_arms_tunes_emits_and_scans(pty_laser, tmp_path):
    run = pty_laser.ctl("arm")
    assert (run.status, run.out, run.err) == (0, "Armed.\n", "Arming...\n"), run
    assert pty_laser.ctl("arm").status == 4  # already armed: refused, as the SDK refuses it
    assert pty_laser.ctl("config", "export", tmp_path / "laser.tcfg").refused("the laser is armed")

    run = pty_laser.ctl("--json", "tune", "1650", "cm-1", "--wait").ok()
    assert run.json()["tuned"] is True and run.json()["target"] == {"value": 1650, "unit": "cm-1"}
    now = status(pty_laser)
    assert now["scan"]["tuned"] and abs(now["light"]["wavenumber_cm1"] - 1650) < 1

    assert pty_laser.ctl("emission", "on").status == 0
    assert pty_laser.ctl("emission", "on").refused("emission is already on")
    assert status(pty_laser)["status"]["emission_on"]
    assert pty_laser.ctl("emission", "off").status == 0

    # Ctrl-C stops the scan the command started, and nothing else.
    sweep = subprocess.Popen([TARVEXCTL, "--port", pty_laser.path, "sweep", "1700", "1800",
                              "cm-1", "--speed", "10"], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    assert sweep.stderr.readline().startswith("sweep: 0%")
    sweep.send_signal(signal.SIGINT)
    out, err = sweep.communicate(timeout=10)
    assert sweep.returncode == 130 and "Stopped the sweep." in err, err
    now = status(pty_laser)
    assert now["status"]["armed"] and not now["scan"]["in_progress"]

    run = pty_laser.ctl("--json", "sweep", "1700", "1760", "cm-1", "--speed", "200").ok()
    assert run.json()["completed"] is True
    lines = run.err.splitlines()
    assert all(re.match(r"sweep: \d+%", line) for line in lines), run
    assert lines[0].startswith("sweep: 0%") and lines[-1] == "sweep: 100% (done)"
    assert not status(pty_laser)["scan"]["in_progress"]

    elements = tmp_path / "list.csv"
    elements.write_text("wavenumber,dwell,off\n# comment\n1700,200,0\n1750\n")
    pty_laser.ctl("multi-spectral", "cm-1", "--file", elements, "1800:100:10", "--no-wait").ok()
    assert pty_laser.ctl("stop").status == 0
    assert pty_laser.ctl("stop").refused("no scan is in progress")
    too_many = [f"{1700 + n}" for n in range(21)]
    assert pty_laser.ctl("multi-spectral", "cm-1", *too_many).refused("at most 20 elements")

    pty_laser.ctl("step-measure", "1700", "1800", "10", "cm-1", "--no-wait").ok()
    for command, done in [("pause", "paused"), ("resume", "resumed"), ("trigger", "triggered"),
                          ("stop", "stopped")]:
        run = pty_laser.ctl("--json", command)
        assert run.status == 0 and run.json() == {"scan": done}, run

    assert pty_laser.ctl("disarm").out == "Disarmed.\n"
    assert not status(pty_laser)["status"]["armed"]


def test_interlock_faults_and_their_clearing(pty_laser):
    pty_laser.control("interlock open")
    run = pty_laser.ctl("arm")
    assert run.status == 4
    assert run.err == ("tarvexctl: cannot arm the laser: the interlock or the key switch is open; "
                       "close the interlock and turn the key switch on\n")

    pty_laser.control("error 31")
    report = pty_laser.ctl("--json", "faults").ok().json()
    assert report["fault"] == {"code": 31, "text": "QCL 2 motion fault"}
    assert report["errors"]["codes"][0] == {"code": 31, "text": "QCL 2 motion fault", "new": True}
    run = pty_laser.ctl("--json", "faults", "--clear")
    assert run.status == 0 and run.json()["cleared"] is True, run
    assert status(pty_laser)["fault"]["code"] == 0


def test_favorites_and_the_configuration_keep_on_the_laser(pty_laser, tmp_path):
    assert pty_laser.ctl("favorites", "save", "Lab A").status == 0
    assert pty_laser.ctl("favorites", "save", 'Say "\\n"').status == 0
    assert pty_laser.ctl("favorites", "save", "LAB A").refused("--overwrite")
    listed = pty_laser.ctl("--json", "favorites", "list").json()["favorites"]
    assert [(f["slot"], f["name"]) for f in listed] == [(0, "Default"), (1, "Lab A"),
                                                        (2, 'Say "\\n"')]
    assert pty_laser.ctl("favorites", "recall", "Lab A").status == 0
    assert pty_laser.ctl("favorites", "recall", "Lab B").status == 3
    assert pty_laser.ctl("favorites", "erase", "Default").status == 4
    assert pty_laser.ctl("favorites", "erase", "Lab A").status == 0
    assert pty_laser.ctl("favorites", "regenerate").status == 0

    exported = tmp_path / "laser.tcfg"
    run = pty_laser.ctl("config", "export", exported).ok()
    assert re.findall(r"^export: (\d+)%", run.err, re.M)[-1] == "100"
    assert pty_laser.ctl("config", "import", exported).status == 0


def test_a_laser_that_falls_silent_is_a_lost_link(pty_laser):
    watch = subprocess.Popen([TARVEXCTL, "--port", pty_laser.path, "--json", "status", "--watch"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert json.loads(watch.stdout.readline())["status"]["interlock_closed"]
    pty_laser.control("fault silent,rate=1")
    out, err = watch.communicate(timeout=30)
    assert watch.returncode == 6, err
    assert err.startswith("tarvexctl: the laser stopped answering")


def test_over_udp_the_laser_answers_but_takes_no_firmware_update(udp_laser, tmp_path):
    address, port = udp_laser.path.split(":")
    link = ["--udp", udp_laser.path, "--bind", "127.0.0.1"]
    run = ctl(*link, "--json", "info").ok()
    assert run.json()["link"] == {"kind": "udp", "address": address, "port": int(port)}

    image = tmp_path / "Tarvex_PROM_prod_1.9.ufp"
    image.write_bytes(b"00" * 16 + b"\r\n")
    assert ctl(*link, "firmware", "update", image).refused("cannot go over UDP")
