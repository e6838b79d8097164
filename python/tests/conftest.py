"""The binding's tests run against `torvik sim` (TORVIK_TOOL, default: the build tree's tool)."""
import os
import pathlib
import subprocess
import sys

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE / "python"))
TOOL = os.environ.get("TORVIK_TOOL", str(SOURCE / "build" / "bin" / "torvik"))


class Simulator:
    """`torvik sim` with the given options; `port` is the pty a host opens."""

    def __init__(self, *options):
        self.process = subprocess.Popen([TOOL, "sim", *options], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        self.port = self.process.stdout.readline().strip()
        assert self.port, "torvik sim printed no port"

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=30)
        self.process.stdout.close()


@pytest.fixture
def simulator():
    sim = Simulator()
    yield sim
    sim.stop()


@pytest.fixture
def slow_simulator():
    sim = Simulator("--reply-delay", "150")
    yield sim
    sim.stop()
