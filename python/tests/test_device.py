"""End to end: the binding against the simulated detector."""
import json
import logging
import os
import re
import signal
import subprocess
import tomllib
import zipfile

import pytest

import torvik
from conftest import SOURCE, TOOL, Simulator


def test_info(simulator):
    with torvik.Device(simulator.port) as d:
        info = d.info()
    assert info["port"] == simulator.port
    assert info["device_id"] == "83211"  # the simulator's device type 10
    assert re.fullmatch(r"\d{7}", info["part_number"])
    assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d{4}", info["device_time"])
    assert info["datalog"]["page_size"] > 0


def test_configuration_round_trip(simulator):
    with torvik.Device(simulator.port) as d:
        whole = d.read_config()
        assert whole["version"] == "1.0.6" and whole["channels"]
        request = {"version": "1.0.6", "device": {"switch_off": None}}
        before = d.fingerprint(request)
        new_value = "allowed" if whole["device"]["switch_off"] != "allowed" else "not allowed"
        d.write_config({"version": "1.0.6", "device": {"switch_off": new_value}})
        assert d.read_config(request)["device"] == {"switch_off": new_value}
        assert d.fingerprint(json.dumps(request)) != before


@pytest.mark.parametrize("call, category, text", [
    (lambda d: d.read_config({"version": "0.9", "device": None}), 5, "Converting of the read response"),
    (lambda d: d.write_config("{not json"), 5, ""),
    (lambda d: d.write_config({"version": "1.0.6", "device": {"switch_of": "allowed"}}), 5,
     "device.switch_of"),
])
def test_bad_requests_raise_bad_request(simulator, call, category, text):
    with torvik.Device(simulator.port) as d, pytest.raises(torvik.BadRequest) as raised:
        call(d)
    assert raised.value.category == category
    assert any(text in message for _, _, message in raised.value.records)


@pytest.mark.parametrize("records, kind", [
    ([(3, 8, "Aborted by user")], torvik.Aborted),
    ([(4, 4, "Writing {256} byte(s) to database failed at address 67108864")], torvik.DeviceRefused),
    ([(5, 19, "Caught an exception while writing the configuration. Received a standard error response from "
               "device. Unknown command (1)")], torvik.DeviceRefused),
    ([(5, 6, "Device communication failed")], torvik.NoReply),
    ([(3, 1, "Output file exists")], torvik.BadRequest),
    ([(5, 19, "Reading of the database failed")], torvik.Error),
])
def test_each_failure_has_its_kind(records, kind):
    assert torvik._kind(records, None) is kind


def test_a_silent_detector_raises_no_reply(monkeypatch, tmp_path):
    monkeypatch.setenv("TORVIK_EXCHANGE_POLICY", os.environ.get("TORVIK_EXCHANGE_POLICY", "") +
                       ",reply_timeout_ms=100,attempts=2")
    silent = Simulator("--silent")
    try:
        with torvik.Device(silent.port) as d:
            for call in (d.read_config, lambda: d.read_datalog(tmp_path / "d.zip")):
                with pytest.raises(torvik.NoReply):
                    call()
    finally:
        silent.stop()


def test_port_that_does_not_open_says_why():
    with pytest.raises(torvik.PortNotAvailable) as raised:
        torvik.Device("/dev/nonexistent")
    assert (raised.value.category, raised.value.code) == (0, 6)
    assert raised.value.causes == ["Serial port /dev/nonexistent does not exist"]
    assert str(raised.value).startswith("general (0) code 6: ")
    assert str(raised.value).endswith("; Serial port /dev/nonexistent does not exist")


def test_request_errors_name_what_is_allowed(simulator):
    with torvik.Device(simulator.port) as d, pytest.raises(torvik.Error) as raised:
        d.write_config({"version": "1.0.6", "device": {"switch_off": "sometimes"}})
    assert str(raised.value) == (
        'configuration (5) code 1: Invalid data type in JSON for node path: device.switch_off; "sometimes" is not a '
        'value of device.switch_off: the allowed values are "allowed", "not allowed during a2", "not allowed"')


