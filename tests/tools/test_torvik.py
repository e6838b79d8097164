#!/usr/bin/env python3
"""The torvik tool as a subprocess, against its built-in simulated detector or `torvik sim`.

usage: test_torvik.py TORVIK [unittest arguments, e.g. a test class name]
"""
import fcntl
import json
import os
import pty
import resource
import struct
import signal
import subprocess
import sys
import tempfile
import termios
import unittest
import zipfile

TOOL = None
TIMEOUT = 60

# The library's exchange timing: the line without pauses (as CTest sets it), and short reply
# time-outs with two attempts for a silent device.
POLICY = "TORVIK_EXCHANGE_POLICY"
FAST_LINE = os.environ.get(POLICY, "")
SHORT_REPLIES = FAST_LINE + ",reply_timeout_ms=100,attempts=2"


def run(*args, stdin=None, policy=FAST_LINE, env=None, limit_file_size=None):
    """The tool with the exchange policy `policy` (None: the library's defaults) and `env` added;
    `limit_file_size` bytes is the largest file it may write."""
    environment = {name: value for name, value in os.environ.items() if name != POLICY}
    if policy is not None:
        environment[POLICY] = policy
    environment.update(env or {})

    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # a write past the limit fails with EFBIG instead
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit_file_size, limit_file_size))

    return subprocess.run([TOOL, *args], input=stdin, capture_output=True, text=True, timeout=TIMEOUT,
                          env=environment, preexec_fn=limit if limit_file_size else None)


def without_policy(stderr):
    """The lines of stderr but the library's warning about the tests' exchange timing."""
    return [line for line in stderr.splitlines() if POLICY not in line]


