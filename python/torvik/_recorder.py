"""The wire recorder: libtorvik_recorder.so, the torvik tool's recording serial link behind two C
entries, installed on a context before its port opens (the binding cannot give the library a C++
link factory itself). It is looked for beside the loaded libtorvik.so, then on the library path."""
import ctypes
import os

NAME = "libtorvik_recorder.so"
_ERROR_SIZE = 512


def _load(library_path):
    beside = os.path.join(os.path.dirname(library_path), NAME) if os.sep in library_path else ""
    for candidate in filter(None, (beside, NAME)):
        try:
            recorder = ctypes.CDLL(candidate)
        except OSError:
            continue
        recorder.torvikRecorderStart.restype = ctypes.c_void_p
        recorder.torvikRecorderStart.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p,
                                                 ctypes.c_char_p, ctypes.c_size_t]
        recorder.torvikRecorderStop.restype = None
        recorder.torvikRecorderStop.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        return recorder
    raise OSError(f"{NAME} not found beside {library_path} or on the library path: it records the wire")


class Recorder:
    """Writes the wire trace `path` of every port opened on `context` until stop()."""

    def __init__(self, library_path, context, path, recorder_name):
        self._library = _load(library_path)
        self._context = context
        error = ctypes.create_string_buffer(_ERROR_SIZE)
        self._handle = self._library.torvikRecorderStart(context, os.fsencode(path), recorder_name.encode(),
                                                         error, _ERROR_SIZE)
        if not self._handle:
            raise OSError(error.value.decode("utf-8", errors="replace"))

    def stop(self):
        """Closes the trace; the device's port must be closed first."""
        if self._handle:
            self._library.torvikRecorderStop(self._context, self._handle)
            self._handle = None
