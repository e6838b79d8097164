"""Recording the wire from the binding: Device(port, record=...) writes a wire trace through the
tool's recording link, which `torvik sim --replay` serves back to the binding."""
import json
import signal
import subprocess

import torvik
from conftest import TOOL


def test_a_recorded_session_replays_to_the_same_result(simulator, tmp_path):
    trace = tmp_path / "trace.jsonl"
    with torvik.Device(simulator.port, record=trace) as d:
        recorded = d.read_config({"version": "1.0.6", "device": {"switch_off": None}})
    lines = trace.read_text().splitlines()
    assert json.loads(lines[0])["recorder"] == f"torvik-python {torvik.library_version}"
    assert json.loads(lines[-1])["event"] == "close"

    replay = subprocess.Popen([TOOL, "sim", "--replay", str(trace), "--fast"], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    try:
        with torvik.Device(replay.stdout.readline().strip()) as d:
            assert d.read_config({"version": "1.0.6", "device": {"switch_off": None}}) == recorded
    finally:
        replay.send_signal(signal.SIGINT)
        assert replay.wait(timeout=30) == 0, replay.stderr.read()
        replay.stdout.close()
        replay.stderr.close()


def test_a_trace_that_cannot_be_created_is_an_os_error(simulator, tmp_path):
    try:
        torvik.Device(simulator.port, record=tmp_path / "missing" / "trace.jsonl")
    except OSError as error:
        assert "cannot create the trace" in str(error)
    else:
        raise AssertionError("no OSError")