class SimProcess:
    """`torvik sim` with the given options, serving until the context ends."""

    def __init__(self, *options):
        self.options = options

    def __enter__(self):
        self.process = subprocess.Popen([TOOL, "sim", *self.options], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        self.port = self.process.stdout.readline().strip()
        if not self.port:
            self.process.kill()
            raise AssertionError("torvik sim printed no port")
        return self

    def __exit__(self, *exc):
        self.process.send_signal(signal.SIGINT)
        self.exit_code = self.process.wait(timeout=TIMEOUT)
        self.process.stdout.close()


class TempDir(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())

    def write(self, name, content):
        path = os.path.join(self.dir, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(content if isinstance(content, str) else json.dumps(content))
        return path


class Usage(unittest.TestCase):
    def test_usage_errors_exit_2(self):
        cases = ["", "frobnicate", "info --bogus", "info extra", "info --port", "info --port /dev/null --simulate",
                 "config write", "config read --fingerprint=yes", "datalog read", "datalog clear --yes --bogus",
                 "datalog read -o x.zip --skip measurement,bogus", "sim --reply-delay soon"]
        for args in cases:
            with self.subTest(args=args):
                result = run(*args.split())
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertEqual(result.stdout, "")
                self.assertIn("torvik", result.stderr)

    def test_help_and_version(self):
        for name in ["info", "ports", "config read", "config write", "datalog read", "datalog clear", "sim"]:
            with self.subTest(name=name):
                result = run(*name.split(), "--help")
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue(result.stdout.startswith("usage: torvik " + name), result.stdout)
        # Both versions come from the library's one version constant.
        self.assertRegex(run("--version").stdout, r"^torvik (\d+\.\d+\.\d+)\nlibtorvik \1 \(API table layout 2\)")


    def test_man_page_shows_examples_and_every_variable(self):
        page = os.path.join(os.path.dirname(TOOL), os.pardir, "tools", "torvik.1")
        if not os.path.exists(page):
            self.skipTest("no man page (help2man missing)")
        with open(page, encoding="utf-8") as f:
            text = f.read()
        for name in ["EXAMPLES", "ENVIRONMENT", "TZ", "PELLO_TZ_OFFSET_SEC", "TORVIK_EXCHANGE_POLICY", "TMPDIR",
                     "TORVIK_DEV_DIR"]:
            self.assertIn(name, text)


class Ports(TempDir):
    """`torvik ports` on a device directory of the test's own (TORVIK_DEV_DIR)."""

    def ports(self, devices, without_privileges=False):
        # Root opens any file: to meet "permission denied" it runs the tool as root without its
        # capabilities, so the tool stays reachable wherever the tree was cloned (a 0700 home).
        drop = ["setpriv", "--inh-caps=-all", "--bounding-set=-all", "--"]
        command = [*(drop if without_privileges and os.geteuid() == 0 else []), TOOL, "ports"]
        return subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT,
                              env=dict(os.environ, TORVIK_DEV_DIR=devices))

    def test_lists_adapters_with_by_id_names_and_why_one_does_not_open(self):
        devices = os.path.join(self.dir, "dev")
        os.makedirs(os.path.join(devices, "serial", "by-id"))
        empty = self.ports(devices)
        self.assertEqual((empty.returncode, empty.stdout), (0, ""))
        self.assertIn("no serial ports found", empty.stderr)
        by_id = os.path.join(devices, "serial", "by-id", "usb-Torvik_Adapter_0001-if00-port0")
        with SimProcess() as sim:
            os.symlink(sim.port, os.path.join(devices, "ttyUSB0"))
            os.symlink("../../ttyUSB0", by_id)
            os.symlink(os.path.join(self.dir, "unplugged"), os.path.join(devices, "ttyACM0"))
            # On-board ports: one that opens as a terminal; a node without hardware; no terminal.
            os.symlink(sim.port, os.path.join(devices, "ttyS4"))
            os.symlink(os.path.join(self.dir, "no-uart"), os.path.join(devices, "ttyS1"))
            self.write("dev/ttyS0", "")
            result = self.ports(devices)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines(), [
            os.path.join(devices, "ttyACM0") + "  cannot open: no such file or device (is the adapter plugged in?)",
            os.path.join(devices, "ttyS4"),
            os.path.join(devices, "ttyUSB0") + "  " + by_id,
        ])

    def test_permission_denied_names_the_dialout_group(self):
        devices = os.path.join(self.dir, "dev")
        os.makedirs(devices)
        os.chmod(self.write("dev/ttyUSB1", ""), 0)
        result = self.ports(devices, without_privileges=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("ttyUSB1  cannot open: permission denied", result.stdout)
        self.assertIn("dialout", result.stdout)


class Simulated(TempDir):
    def sections(self, path):
        """The sections an intact archive holds, in order."""
        with zipfile.ZipFile(path) as archive:
            self.assertIsNone(archive.testzip())
            return [name[:-4] for name in archive.namelist() if name.endswith(".ddl")]

    def test_info(self):
        result = run("info", env={"TMPDIR": self.dir})
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("no --port given, using the built-in simulated detector", result.stderr)
        info = json.loads(result.stdout)
        self.assertEqual({name: info[name] for name in ("state", "maintenance_mode", "device_id", "part_number",
                                                        "serial_number", "datalog")},
                         {"state": "on", "maintenance_mode": False, "device_id": "83211", "part_number": "8327640",
                          "serial_number": "2461-0137",
                          "datalog": {"page_size": 256, "version": 3, "measurement_variant": "long"}})
        self.assertRegex(info["device_time"], r"^2026-03-14T\d\d:26:53[+-]\d{4}$")
        self.assertEqual(os.listdir(self.dir), [])  # its temporary archive is gone

    def test_config_read(self):
        request = self.write("request.json", {"version": "1.0.6", "device": {"switch_off": "allowed"}})
        quiet = run("config", "read", "--request", request, "--compact")
        self.assertEqual(quiet.returncode, 0, quiet.stderr)
        self.assertEqual(quiet.stdout.count("\n"), 1)
        document = json.loads(quiet.stdout)
        self.assertEqual(set(document), {"$schema", "version", "device"})
        self.assertEqual(set(document["device"]), {"switch_off"})
        self.assertNotRegex(quiet.stderr, r"(?m)^(DEBUG|INFO): ")
        verbose = run("config", "read", "--request", request, "--verbose")  # log lines on stderr only
        self.assertEqual(json.loads(verbose.stdout), document)
        self.assertRegex(verbose.stderr, r"(?m)^(DEBUG|INFO): ")
        fingerprint = run("config", "read", "--request", request, "--fingerprint")
        self.assertRegex(fingerprint.stdout, r"^\d+\n$")

    def test_library_errors_pass_through(self):
        """The library's record (checked by the host tests) reaches stderr whole, with exit code 1."""
        bad = self.write("bad.json", {"version": "1.0.6", "device": {"switch_of": "allowed"}})
        cases = [([bad], "torvik: error: configuration (5) code 1: Invalid key in JSON for node path: "
                         "device.switch_of"),
                 ([os.path.join(self.dir, "absent.json")], "cannot read")]
        for args, text in cases:
            with self.subTest(args=args):
                result = run("config", "write", "--simulate", *args)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertEqual(result.stdout, "")
                self.assertIn(text, result.stderr)

    def test_config_write_reports_what_the_device_holds(self):
        document = {"version": "1.0.6", "device": {"switch_off": "not allowed", "quick_menu": {"show_messages": True}},
                    "sensors": {"1": {"part_number": "1234567"}}}
        result = run("config", "write", "--simulate", "-", stdin=json.dumps(document))
        self.assertEqual(result.returncode, 0, result.stderr)
        held = json.loads(result.stdout)
        self.assertEqual(held["device"]["switch_off"], "not allowed")
        # One line names what was not written (a value the detector lacks, a read-only one).
        self.assertEqual(without_policy(result.stderr), [
            "torvik: warning: the detector did not take 2 value(s) of the document (read-only, or not held by this "
            "detector): device.quick_menu.show_messages, sensors.1.part_number"])

    def test_whole_document_written_back_gives_one_line(self):
        with SimProcess() as sim:
            whole = run("config", "read", "--port", sim.port).stdout
            result = run("config", "write", "--port", sim.port, "-", stdin=whole)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(without_policy(result.stderr), [
            "torvik: the document's read-only values were left as they are (each equals what the detector holds)"])

    def test_datalog_read_and_skip(self):
        everything = os.path.join(self.dir, "all.zip")
        result = run("datalog", "read", "-o", everything, "--all")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertNotIn("\r", result.stderr)  # no progress bar when stderr is not a terminal
        self.assertEqual(self.sections(everything), ["measurement", "event", "session", "debug"])

        session_only = os.path.join(self.dir, "session.zip")
        result = run("datalog", "read", "--output", session_only, "--skip", "measurement,event,debug")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.sections(session_only), ["session"])

        again = run("datalog", "read", "-o", everything)
        self.assertEqual(again.returncode, 1)
        self.assertIn("torvik: error: datalog (3) code 1: Output file exists", again.stderr)
        self.assertEqual(run("datalog", "clear", "--simulate", "--yes").returncode, 0)


