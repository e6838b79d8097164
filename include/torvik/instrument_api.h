/*
 * Torvik device library: the C boundary.
 *
 * A host loads the library, calls GetInstrumentAPI() once and uses the returned table of
 * 109 entry points for everything else. This header compiles as C (C99 or later) and as C++.
 *
 * Conventions
 * - Wide texts are null-terminated UTF-16 strings (InstrWChar: wchar_t on Windows, char16_t
 *   elsewhere; both are 16-bit code units). The serial-port name is an 8-bit string (on Linux a
 *   device path such as /dev/ttyUSB0, on Windows a name such as COM3).
 * - bool is one byte (1 true, 0 false).
 * - Every object handed out (context, device, reader, configuration, byte array) starts with an
 *   external reference count of 0: take the first reference with the family's addRef slot and
 *   give it up with its release slot. An object lives until its last reference and the last
 *   call using it have ended.
 * - Entries that can fail take a trailing InstrError** err. On failure *err receives a record
 *   owned by the caller; free it with errorDelete / errorFree. Some entries refuse to run while
 *   *err still holds an unhandled record. No exception ever crosses this boundary.
 * - Not-supported slots (families this library does not offer: firmware flashing, firmware
 *   containers) do no work whatever their arguments. Each returns a new InstrError record of
 *   category 0 ("General") or 2 ("InstrDevice"), code 17 (NotSupported) and an empty message,
 *   which the caller frees with errorDelete. A host that treats such a slot as returning a
 *   boolean therefore sees "true"; call them only to probe for support.
 * - Slots 73, 74, 75 and 99 are null pointers and must not be called.
 */
#ifndef TORVIK_INSTRUMENT_API_H
#define TORVIK_INSTRUMENT_API_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#include <wchar.h>
typedef wchar_t InstrWChar;
#elif defined(__cplusplus)
typedef char16_t InstrWChar;
#else
#include <uchar.h>
typedef char16_t InstrWChar;
#endif

#if defined(_WIN32)
#define TORVIK_EXPORT __declspec(dllexport)
#else
#define TORVIK_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque handles. */
typedef struct InstrContext InstrContext;
typedef struct InstrDevice InstrDevice;
typedef struct InstrGdcDatalogReader InstrGdcDatalogReader;
typedef struct InstrConfiguration InstrConfiguration;
typedef struct InstrByteArray InstrByteArray;

/* An error record: category (an InstrErrorCategory), numeric code and message (owned, may be
 * null). */
typedef struct InstrError {
    uint32_t category;
    uint32_t code;
    InstrWChar* message;
} InstrError;

/* The numbers a host passes to the table or receives from it, by name. */

/* InstrError.category; the comments give each category's name as the library spells it. */
typedef enum InstrErrorCategory {
    INSTR_CATEGORY_GENERAL = 0,          /* "General" */
    INSTR_CATEGORY_CONTEXT = 1,          /* "InstrContext" */
    INSTR_CATEGORY_DEVICE = 2,           /* "InstrDevice" */
    INSTR_CATEGORY_FIRMWARE_FLASHER = 3, /* "InstrFirmwareFlasher": the datalog reader and its archive */
    INSTR_CATEGORY_CONTAINER = 4,        /* "InstrContainer": writing the device database */
    INSTR_CATEGORY_CONTAINER_WRITER = 5  /* "InstrContainerWriter": reading it, the configuration */
} InstrErrorCategory;

/* The level a LogCallback receives. */
typedef enum InstrLogLevel {
    INSTR_LOG_DEBUG = 0,
    INSTR_LOG_INFO = 1,
    INSTR_LOG_WARN = 2,
    INSTR_LOG_ERROR = 3
} InstrLogLevel;

/* gdcDatalogReaderSetSectionSelected options: skip a section, or read measurement, event and debug
 * data from the beginning instead of only what was not read before. The session section is always
 * read in full. */
typedef enum InstrDatalogOption {
    INSTR_DATALOG_SKIP_MEASUREMENT = 0,
    INSTR_DATALOG_SKIP_EVENT = 1,
    INSTR_DATALOG_SKIP_DEBUG = 2,
    INSTR_DATALOG_READ_ALL = 3
} InstrDatalogOption;