def test_write_names_the_values_not_taken_in_one_warning(simulator, caplog):
    caplog.set_level(logging.INFO, logger="torvik")
    with torvik.Device(simulator.port) as d:
        whole = d.read_config()
        caplog.clear()
        assert d.write_config(whole) == whole
        assert [r.getMessage() for r in caplog.records if "not yet supported" in r.getMessage()] == []
        assert "the document's read-only values were left as they are" in caplog.text
        caplog.clear()
        held = d.write_config({"version": "1.0.6", "sensors": {"1": {"part_number": "1234567"}}})
    assert held["sensors"]["1"]["part_number"] == whole["sensors"]["1"]["part_number"]
    warnings = [r.getMessage() for r in caplog.records if r.levelno == logging.WARNING and "policy" not in
                r.getMessage().lower()]
    assert warnings == ["the detector did not take 1 value(s) of the document (read-only, or not held by this "
                        "detector): sensors.1.part_number"]


def test_datalog_read_with_progress_and_clear(simulator, tmp_path):
    archive = tmp_path / "session.zip"
    seen = []
    with torvik.Device(simulator.port) as d:
        d.read_datalog(archive, skip=("measurement", "event", "debug"), progress=seen.append, all=True)
        with zipfile.ZipFile(archive) as z:
            assert z.namelist() == ["session.ddl", "gdcdatalogger.json"]
        with pytest.raises(torvik.BadRequest, match="Output file exists"):
            d.read_datalog(archive)
        with pytest.raises(ValueError):
            d.read_datalog(tmp_path / "other.zip", skip=("sessions",))
        d.clear_datalog()
    assert seen and all(0.0 <= fraction <= 1.0 for fraction in seen) and seen[-1] == 1.0


def test_keyboard_interrupt_aborts_the_transfer(slow_simulator, tmp_path):
    archive = tmp_path / "aborted.zip"

    def interrupt(_fraction):
        raise KeyboardInterrupt

    with torvik.Device(slow_simulator.port) as d, pytest.raises(KeyboardInterrupt):
        d.read_datalog(archive, progress=interrupt)
    assert not archive.exists()


def test_binding_agrees_with_the_header_and_the_library():
    header = (SOURCE / "include" / "torvik" / "instrument_api.h").read_text()
    declared = {name: int(index) for index, name in re.findall(r"(?:SLOT|SHARED)\((\d+), (\w+),", header)}
    for name, (index, _result, _parameters) in torvik._library.SLOTS.items():
        assert declared.get(name) == index, name
    numbers = {name: int(value) for name, value in re.findall(r"\b(INSTR_[A-Z_]+) = (\d+)", header)}
    assert len(numbers) == 17  # error categories, log levels, datalog and read options, the context attribute
    assert {name: getattr(torvik._library, name, None) for name in numbers} == numbers
    project = tomllib.loads((SOURCE / "python" / "pyproject.toml").read_text())["project"]
    assert project["version"] == torvik.library_version


def test_ctrl_c_during_a_write_finishes_it_then_raises(slow_simulator):
    """Ctrl-C while the detector is switched off: the write completes and switches it on again,
    then KeyboardInterrupt reaches the script."""

    class InterruptWhenOff(logging.Handler):
        def emit(self, record):
            if "Still waiting for state change to 1" in record.getMessage():
                os.kill(os.getpid(), signal.SIGINT)

    handler = InterruptWhenOff()
    logger = logging.getLogger("torvik")
    logger.addHandler(handler)
    logger.setLevel(logging.INFO)
    try:
        with torvik.Device(slow_simulator.port) as d, pytest.raises(KeyboardInterrupt):
            d.write_config({"version": "1.0.6", "device": {"switch_off": "allowed"}})
    finally:
        logger.removeHandler(handler)
    info = json.loads(subprocess.run([TOOL, "info", "--port", slow_simulator.port], capture_output=True,
                                     check=True, text=True).stdout)
    assert info["state"] == "on"
    with torvik.Device(slow_simulator.port) as d:
        assert d.read_config({"version": "1.0.6", "device": {"switch_off": None}})["device"]["switch_off"] == "allowed"