class StandaloneSimulator(TempDir):
    def test_hosts_connect_to_torvik_sim(self):
        link = os.path.join(self.dir, "detector")
        with SimProcess("--link", link) as sim:
            self.assertEqual(sim.port, link)
            info = run("info", "--port", sim.port)
            self.assertEqual(info.returncode, 0, info.stderr)
            self.assertNotIn("simulated", info.stderr)
        self.assertEqual(sim.exit_code, 0)
        self.assertFalse(os.path.lexists(link))

    def test_link_never_replaces_what_exists(self):
        kept = self.write("a-file", "precious")
        other = os.path.join(self.dir, "a-link")
        os.symlink(kept, other)
        for path in [kept, other]:
            with self.subTest(path=path):
                result = subprocess.run([TOOL, "sim", "--link", path], capture_output=True, text=True,
                                        timeout=TIMEOUT)
                self.assertEqual(result.returncode, 1)
                self.assertIn("cannot publish the port as " + path + ": it exists already", result.stderr)
        self.assertEqual(os.readlink(other), kept)
        with open(kept, encoding="utf-8") as f:
            self.assertEqual(f.read(), "precious")

    def test_torvik_sim_is_the_sim_command(self):
        alias = os.path.join(os.path.dirname(TOOL), "torvik-sim")
        result = subprocess.run([alias, "--help"], capture_output=True, text=True, timeout=TIMEOUT)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(result.stdout.startswith("usage: torvik sim"), result.stdout)
        self.assertIn("--reply-delay MS", result.stdout)

    def test_silent_device(self):
        with SimProcess("--silent") as sim:
            result = run("config", "read", "--port", sim.port, "--verbose", policy=SHORT_REPLIES)
            datalog = run("datalog", "read", "--port", sim.port, "-o", os.path.join(self.dir, "d.zip"),
                          policy=SHORT_REPLIES)
        self.assertEqual(datalog.returncode, 1)
        self.assertIn("torvik: error: no reply from the detector on " + sim.port, datalog.stderr)
        self.assertEqual(result.returncode, 1)
        self.assertIn("torvik: error: configuration (5) code 6: Device communication failed", result.stderr)
        self.assertIn("torvik: error: no reply from the detector on " + sim.port + ": check that it is switched on",
                      result.stderr)
        self.assertEqual(result.stderr.count('WARN: Timeout when receiving message for "H" command.'), 2)
        self.assertIn("DEBUG: No or invalid response to message 'Hello device', try again... (2/2)", result.stderr)

    @staticmethod
    def interrupt_datalog_read(port, archive, when, *options):
        """Runs a verbose datalog read, sends SIGINT once stderr shows `when`; the exit code and the rest."""
        reader = subprocess.Popen([TOOL, "datalog", "read", "--port", port, "-o", archive, "--verbose", *options],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        for line in reader.stderr:
            if when in line:
                break
        reader.send_signal(signal.SIGINT)
        rest = reader.stderr.read()
        code = reader.wait(timeout=TIMEOUT)
        reader.stdout.close()
        reader.stderr.close()
        return code, rest

    def test_ctrl_c_aborts_datalog_read(self):
        archive = os.path.join(self.dir, "aborted.zip")
        with SimProcess("--reply-delay", "150") as sim:
            code, rest = self.interrupt_datalog_read(sim.port, archive, "Saying hello to device.", "--all")
        self.assertEqual(code, 130, rest)
        self.assertIn("torvik: error: datalog (3) code 8: Aborted by user", rest)
        self.assertFalse(os.path.exists(archive))

    def test_ctrl_c_while_the_data_is_marked_as_read_is_told_and_finished(self):
        archive = os.path.join(self.dir, "complete.zip")
        with SimProcess("--reply-delay", "150") as sim:
            code, rest = self.interrupt_datalog_read(sim.port, archive, "Moving read pointer of GDC datalog")
            again = run("datalog", "read", "--port", sim.port, "-o", os.path.join(self.dir, "again.zip"))
        self.assertEqual(code, 130, rest)
        self.assertIn("torvik: interrupted: the archive is complete; finishing marking its new data as read", rest)
        self.assertIn("torvik: datalog written to " + archive, rest)
        self.assertEqual(again.returncode, 0, again.stderr)
        self.assertIn("torvik: no new data: nothing was recorded since the last read", again.stderr)

    def test_progress_fits_the_terminal(self):
        with SimProcess("--reply-delay", "20") as sim:
            for columns in (50, 100):
                with self.subTest(columns=columns):
                    controller, terminal = pty.openpty()
                    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
                    archive = os.path.join(self.dir, f"{columns}.zip")
                    reader = subprocess.Popen([TOOL, "datalog", "read", "--all", "--port", sim.port, "-o", archive],
                                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=terminal,
                                              env=dict(os.environ, TORVIK_EXCHANGE_POLICY=FAST_LINE))
                    os.close(terminal)
                    shown = read_all(controller)
                    self.assertEqual(reader.wait(timeout=TIMEOUT), 0, shown)
                    frames = [frame.removesuffix("\x1b[K") for frame in shown.split("\r") if frame.endswith("\x1b[K")]
                    self.assertTrue(frames and all(len(frame) < columns for frame in frames), frames)
                    self.assertRegex(shown, r"\d+% (measurement|event|session|debug): \d+ pages")
                    self.assertIn("torvik: datalog written to " + archive, shown)


class Errors(TempDir):
    """Failures name their cause without --verbose."""

    def test_ports_that_do_not_open(self):
        plain_file = self.write("not-a-port", "")
        with SimProcess() as sim, open(sim.port, "rb") as held:
            fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)  # as another program using the port would
            cases = [(os.path.join(self.dir, "ttyUSB9"), "no such file or device (is the adapter plugged in?)"),
                     (plain_file, "Inappropriate ioctl for device"),
                     (sim.port, "busy: another program has it open")]
            for port, why in cases:
                with self.subTest(port=port):
                    result = run("info", "--port", port)
                    self.assertEqual((result.returncode, result.stdout), (1, ""), result.stderr)
                    self.assertEqual(result.stderr, f"torvik: error: cannot open the serial port {port}: {why}\n")

    def test_archive_that_cannot_be_written(self):
        self.assertEqual(run("datalog", "read", "-o", self.dir).stderr.splitlines()[0],
                         f"torvik: -o {self.dir} is a directory: name the archive to create in it, e.g. -o "
                         f"{self.dir}/datalog.zip")
        missing = os.path.join(self.dir, "absent", "d.zip")
        result = run("datalog", "read", "-o", missing)
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"torvik: error: Could not create the archive file for {missing}: No such file or directory",
                      result.stderr)
        # A file that outgrows what the system allows stops with its reason, as a full disk does.
        limited = os.path.join(self.dir, "limited.zip")
        result = run("datalog", "read", "--all", "-o", limited, limit_file_size=4096)
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"torvik: error: Could not write the archive file for {limited}: File too large", result.stderr)
        self.assertEqual(os.listdir(self.dir), [])

    def test_requests_name_what_is_allowed(self):
        cases = [({"version": "1.0.6", "device": {"switch_off": "sometimes"}},
                  'torvik: error: "sometimes" is not a value of device.switch_off: the allowed values are "allowed", '
                  '"not allowed during a2", "not allowed"'),
                 ({"version": "1.0.5", "device": {"switch_off": "allowed"}},
                  'torvik: error: The request\'s "version" is "1.0.5": this library reads and writes "1.0.6"')]
        for document, text in cases:
            with self.subTest(text=text):
                result = run("config", "write", "--simulate", "-", stdin=json.dumps(document))
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stderr.splitlines()[-1], text)