/* configurationRead options: the JSON document, or the decimal text of the values' 64-bit
 * fingerprint. */
typedef enum InstrConfigurationReadOption {
    INSTR_CONFIGURATION_DOCUMENT = 0,
    INSTR_CONFIGURATION_FINGERPRINT = 1
} InstrConfigurationReadOption;

/* contextSetAttribute attributes: the decimal separator, a 2-byte character. */
typedef enum InstrContextAttribute { INSTR_CONTEXT_DECIMAL_SEPARATOR = 0 } InstrContextAttribute;

/* Log levels: an InstrLogLevel. The text is valid only during the call. */
typedef void (*LogCallback)(int32_t level, const InstrWChar* text, void* user);
/* Fills buffer with text entry id and returns 1, or returns 0. */
typedef int32_t (*TextCallback)(uint32_t id, uint32_t extra, InstrWChar* buffer, uint32_t bufferLength);

/*
 * The slot list, in table order. Each row is SLOT(index, name, result, parameters);
 * SHARED(index, name, result, parameters, function) for a slot filled with a function that other
 * slots share (the add-reference slots 3, 17, 27, 61, 103 hold one function, the release slots 4,
 * 18, 28, 62, 104 another, and slots 23 and 25 a third; their members differ only in the pointer
 * types); RESERVED(index, category) for a not-supported slot (member name reserved<index>) or
 * NULLSLOT(index) for a null slot (member name unused<index>).
 */
