"""tarvexctl against the built-in simulated laser, in its own process."""
import json
import re

from conftest import ctl


def test_info_reports_identity_firmware_and_every_qcls_range():
    run = ctl("--sim", "--json", "info").ok()
    info = run.json()
    assert info["link"] == {"kind": "sim"}
    assert (info["model"], info["serial_number"]) == ("TVX-4100", "TVX0042")
    assert info["firmware"]["controller"] == "2.1.4"
    assert [q["slot"] for q in info["qcls"]] == [1, 2, 3, 4]
    assert info["tuning_range"]["unit"] == "cm-1"
    assert (info["tuning_range"]["min"], round(info["tuning_range"]["max"])) == (950, 2381)
    assert info["qcls"][1]["tuning_range"] == {"min": 1650, "max": 2000, "unit": "cm-1"}
    assert run.err == ""

    text = ctl("--sim", "info")
    assert text.status == 0 and "Tuning range  950.0 to 2381.0 cm-1" in text.out


def test_ports_lists_what_this_computer_has():
    assert set(ctl("--json", "ports").ok().json()) == {"serial_ports", "adapters"}


def test_status_in_words_and_as_json_frames():
    run = ctl("--sim", "status").ok()
    assert "not armed, emission off, interlock closed, key switch on" in run.out

    watch = ctl("--sim", "--json", "status", "--watch", "--count", "3").ok()
    frames = [json.loads(line) for line in watch.out.splitlines()]
    assert len(frames) == 3
    assert frames[0]["status"]["armed"] is False
    assert frames[0]["fault"] == {"code": 0, "text": "None"}
    assert len(frames[0]["qcls"]) == 4


def test_a_refused_precondition_names_the_reason_and_sends_nothing(tmp_path):
    trace = tmp_path / "trace.txt"
    run = ctl("--sim", "--trace", trace, "tune", "1650", "cm-1")
    assert run.status == 4, run
    assert run.err == ("tarvexctl: cannot tune to 1650 cm-1: the laser is not armed; "
                       "arm it first with 'tarvexctl arm'\n")
    # Only reads went out: the connection's and the checks'.
    sent = [line.split()[4] for line in trace.read_text().splitlines() if " TX " in line]
    assert sent and set(sent) == {"read"}

    run = ctl("--sim", "--json", "tune", "3000", "cm-1")
    assert run.status == 4
    assert run.json()["error"] == {
        "class": "refused", "exit_status": 4,
        "message": "cannot tune to 3000 cm-1: the wavelength lies outside the laser's tuning range",
        "hint": "'tarvexctl info' shows the tuning range"}


def test_bad_arguments_are_usage_errors_that_say_what_to_do():
    for args, message in [
            (["tune", "1650", "nm"], "unknown unit 'nm'"),
            (["tune", "1650"], "unit is required"),
            (["tune"], "value is required"),
            (["tune", "1650", "cm-1", "--qcl", "7"], "--qcl: Value 7 not in range 1 to 4"),
            (["sweep", "1700", "1800", "cm-1", "--speed", "0"], "--speed"),
            (["--port", "/dev/null", "--baud", "abc", "info"], "abc is not a baud rate"),
            (["--ftdi", "1e30", "info"], "--ftdi: '1e30' is not an index (a whole number from 0)"),
            (["--ftdi", "-1", "info"], "'-1' is not an index"),
            (["arm", "--timeout", "nan"], "--timeout: 'nan' is not a number"),
            (["arm", "--timeout", "1e300"],
             "--timeout: 1e300 is out of range: above 0 and at most 86400 seconds"),
            (["tune", "inf", "cm-1"], "value: 'inf' is not a number"),
            (["sweep", "1700", "1800", "cm-1", "--speed", "nan"], "--speed: 'nan' is not a number"),
            (["step-measure", "1700", "1800", "abc", "cm-1"], "step: 'abc' is not a number"),
            (["log", "x.log", "-d", "1e300"], "--duration: 1e300 is out of range"),
            (["multi-spectral", "cm-1", "nan"], "not an element: nan"),
            (["--sim", "--udp", "10.0.0.1", "info"], "excludes"),
            (["multi-spectral", "cm-1", "1650:x"], "not an element: 1650:x"),
    ]:
        run = ctl("--sim", *args) if args[0] not in ("--port", "--ftdi") else ctl(*args)
        assert run.status == 2, (args, run)
        assert message in run.err, (args, run)
        assert run.err.count("\n") == 1 and run.out == ""
    assert "see 'tarvexctl tune --help'" in ctl("--sim", "tune", "1", "nm").err


