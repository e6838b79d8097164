#!/usr/bin/env python3
"""Wire traces: recording with --record, `torvik trace show`, and `torvik sim --replay` serving the
checked-in traces (traces/traces.json) to the tool, which goes through the library as any host.

usage: test_traces.py TORVIK [unittest arguments, e.g. a test class name]
"""
import json
import os
import pathlib
import signal
import subprocess
import sys
import tempfile
import unittest
import zipfile

TOOL = None
TIMEOUT = 60
TRACES = pathlib.Path(__file__).resolve().parent / "traces"
MANIFEST = json.loads((TRACES / "traces.json").read_text())
FAST_LINE = os.environ.get("TORVIK_EXCHANGE_POLICY", "")


def run(*args, policy=""):
    environment = {**os.environ, "TORVIK_EXCHANGE_POLICY": ",".join(filter(None, (FAST_LINE, policy)))}
    return subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=TIMEOUT, cwd=TRACES,
                          env=environment)


class Replay:
    """`torvik sim --replay TRACE --fast` until the context ends; then `exit_code` and `report`."""

    def __init__(self, trace):
        self.trace = str(trace)

    def __enter__(self):
        self.process = subprocess.Popen([TOOL, "sim", "--replay", self.trace, "--fast"], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        self.port = self.process.stdout.readline().strip()
        if not self.port:
            self.process.kill()
            raise AssertionError("torvik sim --replay printed no port: " + self.process.stderr.read())
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
        self.exit_code = self.process.wait(timeout=TIMEOUT)
        self.report = self.process.stderr.read()
        self.process.stdout.close()
        self.process.stderr.close()


def command(name, directory, port):
    archive = os.path.join(directory, "datalog.zip")
    return [word.replace("{archive}", archive) for word in MANIFEST[name]["command"]] + ["--port", port]


def archive_contents(path):
    """Every entry's bytes; of the metadata document all but its creation time (the host's clock)."""
    with zipfile.ZipFile(path) as z:
        contents = {name: z.read(name) for name in z.namelist()}
    metadata = json.loads(contents.pop("gdcdatalogger.json"))
    del metadata["file"]["fileCreationDateISO8601"]
    return contents, metadata


def write_events(trace):
    """The line numbers of the trace's write events, in order."""
    lines = pathlib.Path(trace).read_text().splitlines()
    return [number for number, line in enumerate(lines, 1) if json.loads(line).get("event") == "write"]


class CheckedInTraces(unittest.TestCase):
    """Each checked-in trace, replayed to the command it was recorded with, is repeated exactly."""

    def test_each_trace_replays_as_recorded(self):
        for name, entry in MANIFEST.items():
            with self.subTest(trace=name), tempfile.TemporaryDirectory() as directory:
                with Replay(TRACES / name) as replay:
                    result = run(*command(name, directory, replay.port), policy=entry.get("policy", ""))
                self.assertEqual(result.returncode, entry.get("exit", 0), result.stderr)
                requests = len(write_events(TRACES / name))
                self.assertIn(f"the host sent all {requests} recorded requests as recorded", replay.report)
                self.assertEqual(replay.exit_code, 0, replay.report)

    def test_the_fault_run_ends_with_the_devices_standard_error(self):
        with tempfile.TemporaryDirectory() as directory, Replay(TRACES / "faults.jsonl") as replay:
            result = run(*command("faults.jsonl", directory, replay.port), policy=MANIFEST["faults.jsonl"]["policy"])
        self.assertIn("Received a standard error response from device. Illegal command. (1)", result.stderr)


class RecordThenReplay(unittest.TestCase):
    """Recording an operation against the simulated detector and replaying it gives the same output."""

    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())
        self.trace = os.path.join(self.dir, "trace.jsonl")

    def test_configuration_document(self):
        live = run("config", "read", "--simulate", "--record", self.trace)
        self.assertEqual(live.returncode, 0, live.stderr)
        with Replay(self.trace) as replay:
            replayed = run("config", "read", "--port", replay.port)
        self.assertEqual(replayed.returncode, 0, replayed.stderr)
        self.assertEqual(replayed.stdout, live.stdout)
        self.assertEqual(replay.exit_code, 0, replay.report)

    def test_datalog_archive(self):
        live_archive, replayed_archive = (os.path.join(self.dir, name) for name in ("live.zip", "replayed.zip"))
        live = run("datalog", "read", "--all", "-o", live_archive, "--simulate", "--record", self.trace)
        self.assertEqual(live.returncode, 0, live.stderr)
        with Replay(self.trace) as replay:
            replayed = run("datalog", "read", "--all", "-o", replayed_archive, "--port", replay.port)
        self.assertEqual(replayed.returncode, 0, replayed.stderr)
        self.assertEqual(archive_contents(replayed_archive), archive_contents(live_archive))
        self.assertEqual(replay.exit_code, 0, replay.report)

    def test_a_changed_request_is_reported_at_its_frame(self):
        # The recorded read asks for channel 0's section after the device's; this one for channel 2's.
        request = os.path.join(self.dir, "request.json")
        pathlib.Path(request).write_text('{"version":"1.0.6","channels":{"2":{"measure_gas":null}}}')
        with Replay(TRACES / "config-read.jsonl") as replay:
            result = run("config", "read", "--request", request, "--port", replay.port)
        self.assertEqual(result.returncode, 1)
        total = len(write_events(TRACES / "config-read.jsonl"))
        third = write_events(TRACES / "config-read.jsonl")[2]
        self.assertIn(f"differs from the recording at request 3 of {total} (line {third} of ", replay.report)
        self.assertIn("expected: AR0D000000010017\\r  (read memory, at 115200 baud)", replay.report)
        self.assertIn("received: AR0F000000010015\\r  (read memory, at 115200 baud)", replay.report)
        self.assertEqual(replay.exit_code, 1)

    def test_a_host_that_stops_early_is_reported(self):
        with Replay(TRACES / "datalog-clear.jsonl") as replay:
            pass
        self.assertIn("the host stopped after 0 of", replay.report)
        self.assertEqual(replay.exit_code, 1)