/* clang-format off */
#define INSTR_API_SLOTS(SLOT, SHARED, RESERVED, NULLSLOT)                                                              \
    SLOT(0, isApiAvailable, int32_t, (void))                                                                           \
    SLOT(1, getTextEntry, int32_t,                                                                                     \
         (uint32_t index, const InstrWChar** category, const InstrWChar** text, uint32_t* number,                      \
          const InstrWChar** detail))                                                                                  \
    SLOT(2, contextCreate, InstrContext*, (void))                                                                      \
    SHARED(3, contextAddRef, InstrContext*, (InstrContext* context), handleAddRef)                                     \
    SHARED(4, contextRelease, int32_t, (InstrContext* context), handleRelease)                                         \
    SLOT(5, contextSetLogCallback, int32_t, (InstrContext* context, LogCallback fn, void* user))                       \
    SLOT(6, contextSetTextCallback, int32_t, (InstrContext* context, TextCallback fn, void* user))                     \
    SLOT(7, errorCreate, InstrError*, (uint32_t category, uint32_t code, const InstrWChar* message))                   \
    SLOT(8, errorDelete, void, (InstrError* e))                                                                        \
    SLOT(9, errorFree, void, (InstrError** pe))                                                                        \
    SLOT(10, errorSet, void, (InstrError** out, uint32_t category, uint32_t code, const InstrWChar* message))          \
    SLOT(11, errorPass, void, (InstrError** out, InstrError* e))                                                       \
    SLOT(12, errorPrependText, void, (InstrError** pe, const InstrWChar* text))                                        \
    SLOT(13, errorPassWithText, void, (InstrError** out, InstrError* e, const InstrWChar* text))                       \
    SLOT(14, errorDeleteAndClear, void, (InstrError** pe))                                                             \
    SLOT(15, contextSetAttribute, int32_t,                                                                             \
         (InstrContext* context, uint32_t attribute, const void* value, uint32_t size, InstrError** err))              \
    SLOT(16, byteArrayCreateFromData, InstrByteArray*, (const void* data, uint32_t size))                              \
    SHARED(17, byteArrayAddRef, InstrByteArray*, (InstrByteArray* array), handleAddRef)                                \
    SHARED(18, byteArrayRelease, int32_t, (InstrByteArray* array), handleRelease)                                      \
    SLOT(19, byteArrayCreate, InstrByteArray*, (uint32_t capacity))                                                    \
    SLOT(20, byteArrayAppend, int32_t, (InstrByteArray* array, const void* data, uint32_t size))                       \
    SLOT(21, byteArrayPrepend, int32_t, (InstrByteArray* array, const void* data, uint32_t size))                      \
    SLOT(22, byteArrayResize, int32_t, (InstrByteArray* array, uint32_t size))                                         \
    SLOT(23, byteArrayData, uint8_t*, (InstrByteArray* array))                                                         \
    SLOT(24, byteArraySize, uint32_t, (InstrByteArray* array))                                                         \
    SHARED(25, byteArrayConstData, const uint8_t*, (InstrByteArray* array), byteArrayData)                             \
    SLOT(26, deviceCreate, InstrDevice*, (InstrContext* context))                                                      \
    SHARED(27, deviceAddRef, InstrDevice*, (InstrDevice* device), handleAddRef)                                        \
    SHARED(28, deviceRelease, int32_t, (InstrDevice* device), handleRelease)                                           \
    SLOT(29, deviceIsOpen, bool, (InstrDevice* device))                                                                \
    SLOT(30, deviceOpen, bool, (InstrDevice* device, const char* port, InstrError** err))                              \
    SLOT(31, deviceClose, void, (InstrDevice* device))                                                                 \
    RESERVED(32, 0) RESERVED(33, 0) RESERVED(34, 0) RESERVED(35, 0) RESERVED(36, 0)                                    \
    RESERVED(37, 0) RESERVED(38, 0) RESERVED(39, 0) RESERVED(40, 0) RESERVED(41, 0)                                    \
    RESERVED(42, 2) RESERVED(43, 2)                                                                                    \
    SLOT(44, deviceWriteContainer, InstrError*, (void* unused, InstrDevice* device))                                   \
    RESERVED(45, 2) RESERVED(46, 2) RESERVED(47, 2) RESERVED(48, 2) RESERVED(49, 2)                                    \
    RESERVED(50, 2) RESERVED(51, 2) RESERVED(52, 2) RESERVED(53, 2) RESERVED(54, 2)                                    \
    RESERVED(55, 2) RESERVED(56, 2) RESERVED(57, 2) RESERVED(58, 2)                                                    \
    SLOT(59, deviceClearGdcDatalog, bool, (InstrDevice* device, InstrError** err))                                     \
    SLOT(60, gdcDatalogReaderCreate, InstrGdcDatalogReader*, (InstrContext* context))                                  \
    SHARED(61, gdcDatalogReaderAddRef, InstrGdcDatalogReader*, (InstrGdcDatalogReader* reader), handleAddRef)          \
    SHARED(62, gdcDatalogReaderRelease, int32_t, (InstrGdcDatalogReader* reader), handleRelease)                       \
    SLOT(63, gdcDatalogReaderSetDevice, void, (InstrGdcDatalogReader* reader, InstrDevice* device))                    \
    SLOT(64, gdcDatalogReaderSetSectionSelected, void,                                                                 \
         (InstrGdcDatalogReader* reader, uint32_t option, uint32_t selected))                                          \
    SLOT(65, gdcDatalogReaderSetOutputPath, void, (InstrGdcDatalogReader* reader, const InstrWChar* path))             \
    SLOT(66, gdcDatalogReaderStart, bool, (InstrGdcDatalogReader* reader, InstrError** err))                           \
    SLOT(67, gdcDatalogReaderIsFinished, bool, (InstrGdcDatalogReader* reader))                                        \
    SLOT(68, gdcDatalogReaderWait, bool, (InstrGdcDatalogReader* reader, int32_t timeoutMs))                           \
    SLOT(69, gdcDatalogReaderAbort, bool, (InstrGdcDatalogReader* reader, InstrError** err))                           \
    SLOT(70, gdcDatalogReaderGetProgress, void, (InstrGdcDatalogReader* reader, double* progress))                     \
    SLOT(71, gdcDatalogReaderSucceeded, bool, (InstrGdcDatalogReader* reader))                                         \
    SLOT(72, gdcDatalogReaderGetErrors, uint32_t,                                                                      \
         (InstrGdcDatalogReader* reader, InstrError** list, uint32_t capacity))                                        \
    NULLSLOT(73) NULLSLOT(74) NULLSLOT(75)                                                                             \
    RESERVED(76, 0) RESERVED(77, 0) RESERVED(78, 0) RESERVED(79, 0) RESERVED(80, 0)                                    \
    RESERVED(81, 0) RESERVED(82, 0) RESERVED(83, 0) RESERVED(84, 0) RESERVED(85, 0)                                    \
    RESERVED(86, 0) RESERVED(87, 0) RESERVED(88, 0) RESERVED(89, 0) RESERVED(90, 0)                                    \
    RESERVED(91, 0) RESERVED(92, 0) RESERVED(93, 0) RESERVED(94, 0) RESERVED(95, 0)                                    \
    RESERVED(96, 0) RESERVED(97, 0) RESERVED(98, 0)                                                                    \
    NULLSLOT(99)                                                                                                       \
    RESERVED(100, 0)                                                                                                   \
    SLOT(101, gdcDatalogReaderSetTexts, void,                                                                          \
         (InstrGdcDatalogReader* reader, const InstrWChar* first, const InstrWChar* second))                           \
    SLOT(102, configurationCreate, InstrConfiguration*, (InstrDevice* device))                                         \
    SHARED(103, configurationAddRef, InstrConfiguration*, (InstrConfiguration* configuration), handleAddRef)           \
    SHARED(104, configurationRelease, int32_t, (InstrConfiguration* configuration), handleRelease)                     \
    SLOT(105, configurationRead, bool,                                                                                 \
         (InstrConfiguration* configuration, InstrByteArray* request, uint32_t option, InstrByteArray* result,         \
          InstrError** err))                                                                                           \
    SLOT(106, configurationWrite, bool,                                                                                \
         (InstrConfiguration* configuration, InstrByteArray* document, InstrError** err))                              \
    SLOT(107, configurationGetErrors, uint32_t,                                                                        \
         (InstrConfiguration* configuration, InstrError** list, uint32_t capacity))                                    \
    RESERVED(108, 2)
