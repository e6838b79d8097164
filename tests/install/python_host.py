#!/usr/bin/env python3
"""A Python host of an installed torvik: the binding as the package installs it, run from outside
the source tree, against `torvik sim` of the same installation.

usage: python_host.py PORT SOURCE_DIR   (SOURCE_DIR: the tree the binding must not come from)
"""
import os
import sys

import torvik

port, source = sys.argv[1], os.path.realpath(sys.argv[2])
where = os.path.realpath(torvik.__file__)
assert not where.startswith(source + os.sep), f"torvik imported from the source tree: {where}"
with torvik.Device(port) as d:
    assert d.info()["device_id"] == "83211"
    held = d.write_config({"version": "1.0.6", "device": {"switch_off": "allowed"}})
    assert held["device"]["switch_off"] == "allowed", held
try:
    torvik.Device(os.path.join(source, "no-such-port"))
    raise AssertionError("a port that does not exist opened")
except torvik.PortNotAvailable as error:
    assert error.causes and "does not exist" in error.causes[0], error
print(f"python host: torvik {torvik.library_version} from {os.path.dirname(where)}: passed")
