"""Finding and loading libtorvik.so, and the typed slots of its API table."""
import ctypes
import ctypes.util
import os
import pathlib
import sys

SONAME = "libtorvik.so.2"

# InstrumentAPI: four 32-bit header words, then one function pointer per slot.
HEADER_WORDS = 4


class InstrError(ctypes.Structure):
    _fields_ = [("category", ctypes.c_uint32), ("code", ctypes.c_uint32), ("message", ctypes.c_void_p)]


# The numbers a host passes and receives, by their names in instrument_api.h.
# InstrErrorCategory: InstrError.category.
INSTR_CATEGORY_GENERAL = 0
INSTR_CATEGORY_CONTEXT = 1
INSTR_CATEGORY_DEVICE = 2
INSTR_CATEGORY_FIRMWARE_FLASHER = 3  # the datalog reader and its archive
INSTR_CATEGORY_CONTAINER = 4  # writing the device database
INSTR_CATEGORY_CONTAINER_WRITER = 5  # reading it, the configuration
# InstrLogLevel: the level a log callback receives.
INSTR_LOG_DEBUG = 0
INSTR_LOG_INFO = 1
INSTR_LOG_WARN = 2
INSTR_LOG_ERROR = 3
# InstrDatalogOption: gdcDatalogReaderSetSectionSelected's options.
INSTR_DATALOG_SKIP_MEASUREMENT = 0
INSTR_DATALOG_SKIP_EVENT = 1
INSTR_DATALOG_SKIP_DEBUG = 2
INSTR_DATALOG_READ_ALL = 3
# InstrConfigurationReadOption: configurationRead's option.
INSTR_CONFIGURATION_DOCUMENT = 0
INSTR_CONFIGURATION_FINGERPRINT = 1
# InstrContextAttribute: contextSetAttribute's attribute.
INSTR_CONTEXT_DECIMAL_SEPARATOR = 0

P = ctypes.c_void_p
U32 = ctypes.c_uint32
I32 = ctypes.c_int32
BOOL = ctypes.c_bool
ERR = ctypes.POINTER(ctypes.POINTER(InstrError))
LOG_CALLBACK = ctypes.CFUNCTYPE(None, I32, P, P)

# The slots the binding uses: name -> (slot index, result type, parameter types). Wide texts are
# UTF-16 (passed as pointers to bytes), the port name is an 8-bit string.
SLOTS = {
    "contextCreate": (2, P, []),
    "contextAddRef": (3, P, [P]),
    "contextRelease": (4, I32, [P]),
    "contextSetLogCallback": (5, I32, [P, LOG_CALLBACK, P]),
    "errorFree": (9, None, [ERR]),
    "byteArrayCreateFromData": (16, P, [ctypes.c_char_p, U32]),
    "byteArrayAddRef": (17, P, [P]),
    "byteArrayRelease": (18, I32, [P]),
    "byteArrayCreate": (19, P, [U32]),
    "byteArrayData": (23, P, [P]),
    "byteArraySize": (24, U32, [P]),
    "deviceCreate": (26, P, [P]),
    "deviceAddRef": (27, P, [P]),
    "deviceRelease": (28, I32, [P]),
    "deviceOpen": (30, BOOL, [P, ctypes.c_char_p, ERR]),
    "deviceClose": (31, None, [P]),
    "deviceClearGdcDatalog": (59, BOOL, [P, ERR]),
    "gdcDatalogReaderCreate": (60, P, [P]),
    "gdcDatalogReaderAddRef": (61, P, [P]),
    "gdcDatalogReaderRelease": (62, I32, [P]),
    "gdcDatalogReaderSetDevice": (63, None, [P, P]),
    "gdcDatalogReaderSetSectionSelected": (64, None, [P, U32, U32]),
    "gdcDatalogReaderSetOutputPath": (65, None, [P, ctypes.c_char_p]),
    "gdcDatalogReaderStart": (66, BOOL, [P, ERR]),
    "gdcDatalogReaderWait": (68, BOOL, [P, I32]),
    "gdcDatalogReaderAbort": (69, BOOL, [P, ERR]),
    "gdcDatalogReaderGetProgress": (70, None, [P, ctypes.POINTER(ctypes.c_double)]),
    "gdcDatalogReaderSucceeded": (71, BOOL, [P]),
    "gdcDatalogReaderGetErrors": (72, U32, [P, ctypes.POINTER(ctypes.POINTER(InstrError)), U32]),
    "gdcDatalogReaderSetTexts": (101, None, [P, ctypes.c_char_p, ctypes.c_char_p]),
    "configurationCreate": (102, P, [P]),
    "configurationAddRef": (103, P, [P]),
    "configurationRelease": (104, I32, [P]),
    "configurationRead": (105, BOOL, [P, P, U32, P, ERR]),
    "configurationWrite": (106, BOOL, [P, P, ERR]),
    "configurationGetErrors": (107, U32, [P, ctypes.POINTER(ctypes.POINTER(InstrError)), U32]),
}


def _candidates():
    """Where libtorvik.so may be, in order: TORVIK_LIB (the file or its directory), the build tree
    of the source tree this package sits in, the prefix the package is installed in
    (PREFIX/lib/python3/dist-packages/torvik), the Python prefix, then the system's library path."""
    configured = os.environ.get("TORVIK_LIB")
    if configured:
        yield os.path.join(configured, SONAME) if os.path.isdir(configured) else configured
        return
    here = pathlib.Path(__file__).resolve().parents
    yield str(here[2] / "build" / "lib" / SONAME)
    multiarch = getattr(sys.implementation, "_multiarch", "")
    installed_prefix = here[4] if len(here) > 4 else here[-1]
    for prefix in (installed_prefix, sys.prefix):
        for libdir in filter(None, (os.path.join("lib", multiarch) if multiarch else "", "lib")):
            yield os.path.join(prefix, libdir, SONAME)
    yield ctypes.util.find_library("torvik") or SONAME


def load():
    """The loaded library; OSError naming the places tried when there is none."""
    tried = []
    for candidate in _candidates():
        if os.sep in candidate and not os.path.exists(candidate):
            tried.append(candidate)
            continue
        try:
            return ctypes.CDLL(candidate)
        except OSError as e:
            tried.append(f"{candidate} ({e})")
    raise OSError("libtorvik not found; set TORVIK_LIB to the library or its directory. Tried: " + ", ".join(tried))


def _checked(slot, after_call):
    """The slot, followed by `after_call` once it returned (which may raise)."""

    def call(*arguments):
        result = slot(*arguments)
        after_call()
        return result

    return call


class Api:
    """The API table of a loaded library, with each used slot as a typed callable attribute."""

    def __init__(self, library, after_call=lambda: None):
        get_api = library.GetInstrumentAPI
        get_api.restype = ctypes.c_void_p
        get_api.argtypes = []
        table = get_api()
        words = ctypes.cast(table, ctypes.POINTER(ctypes.c_uint32))
        self.layout, self.major, self.minor, self.patch = (words[i] for i in range(HEADER_WORDS))
        slots = ctypes.cast(table + HEADER_WORDS * ctypes.sizeof(ctypes.c_uint32), ctypes.POINTER(ctypes.c_void_p))
        for name, (index, result, parameters) in SLOTS.items():
            setattr(self, name, _checked(ctypes.CFUNCTYPE(result, *parameters)(slots[index]), after_call))
        self.library = library  # keeps it loaded

    @property
    def version(self):
        return f"{self.major}.{self.minor}.{self.patch}"