class TraceShow(unittest.TestCase):
    def show(self, trace):
        result = run("trace", "show", "--json", str(trace))
        self.assertEqual(result.returncode, 0, result.stderr)
        return [json.loads(line) for line in result.stdout.splitlines()]

    def test_every_command_of_the_catalogue_is_named(self):
        frames = [frame for name in MANIFEST for frame in self.show(TRACES / name)]
        requests = {frame["code"] for frame in frames if frame["kind"] == "request" and frame.get("description")}
        replies = {frame["code"] for frame in frames if frame["kind"] == "reply" and frame.get("description")}
        catalogue = {"H", "AC", "AD", "_F", "AI", "AM", "AO", "BH", "AR", "AW", "DK", "DM", "DN", "DP", "DL"}
        self.assertEqual(requests, catalogue)
        self.assertEqual(replies, {code.lower() for code in catalogue})
        self.assertTrue(all(frame["checksum_ok"] for frame in frames if "checksum_ok" in frame))

    def test_faults_retries_and_the_echo(self):
        frames = self.show(TRACES / "faults.jsonl")
        kinds = [frame["kind"] for frame in frames]
        for kind in ("echo", "silence", "garbage", "standard error"):
            self.assertIn(kind, kinds)
        first_retry = next(frame for frame in frames if frame.get("attempt", 1) > 1)
        self.assertEqual((first_retry["code"], first_retry["attempt"]), ("H", 2))
        error = next(frame for frame in frames if frame["kind"] == "standard error")
        self.assertEqual((error["error"], error["description"]), (1, "Illegal command."))
        self.assertEqual(next(frame for frame in frames if frame["kind"] == "garbage")["bytes"], "~\u007f\u00a5")

    def test_checksums_unknown_commands_and_cut_replies(self):
        trace = pathlib.Path(tempfile.mkdtemp()) / "made.jsonl"
        lines = [{"format": "torvik-wire-trace", "version": 1},
                 {"t": 0, "event": "open", "port": "/dev/ttyUSB0", "baud": 9600},
                 {"t": 1, "event": "write", "data": "AC7B\r"},
                 {"t": 2, "event": "read", "asked": 5, "timeout_ms": 500, "data": "ac3C\r", "reads": 1},
                 {"t": 3, "event": "write", "data": "ZZ00\r"},
                 {"t": 4, "event": "read", "asked": 3, "timeout_ms": 500, "data": "?aq", "reads": 1},
                 {"t": 5, "event": "close"}]
        trace.write_text("".join(json.dumps(line) + "\n" for line in lines))
        frames = self.show(trace)
        reply = next(frame for frame in frames if frame["kind"] == "reply")
        self.assertEqual((reply["code"], reply["checksum_ok"]), ("ac", False))
        unknown = [frame for frame in frames if frame["kind"] == "request"][1]
        self.assertNotIn("description", unknown)
        self.assertEqual(next(frame for frame in frames if frame["kind"] == "incomplete")["bytes"], "?aq")
        text = run("trace", "show", str(trace)).stdout
        self.assertIn("reply ac connect for a database write  checksum BAD", text)


class BadTraces(unittest.TestCase):
    """A trace that cannot be used is refused by `trace show` and `sim --replay` alike, naming the line."""

    CASES = [
        ("truncated", lambda text: text[: text.index("\n", text.index("\n") + 1) + 20], ":3: the line is cut short"),
        ("not JSON", lambda text: "\n".join(text.split("\n")[:2] + ["not json"] + text.split("\n")[2:]),
         ":3: not JSON"),
        ("unknown version", lambda text: text.replace('"version":1', '"version":7', 1),
         ":1: trace format version 7 is not known (this torvik reads version 1)"),
        ("missing member", lambda text: text.replace('"baud":9600,', "", 1), ':2: "open" needs "baud", a number'),
        ("empty", lambda text: "", ":1: the trace is empty"),
    ]

    def test_each_bad_trace_names_its_line(self):
        good = (TRACES / "datalog-clear.jsonl").read_text()
        for case, damage, message in self.CASES:
            with self.subTest(case=case), tempfile.TemporaryDirectory() as directory:
                trace = os.path.join(directory, "bad.jsonl")
                pathlib.Path(trace).write_text(damage(good))
                for words in (("trace", "show", trace), ("sim", "--replay", trace)):
                    result = run(*words)
                    self.assertEqual(result.returncode, 1, words)
                    self.assertIn(f"torvik: error: {trace}{message}", result.stderr)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=2)