class ChangingCommands(TempDir):
    """Commands that change a detector never fall back to the simulated one; a clear is confirmed."""

    def test_need_a_port_or_simulate(self):
        for args in ["config write -", "config write --dry-run -", "datalog clear --yes"]:
            with self.subTest(args=args):
                result = run(*args.split(), stdin="{}")
                self.assertEqual((result.returncode, result.stdout), (2, ""), result.stderr)
                self.assertIn("this command changes the detector: give --port PATH", result.stderr)

    def test_clear_asks_on_a_terminal_and_needs_yes_elsewhere(self):
        piped = run("datalog", "clear", "--simulate")
        self.assertEqual(piped.returncode, 2)
        self.assertIn("confirm it with --yes", piped.stderr)
        for answer, code, text in [("n", 1, "the datalog was not cleared"), ("y", 0, "datalog cleared")]:
            with self.subTest(answer=answer):
                controller, terminal = pty.openpty()
                os.write(controller, (answer + "\n").encode())
                result = subprocess.run([TOOL, "datalog", "clear", "--simulate"], stdin=terminal,
                                        stdout=subprocess.PIPE, stderr=terminal, timeout=TIMEOUT)
                os.close(terminal)
                shown = read_all(controller)
                self.assertEqual(result.returncode, code, shown)
                self.assertIn("Erase the gas-detection datalog on the simulated detector?", shown)
                self.assertIn(text, shown)

    def test_dry_run_prints_the_plan_and_changes_nothing(self):
        document = {"version": "1.0.6", "device": {"switch_off": "allowed", "quick_menu": {"show_messages": True}},
                    "channels": {"1": {"alarms": {"upper_a1": {"level": 8.5, "is_enabled": True}}}}}
        with SimProcess() as sim:
            before = run("config", "read", "--port", sim.port).stdout
            plan = run("config", "write", "--dry-run", "-", "--port", sim.port, "--verbose",
                       stdin=json.dumps(document))
            self.assertEqual(plan.returncode, 0, plan.stderr)
            self.assertEqual(plan.stdout.splitlines(), [
                'device.switch_off: "not allowed during a2" -> "allowed"',
                "channels.1.alarms.upper_a1.level: 7.0819836 -> 8.5",
                "device.quick_menu.show_messages: not held by this detector (a write ignores it)",
                "a write would rewrite the database section(s) 0x04000000 0x0E000000"])
            self.assertNotIn("Still waiting for state change", plan.stderr)  # never switched off
            self.assertEqual(run("config", "read", "--port", sim.port).stdout, before)
            held = json.loads(before)
            same = {"version": "1.0.6", "device": {"switch_off": held["device"]["switch_off"]}}
            unchanged = run("config", "write", "--dry-run", "-", "--port", sim.port, stdin=json.dumps(same))
            self.assertEqual(unchanged.stdout, "no value would change: a write would rewrite no section\n")


