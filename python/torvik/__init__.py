"""Python binding of the Torvik device library (libtorvik.so), through its C API table.

    import torvik
    with torvik.Device("/dev/ttyUSB0") as d:
        print(d.info())
        document = d.read_config()
        d.read_datalog("datalog.zip", progress=lambda fraction: print(f"{fraction:.0%}"))

Library failures raise torvik.Error. The library is found through TORVIK_LIB (the file or its
directory), the build tree of the source tree this package sits in, or the installed prefix.
"""
import ctypes
import json
import logging
import os
import tempfile
import zipfile

from . import _library, _recorder

__all__ = ["Device", "Error", "library_version"]

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

CATEGORIES = ("General", "InstrContext", "InstrDevice", "InstrFirmwareFlasher", "InstrContainer",
              "InstrContainerWriter")
# The datalog reader's selection options.
_SKIP = {"measurement": 0, "event": 1, "debug": 2}
_READ_ALL = 3
_FULL_REQUEST = {"version": "1.0.6", "device": None, "channels": None, "sensors": None}
_POLL_MS = 100
_log = logging.getLogger("torvik")
_LOG_LEVELS = (logging.DEBUG, logging.INFO, logging.WARNING, logging.ERROR)


class Error(Exception):
    """A failure the library reported: category (0 to 5), code and message; `more` holds further
    (category, code, message) records of the same failure."""

    def __init__(self, category, code, message, more=()):
        self.category, self.code, self.message, self.more = category, code, message, list(more)
        name = CATEGORIES[category] if category < len(CATEGORIES) else "Unknown"
        super().__init__(f"{name} ({category}) code {code}: {message}")


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


def _raise(records, fallback):
    if not records:
        raise Error(0, 0, fallback)
    raise Error(*records[0], more=records[1:])


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


def _on_log(level, text, _user):
    try:
        _log.log(_LOG_LEVELS[level] if 0 <= level < len(_LOG_LEVELS) else logging.ERROR, "%s", _text_at(text))
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
        self._context = _Handle(api.contextCreate(), "context")
        api.contextSetLogCallback(self._context.value, _log_callback, None)
        if record is not None:
            try:
                self._recorder = _recorder.Recorder(api.library._name, self._context.value, record,
                                                    f"torvik-python {library_version}")
            except OSError:
                self._context.release()
                raise
        self._device = _Handle(api.deviceCreate(self._context.value), "device")
        err = ctypes.POINTER(_library.InstrError)()
        if not api.deviceOpen(self._device.value, os.fsencode(port), ctypes.byref(err)):
            records = [_take(err)] if err else []
            self.close()
            _raise(records, f"cannot open serial port {port}")

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
        """Writes the values of a configuration document (a dict or JSON text)."""
        with self._configuration() as configuration, _Bytes(_json_bytes(document)) as data:
            err = ctypes.POINTER(_library.InstrError)()
            if not api.configurationWrite(configuration.value, data.value, ctypes.byref(err)):
                self._configuration_failed(configuration, err, "writing the configuration failed")

    def _configuration_read(self, request, fingerprint):
        request = _json_bytes(_FULL_REQUEST if request is None else request)
        with self._configuration() as configuration, _Bytes(request) as data, _Bytes() as result:
            err = ctypes.POINTER(_library.InstrError)()
            if not api.configurationRead(configuration.value, data.value, int(fingerprint), result.value,
                                         ctypes.byref(err)):
                self._configuration_failed(configuration, err, "reading the configuration failed")
            return result.bytes().decode("utf-8")

    def _configuration(self):
        return _Handle(api.configurationCreate(self._device.value), "configuration")

    @staticmethod
    def _configuration_failed(configuration, err, fallback):
        records = ([_take(err)] if err else []) + _error_list(api.configurationGetErrors, configuration.value)
        _raise(records, fallback)

    # Datalog

    def read_datalog(self, path, sections=("measurement", "event", "debug"), progress=None, from_start=False):
        """Reads the GDC datalog into the ZIP archive `path` (which must not exist): the session
        section and the named `sections`, only the data not read before unless `from_start`.
        `progress(fraction)` is called while it runs. KeyboardInterrupt (Ctrl-C) aborts the
        transfer, the library removes the unfinished archive, and the interrupt is raised again."""
        unknown = set(sections) - set(_SKIP)
        if unknown:
            raise ValueError(f"unknown datalog sections {sorted(unknown)}; known: {sorted(_SKIP)}")
        options = [option for name, option in _SKIP.items() if name not in sections]
        self._run_reader(os.fspath(path), options + ([_READ_ALL] if from_start else []), progress)

    def clear_datalog(self):
        """Clears the GDC datalog on the detector."""
        err = ctypes.POINTER(_library.InstrError)()
        if not api.deviceClearGdcDatalog(self._device.value, ctypes.byref(err)):
            _raise([_take(err)] if err else [], "clearing the datalog failed")

    def info(self):
        """The detector's identity, firmware, clock and datalog layout, from a read of the datalog's
        session section alone (which changes nothing on the detector) into a temporary archive."""
        with tempfile.TemporaryDirectory(prefix="torvik-") as directory:
            archive = os.path.join(directory, "session.zip")
            self.read_datalog(archive, sections=())
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

    def _run_reader(self, path, options, progress):
        with _Handle(api.gdcDatalogReaderCreate(self._context.value), "gdcDatalogReader") as reader:
            api.gdcDatalogReaderSetDevice(reader.value, self._device.value)
            for option in options:
                api.gdcDatalogReaderSetSectionSelected(reader.value, option, 1)
            api.gdcDatalogReaderSetOutputPath(reader.value, _utf16(path))
            api.gdcDatalogReaderSetTexts(reader.value, _utf16("torvik-python"), _utf16(library_version))
            err = ctypes.POINTER(_library.InstrError)()
            if not api.gdcDatalogReaderStart(reader.value, ctypes.byref(err)):
                _raise([_take(err)] if err else [], "the datalog reader did not start")
            _wait(reader.value, progress)
            if not api.gdcDatalogReaderSucceeded(reader.value):
                _raise(_error_list(api.gdcDatalogReaderGetErrors, reader.value), "reading the datalog failed")


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