/* clang-format on */

/* A not-supported slot: takes no notice of its arguments, returns a new code-17 record. */
typedef InstrError* (*InstrNotSupportedFn)(void);

/* One function-pointer type per slot: InstrFn_<name>. */
#define INSTR_API_TYPEDEF_(index, name, result, params) typedef result(*InstrFn_##name) params;
#define INSTR_API_SHARED_TYPEDEF_(index, name, result, params, function) INSTR_API_TYPEDEF_(index, name, result, params)
#define INSTR_API_IGNORE_(...)
INSTR_API_SLOTS(INSTR_API_TYPEDEF_, INSTR_API_SHARED_TYPEDEF_, INSTR_API_IGNORE_, INSTR_API_IGNORE_)
#undef INSTR_API_TYPEDEF_
#undef INSTR_API_SHARED_TYPEDEF_

#define INSTR_API_MEMBER_(index, name, result, params) InstrFn_##name name;
#define INSTR_API_SHARED_MEMBER_(index, name, result, params, function) InstrFn_##name name;
#define INSTR_API_RESERVED_(index, category) InstrNotSupportedFn reserved##index;
#define INSTR_API_NULL_(index) void (*unused##index)(void);

/* Four header words (layout version 2, library version 2.9.0), then slots 0 to 108. */
typedef struct InstrumentAPI {
    uint32_t layoutVersion;
    uint32_t versionMajor;
    uint32_t versionMinor;
    uint32_t versionPatch;
    INSTR_API_SLOTS(INSTR_API_MEMBER_, INSTR_API_SHARED_MEMBER_, INSTR_API_RESERVED_, INSTR_API_NULL_)
} InstrumentAPI;

#undef INSTR_API_MEMBER_
#undef INSTR_API_SHARED_MEMBER_
#undef INSTR_API_RESERVED_
#undef INSTR_API_NULL_
#undef INSTR_API_IGNORE_

#define INSTR_API_SLOT_COUNT 109

/* Returns the one process-wide table; every call returns the same pointer. */
TORVIK_EXPORT const InstrumentAPI* GetInstrumentAPI(void);

#ifdef __cplusplus
}
#endif

#endif /* TORVIK_INSTRUMENT_API_H */
