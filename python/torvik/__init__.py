"""Python binding of the Torvik device library (libtorvik.so), through its C API table.

    import torvik
    with torvik.Device("/dev/ttyUSB0") as d:
        print(d.info())
        document = d.read_config()
        d.read_datalog("datalog.zip", progress=lambda fraction: print(f"{fraction:.0%}"))

Names follow the torvik tool's options (port, request, output, skip, all). Library failures raise
torvik.Error or one of its kinds: PortNotAvailable, NoReply, DeviceRefused, BadRequest, Aborted.
The library is found through TORVIK_LIB (the file or its
directory), the build tree of the source tree this package sits in, or the installed prefix.
"""
import ctypes
import json
import logging
import math
import os
import tempfile
import zipfile

from . import _library, _recorder
from ._library import (INSTR_CATEGORY_CONTAINER, INSTR_CATEGORY_CONTAINER_WRITER, INSTR_CATEGORY_CONTEXT,
                       INSTR_CATEGORY_DEVICE, INSTR_CATEGORY_FIRMWARE_FLASHER, INSTR_CATEGORY_GENERAL,
                       INSTR_CONFIGURATION_DOCUMENT, INSTR_CONFIGURATION_FINGERPRINT, INSTR_DATALOG_READ_ALL,
                       INSTR_DATALOG_SKIP_DEBUG, INSTR_DATALOG_SKIP_EVENT, INSTR_DATALOG_SKIP_MEASUREMENT,
                       INSTR_LOG_DEBUG, INSTR_LOG_ERROR, INSTR_LOG_INFO, INSTR_LOG_WARN)

__all__ = ["Aborted", "BadRequest", "Device", "DeviceRefused", "Error", "NoReply", "PortNotAvailable",
           "library_version"]

# An exception raised in the log callback (KeyboardInterrupt when Ctrl-C comes while the library
# logs) would be printed and dropped by ctypes: it is kept here, the library's call runs to its end
# (a configuration write switches the detector on again), and it is raised when the call returns.
_deferred = []


def _raise_deferred():
    if _deferred:
        exception = _deferred[0]
        _deferred.clear()
        raise exception


api = _library.Api(_library.load(), after_call=_raise_deferred)
library_version = api.version  # from the API table's header words

# An error record's category as the word a user knows for what failed (as the torvik tool prints it).
CATEGORIES = {INSTR_CATEGORY_GENERAL: "general", INSTR_CATEGORY_CONTEXT: "context", INSTR_CATEGORY_DEVICE: "device",
              INSTR_CATEGORY_FIRMWARE_FLASHER: "datalog", INSTR_CATEGORY_CONTAINER: "configuration write",
              INSTR_CATEGORY_CONTAINER_WRITER: "configuration"}
# The datalog reader's selection options by the sections' names.
_SKIP = {"measurement": INSTR_DATALOG_SKIP_MEASUREMENT, "event": INSTR_DATALOG_SKIP_EVENT,
         "debug": INSTR_DATALOG_SKIP_DEBUG}
_FULL_REQUEST = {"version": "1.0.6", "device": None, "channels": None, "sensors": None}
_POLL_MS = 100
_log = logging.getLogger("torvik")
_LOG_LEVELS = {INSTR_LOG_DEBUG: logging.DEBUG, INSTR_LOG_INFO: logging.INFO, INSTR_LOG_WARN: logging.WARNING,
               INSTR_LOG_ERROR: logging.ERROR}
# A relative difference below which two numbers are the same value (a level goes through a 32-bit
# float in ppm and back into the channel's unit).
_SAME_NUMBER = 1e-5


def _is_unwritten_key_line(text):
    """The library's WARN line for each value a write leaves as it is ("The feature N is not yet
    supported"): a written-back document gives one for every read-only value."""
    return text.startswith("The feature ") and text.endswith(" is not yet supported")


class Error(Exception):
    """A failure the library reported: category (0 to 5), code and message of its first record;
    `more` holds the further (category, code, message) records of the same failure, `records` all
    of them, and `causes` the library's ERROR log lines of the call that say more than the records
    (why a port does not open, the values a request may hold). The subclasses say what kind of
    failure it is."""

    def __init__(self, category, code, message, more=(), causes=()):
        self.category, self.code, self.message = category, code, message
        self.more, self.causes = list(more), list(causes)
        name = CATEGORIES.get(category, "unknown")
        super().__init__("; ".join([f"{name} ({category}) code {code}: {message}", *self.causes]))

    @property
    def records(self):
        return [(self.category, self.code, self.message), *self.more]


class PortNotAvailable(Error):
    """The serial port does not open: no such port, permission denied, in use by another program."""


class NoReply(Error):
    """The detector did not answer: switched off, unplugged, or another port."""


