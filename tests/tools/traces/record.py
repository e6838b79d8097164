#!/usr/bin/env python3
"""Records the wire traces of traces.json anew from the simulated detector.

usage: record.py TORVIK [TRACE ...]

Each trace is one run of its "command" through `torvik --record` against `torvik sim` started
with the trace's "sim" options, with the test suite's line timing (TORVIK_EXCHANGE_POLICY of the
build, given here in FAST_LINE) plus the trace's "policy". A trace from a real detector is made the
same way with --port and added to traces.json by hand.
"""
import json
import os
import pathlib
import signal
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
FAST_LINE = "rate_switch_pause_ms=0,state_poll_ms=1,write_pause_ms=0,byte_read_timeout_ms=10"


def policy(entry):
    return ",".join(filter(None, (FAST_LINE, entry.get("policy", ""))))


def command_words(entry, port, directory):
    """The trace's command with its port, the {archive} placeholder filled in."""
    archive = os.path.join(directory, "datalog.zip")
    return [word.replace("{archive}", archive) for word in entry["command"]] + ["--port", port]


def record(tool, name, entry):
    sim = subprocess.Popen([tool, "sim", *entry["sim"]], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           text=True)
    port = sim.stdout.readline().strip()
    try:
        with tempfile.TemporaryDirectory() as directory:
            words = command_words(entry, port, directory) + ["--record", str(HERE / name)]
            run = subprocess.run([tool, *words], cwd=HERE, capture_output=True, text=True,
                                 env={**os.environ, "TORVIK_EXCHANGE_POLICY": policy(entry)})
            print(f"{name}: exit {run.returncode}", run.stderr.strip(), sep="\n  ")
    finally:
        sim.send_signal(signal.SIGINT)
        sim.wait(timeout=30)


def main():
    tool, wanted = sys.argv[1], sys.argv[2:]
    for name, entry in json.loads((HERE / "traces.json").read_text()).items():
        if not wanted or name in wanted:
            record(tool, name, entry)


if __name__ == "__main__":
    main()