def read_all(descriptor):
    """Everything a pty's controller side holds until the other side is closed."""
    chunks = []
    while True:
        try:
            chunk = os.read(descriptor, 4096)
        except OSError:  # EIO: the terminal side is closed
            break
        if not chunk:
            break
        chunks.append(chunk)
    os.close(descriptor)
    return b"".join(chunks).decode(errors="replace")


class Interrupts(TempDir):
    """Signals at the dangerous moments of a configuration write: the detector is switched off, then
    its sections are written. The write completes, the detector is on again, the tool exits 130."""

    def info(self, port):
        result = run("info", "--port", port)
        self.assertEqual(result.returncode, 0, result.stderr)
        return json.loads(result.stdout)

    def test_write_is_finished_and_the_detector_switched_on(self):
        document = json.dumps({"version": "1.0.6", "device": {"switch_off": "allowed"}})
        moments = [(signal.SIGINT, "Still waiting for state change to 1."),  # just switched off
                   (signal.SIGTERM, "Connect to device..."),  # about to write the sections
                   (signal.SIGINT, "Switching device on ...")]
        for sent, moment in moments:
            with self.subTest(signal=sent.name, moment=moment), SimProcess("--reply-delay", "100") as sim:
                writer = subprocess.Popen([TOOL, "config", "write", "-", "--port", sim.port, "--verbose"],
                                          stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                          text=True)
                writer.stdin.write(document)
                writer.stdin.close()
                for line in writer.stderr:
                    if moment in line:
                        break
                writer.send_signal(sent)
                rest = writer.stderr.read()
                code = writer.wait(timeout=TIMEOUT)
                writer.stdout.close()
                writer.stderr.close()
                self.assertEqual(code, 130, rest)
                self.assertIn("torvik: interrupted: finishing the write and switching the detector on", rest)
                self.assertIn("torvik: the write is complete; the detector is on", rest)
                self.assertEqual(self.info(sim.port)["state"], "on")
                held = run("config", "read", "--port", sim.port, "--request", self.write("r.json", document))
                self.assertEqual(json.loads(held.stdout)["device"]["switch_off"], "allowed")

    def test_a_detector_found_switched_off_is_shown_and_named(self):
        with SimProcess("--state", "1") as sim:
            self.assertEqual(self.info(sim.port)["state"], "switched off")
            written = run("config", "write", "-", "--port", sim.port,
                          stdin=json.dumps({"version": "1.0.6", "device": {"switch_off": "allowed"}}))
            self.assertEqual(written.returncode, 0, written.stderr)
            self.assertIn("the detector is switched off (state 1); the write leaves it switched off", written.stderr)
            self.assertEqual(self.info(sim.port)["state"], "switched off")


class DefaultTiming(unittest.TestCase):
    """The library's own timing, end to end (ctest label "slow"): the whole configuration read with
    the line's real pauses and reply time-outs takes a few seconds."""

    def test_config_read(self):
        result = run("config", "read", "--simulate", policy=None)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertNotIn("no --port given", result.stderr)
        document = json.loads(result.stdout)
        self.assertEqual(set(document), {"$schema", "version", "device", "channels", "sensors"})
        self.assertEqual(document["device"]["switch_off"], "not allowed during a2")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    TOOL = sys.argv[1]
    unittest.main(argv=[sys.argv[0], *sys.argv[2:]], verbosity=1)