class DeviceRefused(Error):
    """The detector answered with a refusal (a standard error response, a refused database write)."""


class BadRequest(Error):
    """The request or document is wrong (an unknown path, a value of the wrong type or not one of
    the allowed texts, another version), or the archive path is taken: nothing reached the detector."""


class Aborted(Error):
    """The operation was aborted (a datalog read stopped by KeyboardInterrupt)."""


# (category, code) of a first record -> the kind of failure.
_KINDS = {(INSTR_CATEGORY_FIRMWARE_FLASHER, 8): Aborted, (INSTR_CATEGORY_GENERAL, 1): BadRequest,
          (INSTR_CATEGORY_FIRMWARE_FLASHER, 1): BadRequest, (INSTR_CATEGORY_CONTAINER_WRITER, 1): BadRequest,
          (INSTR_CATEGORY_CONTAINER_WRITER, 18): BadRequest, (INSTR_CATEGORY_CONTAINER, 4): DeviceRefused,
          (INSTR_CATEGORY_CONTAINER_WRITER, 6): NoReply}
_REFUSAL_TEXT = "Received a standard error response from device."
_TIMEOUT_TEXT = "Timeout when receiving message for "
_UNEXPLAINED_TEXT = "Unknown exception"  # the text of a failed exchange's record


def _utf16(text):
    return str(text).encode("utf-16-le") + b"\0\0"


def _text_at(address):
    """The null-terminated UTF-16 text at `address` ("" for null)."""
    if not address:
        return ""
    units = ctypes.cast(address, ctypes.POINTER(ctypes.c_uint16))
    length = 0
    while units[length]:
        length += 1
    return ctypes.string_at(address, 2 * length).decode("utf-16-le", errors="replace")


def _take(record):
    """(category, code, message) of an error record, which is freed."""
    entry = (record.contents.category, record.contents.code, _text_at(record.contents.message))
    api.errorFree(ctypes.byref(record))
    return entry


def _error_list(get_errors, handle):
    """The records of an error list slot (reader or configuration), freed."""
    count = get_errors(handle, None, 0)
    records = (ctypes.POINTER(_library.InstrError) * count)()
    written = min(get_errors(handle, records, count), count) if count else 0
    return [_take(records[i]) for i in range(written)]


def _kind(records, logged):
    """The Error subclass for a failure's records, from its first record and what the call logged."""
    category, code, message = records[0]
    if any(_REFUSAL_TEXT in text for _, _, text in records):
        return DeviceRefused
    if logged is not None and logged.timeouts and message.endswith(_UNEXPLAINED_TEXT):
        return NoReply  # the exchange that failed got no reply
    return _KINDS.get((category, code), Error)


def _raise(records, fallback, logged=None, kind=None):
    """Raises the Error for the records (of `kind`, or the kind they show); `logged` adds the ERROR
    lines that the records do not already say."""
    messages = [message for _, _, message in records if message]
    causes = [text for text in (logged.errors if logged else [])
              if not any(message in text or text in message for message in messages)]
    if not records:
        raise (kind or Error)(0, 0, fallback, causes=causes)
    raise (kind or _kind(records, logged))(*records[0], more=records[1:], causes=causes)


# The lines each device's context logs during a call, by the key the device gives its log
# callback as user data (the datalog reader logs on its own thread).
_calls = {}
_keys = iter(range(1, 1 << 62))


class _Logged:
    """What one call of a device logs: its ERROR lines and reply time-outs are kept, and the line
    per unwritten key of a write is held back for one summary."""

    def __init__(self, key):
        self.key, self.errors, self.timeouts, self.unwritten = key, [], 0, 0

    def __enter__(self):
        _calls[self.key] = self
        return self

    def __exit__(self, *exc):
        _calls.pop(self.key, None)

    def keeps(self, level, text):
        """True when the line is the summary's to tell, not the logger's."""
        if level == INSTR_LOG_ERROR:
            self.errors.append(text)
        if text.startswith(_TIMEOUT_TEXT):
            self.timeouts += 1
        if _is_unwritten_key_line(text):
            self.unwritten += 1
            return True
        return False


class _Handle:
    """An owning reference to one library object, given up through its family's release slot."""

    def __init__(self, created, family):
        if not created:
            raise Error(0, 0, f"the library could not create a {family}")
        self._release = getattr(api, family + "Release")
        self.value = getattr(api, family + "AddRef")(created)

    def release(self):
        if self.value:
            self._release(self.value)
            self.value = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.release()


class _Bytes(_Handle):
    def __init__(self, data=b""):
        super().__init__(api.byteArrayCreateFromData(data, len(data)) if data else api.byteArrayCreate(0),
                         "byteArray")

    def bytes(self):
        size = api.byteArraySize(self.value)
        return ctypes.string_at(api.byteArrayData(self.value), size) if size else b""