def test_the_trace_holds_each_exchanges_packets(tmp_path):
    trace = tmp_path / "trace.txt"
    assert ctl("--sim", "--trace", trace, "faults").status == 0
    lines = trace.read_text().splitlines()
    assert lines[0].startswith("# ") and lines[0].endswith("faults")
    exchange = [line.split(" ", 5) for line in lines if " SystemErrorsList " in line]
    assert [e[1] for e in exchange] == ["TX", "RX", "RX"]
    assert [e[4] for e in exchange] == ["read", "ack", "response"]
    assert exchange[0][3] == exchange[1][3] == exchange[2][3]
    assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}", exchange[0][0])
    # An 88-byte record behind the ten-byte header, and the CRC.
    assert len(exchange[0][5].split()) == 100 and exchange[0][5].startswith("00 00 08 01")
    assert len(exchange[1][5].split()) == 12


def test_firmware_update_shows_percent_lines_off_a_terminal(tmp_path):
    image = tmp_path / "Tarvex_PROM_prod_1.9.ufp"
    image.write_bytes(b"".join(b"%032X\r\n" % (n * 0x0123456789) for n in range(100)))
    run = ctl("--sim", "firmware", "update", image).ok()
    assert "Updated the firmware (100 records)" in run.out
    percents = [int(m) for m in re.findall(r"^update: (\d+)%", run.err, re.M)]
    assert percents[-1] == 100 and percents == sorted(percents) and len(percents) <= 12

    unnamed = tmp_path / "image.ufp"
    unnamed.write_bytes(image.read_bytes())
    assert ctl("--sim", "firmware", "update", unnamed).refused("valid firmware update file")


def test_configuration_export_and_import_round_trip(tmp_path):
    first, second = tmp_path / "first.tcfg", tmp_path / "second.tcfg"
    run = ctl("--sim", "--json", "config", "export", first)
    assert run.status == 0 and run.json() == {"exported": str(first), "bytes": 4293}, run
    run = ctl("--sim", "-q", "config", "import", first)
    assert run.status == 0 and run.err == "", run
    assert ctl("--sim", "config", "export", second).status == 0
    assert first.read_bytes() == second.read_bytes()

    corrupt = tmp_path / "corrupt.tcfg"
    corrupt.write_bytes(first.read_bytes()[:-1] + b"\x00")
    assert ctl("--sim", "config", "import", corrupt).refused("CRC")
    assert ctl("--sim", "config", "import", tmp_path / "missing.tcfg").status == 3


def test_the_parameter_log_writes_a_header_and_a_line_per_tick(tmp_path):
    log = tmp_path / "params.log"
    run = ctl("--sim", "log", log, "--duration", "2s").ok()
    header, *lines = log.read_text().splitlines()
    assert header.split("\t")[:3] == ["Date", "Time", "QCL1 Temp (C)"]
    assert len(lines) == 4 and all(len(line.split("\t")) == 2 + 16 + 3 + 1 for line in lines)


def test_the_environment_holds_the_default_connection_but_the_demo_tours_its_own_laser():
    run = ctl("demo", env={"TARVEXCTL_CONNECTION": "--port /dev/null"})
    assert run.status == 0 and "sweep done" in run.out and "disarmed" in run.out, run
    assert ctl("-q", "info", env={"TARVEXCTL_CONNECTION": "--sim"}).status == 0
    run = ctl("info", env={"TARVEXCTL_CONNECTION": "--bogus"})
    assert run.refused("TARVEXCTL_CONNECTION", status=2)
    run = ctl("--port", "/dev/no-such-port", "info", env={"TARVEXCTL_CONNECTION": "--sim"})
    assert run.refused("no such device", status=3)