def _on_log(level, text, key):
    try:
        line = _text_at(text)
        logged = _calls.get(key)
        if logged is not None and logged.keeps(level, line):
            return
        _log.log(_LOG_LEVELS.get(level, logging.ERROR), "%s", line)
    except BaseException as exception:  # noqa: B036 (kept for after the library's call)
        _deferred.append(exception)


_log_callback = _library.LOG_CALLBACK(_on_log)  # lives as long as the module


class Device:
    """A detector on a serial port (opened at once); the library's log goes to the logger "torvik".
    With `record`, everything that goes over the serial line is written to that wire trace (see
    `torvik trace show`) until the device is closed."""

    def __init__(self, port, record=None):
        self.port = port
        self._recorder = None
        self._key = next(_keys)  # the log callback's user data: which device's call logs
        self._context = _Handle(api.contextCreate(), "context")
        api.contextSetLogCallback(self._context.value, _log_callback, self._key)
        if record is not None:
            try:
                self._recorder = _recorder.Recorder(api.library._name, self._context.value, record,
                                                    f"torvik-python {library_version}")
            except OSError:
                self._context.release()
                raise
        self._device = _Handle(api.deviceCreate(self._context.value), "device")
        err = ctypes.POINTER(_library.InstrError)()
        with self._logged() as logged:  # the library logs why the port does not open
            opened = api.deviceOpen(self._device.value, os.fsencode(port), ctypes.byref(err))
        if not opened:
            records = [_take(err)] if err else []
            self.close()
            _raise(records, f"cannot open serial port {port}", logged, PortNotAvailable)

    def _logged(self):
        return _Logged(self._key)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        """Closes the port and gives up the library's objects; the device is unusable afterwards."""
        if getattr(self, "_device", None) and self._device.value:
            api.deviceClose(self._device.value)
            self._device.release()
        if self._recorder is not None:
            self._recorder.stop()  # after the port has closed: its link writes to the trace
        self._context.release()

    # Configuration

    def read_config(self, request=None):
        """The configuration document as a dict: all of it, or the values the request (a dict or
        JSON text) names."""
        return json.loads(self._configuration_read(request, fingerprint=False))

    def fingerprint(self, request=None):
        """The 64-bit fingerprint of the values read (all of them, or those the request names)."""
        return int(self._configuration_read(request, fingerprint=True))

    def write_config(self, document):
        """Writes the values of a configuration document (a dict or JSON text) and returns what the
        detector now holds: the same values read back. The values it did not take (read-only, or
        not held by this detector) are named in one warning on the logger "torvik"."""
        text = _json_bytes(document)
        with self._configuration() as configuration, _Bytes(text) as data, self._logged() as logged:
            err = ctypes.POINTER(_library.InstrError)()
            if not api.configurationWrite(configuration.value, data.value, ctypes.byref(err)):
                self._configuration_failed(configuration, err, "writing the configuration failed", logged)
        held = self.read_config(text.decode("utf-8"))
        _summarise_unwritten(json.loads(text), held, logged.unwritten)
        return held

    def _configuration_read(self, request, fingerprint):
        request = _json_bytes(_FULL_REQUEST if request is None else request)
        with self._configuration() as configuration, _Bytes(request) as data, _Bytes() as result, \
                self._logged() as logged:
            err = ctypes.POINTER(_library.InstrError)()
            option = INSTR_CONFIGURATION_FINGERPRINT if fingerprint else INSTR_CONFIGURATION_DOCUMENT
            if not api.configurationRead(configuration.value, data.value, option, result.value, ctypes.byref(err)):
                self._configuration_failed(configuration, err, "reading the configuration failed", logged)
            return result.bytes().decode("utf-8")

    def _configuration(self):
        return _Handle(api.configurationCreate(self._device.value), "configuration")

    @staticmethod
    def _configuration_failed(configuration, err, fallback, logged):
        records = ([_take(err)] if err else []) + _error_list(api.configurationGetErrors, configuration.value)
        _raise(records, fallback, logged)

    # Datalog

    def read_datalog(self, output, skip=(), all=False, progress=None):  # noqa: A002 (the tool's --all)
        """Reads the GDC datalog into the ZIP archive `output` (which must not exist): the session
        section and every other section but those in `skip` ("measurement", "event", "debug"), only
        the data not read before unless `all`. `progress(fraction)` is called while it runs.
        KeyboardInterrupt (Ctrl-C) aborts the transfer, the library removes the unfinished archive,
        and the interrupt is raised again."""
        unknown = set(skip) - set(_SKIP)
        if unknown:
            raise ValueError(f"unknown datalog sections {sorted(unknown)}; known: {sorted(_SKIP)}")
        options = [_SKIP[name] for name in _SKIP if name in skip]
        with self._logged() as logged:
            self._run_reader(os.fspath(output), options + ([INSTR_DATALOG_READ_ALL] if all else []), progress, logged)

    def clear_datalog(self):
        """Clears the GDC datalog on the detector."""
        err = ctypes.POINTER(_library.InstrError)()
        with self._logged() as logged:
            cleared = api.deviceClearGdcDatalog(self._device.value, ctypes.byref(err))
        if not cleared:
            _raise([_take(err)] if err else [], "clearing the datalog failed", logged)

    def info(self):
        """The detector's identity, firmware, clock and datalog layout, from a read of the datalog's
        session section alone (which changes nothing on the detector) into a temporary archive."""
        with tempfile.TemporaryDirectory(prefix="torvik-") as directory:
            archive = os.path.join(directory, "session.zip")
            self.read_datalog(archive, skip=tuple(_SKIP))
            with zipfile.ZipFile(archive) as z:
                metadata = json.loads(z.read("gdcdatalogger.json"))
        device, layout = metadata.get("device", {}), metadata.get("content", {}).get("loggerInfo", {})
        return {
            "port": self.port,
            "device_id": device.get("deviceId"),
            "part_number": device.get("devicePartnumber"),
            "serial_number": device.get("deviceSerialnumber"),
            "firmware_version": device.get("deviceFirmwareVersion"),
            "device_time": device.get("deviceDateISO8601"),
            "datalog": {"page_size": layout.get("pageSize"), "version": layout.get("version"),
                        "measurement_variant": layout.get("measurementVariant")},
        }

    def _run_reader(self, path, options, progress, logged):
        with _Handle(api.gdcDatalogReaderCreate(self._context.value), "gdcDatalogReader") as reader:
            api.gdcDatalogReaderSetDevice(reader.value, self._device.value)
            for option in options:
                api.gdcDatalogReaderSetSectionSelected(reader.value, option, 1)
            api.gdcDatalogReaderSetOutputPath(reader.value, _utf16(path))
            api.gdcDatalogReaderSetTexts(reader.value, _utf16("torvik-python"), _utf16(library_version))
            err = ctypes.POINTER(_library.InstrError)()
            if not api.gdcDatalogReaderStart(reader.value, ctypes.byref(err)):
                _raise([_take(err)] if err else [], "the datalog reader did not start", logged)
            _wait(reader.value, progress)
            if not api.gdcDatalogReaderSucceeded(reader.value):
                _raise(_error_list(api.gdcDatalogReaderGetErrors, reader.value), "reading the datalog failed", logged)


def _wait(reader, progress):
    """Waits for the reader, reporting progress; an interrupt aborts it, waits, and is re-raised."""
    try:
        fraction = ctypes.c_double(0.0)
        while not api.gdcDatalogReaderWait(reader, _POLL_MS):
            if progress is not None:
                api.gdcDatalogReaderGetProgress(reader, ctypes.byref(fraction))
                progress(fraction.value)
    except KeyboardInterrupt:
        err = ctypes.POINTER(_library.InstrError)()
        api.gdcDatalogReaderAbort(reader, ctypes.byref(err))
        if err:
            _take(err)
        api.gdcDatalogReaderWait(reader, -1)
        raise
    if progress is not None:
        progress(1.0)


def _json_bytes(document):
    return (document if isinstance(document, str) else json.dumps(document)).encode("utf-8")


def _values(node, path=""):
    """(path, value) of every value below "device", "channels" and "sensors"."""
    if not isinstance(node, dict):
        yield path, node
        return
    for name, member in node.items():
        if path or name not in ("version", "$schema"):
            yield from _values(member, f"{path}.{name}" if path else name)


def _held(document, path):
    node = document
    for name in path.split("."):
        if not isinstance(node, dict) or name not in node:
            return _absent
        node = node[name]
    return node


_absent = object()


def _same(a, b):
    numbers = (int, float)
    if isinstance(a, numbers) and isinstance(b, numbers) and not isinstance(a, bool) and not isinstance(b, bool):
        return math.isclose(a, b, rel_tol=_SAME_NUMBER, abs_tol=_SAME_NUMBER)
    return a == b


def _summarise_unwritten(written, held, unwritten_lines):
    """One warning for the values a write left as they are, in place of the library's line per key."""
    paths = [path for path, value in _values(written)
             if value is not None and not _same(_held(held, path), value)]
    if paths:
        _log.warning("the detector did not take %d value(s) of the document (read-only, or not held by this "
                     "detector): %s", len(paths), ", ".join(paths))
    elif unwritten_lines:
        _log.info("the document's read-only values were left as they are (each equals what the detector holds)")
