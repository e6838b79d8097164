/*
 * The Windows test host: loads torvik.dll with LoadLibrary, as a real host does, and checks it
 * through the C table only. Prints one line per check ("ok - ..." or "FAIL - ...") and a closing
 * "N passed, M failed"; the exit code is 1 when a check failed.
 *
 * Usage: win_host [PORT [ZONE]]
 *   PORT: a COM port with the simulated detector behind it, e.g. COM5; without it the serial
 *         checks are skipped.
 *   ZONE: the IANA name the datalog archive must give the host's time zone, e.g. Europe/Berlin.
 */
#include <windows.h>

#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "torvik/instrument_api.h"

typedef const InstrumentAPI*(__cdecl* GetInstrumentAPIFn)(void);

static int passed;
static int failed;

static void check(int condition, const char* name, const char* detailFormat, ...) {
    if (condition) {
        ++passed;
        printf("ok - %s\n", name);
    } else {
        va_list args;
        ++failed;
        printf("FAIL - %s: ", name);
        va_start(args, detailFormat);
        vprintf(detailFormat, args);
        va_end(args);
        printf("\n");
    }
    fflush(stdout);
}

static int sameText(const InstrWChar* a, const wchar_t* b) {
    return a != NULL && wcscmp(a, b) == 0;
}

static void checkTable(const InstrumentAPI* api, GetInstrumentAPIFn getApi) {
    void* const* slots = (void* const*)((const char*)api + 4 * sizeof(uint32_t)); /* after the header */
    int nullSlots = 0, unexpected = -1, i;
    check(sizeof(InstrumentAPI) == 16 + 109 * 4, "table is 4 words and 109 four-byte slots",
          "sizeof(InstrumentAPI) = %u", (unsigned)sizeof(InstrumentAPI));
    check(api->layoutVersion == 2 && api->versionMajor == 2 && api->versionMinor == 9 && api->versionPatch == 0,
          "header words 2, 2, 9, 0", "%u, %u, %u, %u", api->layoutVersion, api->versionMajor, api->versionMinor,
          api->versionPatch);
    check(getApi() == api, "GetInstrumentAPI returns the same table every time", "second call differs");
    for (i = 0; i < INSTR_API_SLOT_COUNT; ++i) {
        int isNull = slots[i] == NULL;
        nullSlots += isNull;
        if (isNull != (i == 73 || i == 74 || i == 75 || i == 99) && unexpected < 0) unexpected = i;
    }
    check(nullSlots == 4 && unexpected < 0, "slots 73, 74, 75 and 99 are the only null slots",
          "%d null slots, first unexpected slot %d", nullSlots, unexpected);
    check(api->isApiAvailable() != 0, "isApiAvailable", "returned 0");
}

/* The version resource, as Explorer and installers read it: the table's version, the product name. */
static void checkVersionResource(HMODULE module, const InstrumentAPI* api) {
    wchar_t path[MAX_PATH];
    DWORD size = GetModuleFileNameW(module, path, MAX_PATH) ? GetFileVersionInfoSizeW(path, NULL) : 0;
    void* info = size ? malloc(size) : NULL;
    VS_FIXEDFILEINFO* fixed = NULL;
    wchar_t* product = NULL;
    UINT length = 0;
    int read = info != NULL && GetFileVersionInfoW(path, 0, size, info);
    check(read && VerQueryValueW(info, L"\\", (void**)&fixed, &length) && fixed != NULL &&
              fixed->dwFileVersionMS == (api->versionMajor << 16 | api->versionMinor) &&
              fixed->dwFileVersionLS == api->versionPatch << 16,
          "version resource: file version equals the table's", "read %d, %08lx %08lx", read,
          fixed ? (unsigned long)fixed->dwFileVersionMS : 0, fixed ? (unsigned long)fixed->dwFileVersionLS : 0);
    check(read && VerQueryValueW(info, L"\\StringFileInfo\\040904B0\\ProductName", (void**)&product, &length) &&
              sameText(product, L"Torvik Device Library"),
          "version resource: product name", "read %d, %ls", read, product ? product : L"(none)");
    free(info);
}

/* A record round trip: wide texts are UTF-16 wchar_t on Windows, owned by the library. */
static void checkErrors(const InstrumentAPI* api) {
    InstrError* e = NULL;
    api->errorSet(&e, 1, 5, L"M\u00fcller");
    api->errorPrependText(&e, L"Port: ");
    check(e != NULL && e->category == 1 && e->code == 5 && sameText(e->message, L"Port: M\u00fcller"),
          "errorSet and errorPrependText keep a non-ASCII message", "record differs");
    api->errorFree(&e);
    check(e == NULL, "errorFree clears the pointer", "pointer still set");
}

/* The library's serial link: a \\.\ device path opens, a missing port is code 6. */
static void checkDevicePort(const InstrumentAPI* api, InstrDevice* device, const char* port) {
    InstrError* err = NULL;
    char prefixed[64];
    int opened;
    snprintf(prefixed, sizeof prefixed, "\\\\.\\%s", port);
    opened = api->deviceOpen(device, prefixed, &err);
    check(opened && err == NULL && api->deviceIsOpen(device), "deviceOpen with a \\\\.\\ device path", "error %u/%u",
          err ? err->category : 0, err ? err->code : 0);
    api->errorFree(&err);
    api->deviceClose(device);
    opened = api->deviceOpen(device, "COM97", &err);
    check(!opened && err != NULL && err->category == 0 && err->code == 6,
          "deviceOpen on a missing port gives category 0, code 6", "opened %d, record %u/%u", opened,
          err ? err->category : 99, err ? err->code : 99);
    api->errorFree(&err);
}

static int contains(const uint8_t* data, uint32_t size, const char* text) {
    size_t length = strlen(text);
    uint32_t i;
    for (i = 0; i + length <= size; ++i)
        if (memcmp(data + i, text, length) == 0) return 1;
    return 0;
}

/* The file's first bytes (the simulator's archive is far smaller); returns how many were read. */
static uint32_t readFile(const wchar_t* path, uint8_t* data, uint32_t capacity) {
    FILE* file = _wfopen(path, L"rb");
    uint32_t size = file != NULL ? (uint32_t)fread(data, 1, capacity, file) : 0;
    if (file != NULL) fclose(file);
    return size;
}

/* "+HHMM": the host's offset from UTC now, as Windows reports it. */
static void localOffset(char* text, size_t capacity) {
    TIME_ZONE_INFORMATION zone;
    DWORD id = GetTimeZoneInformation(&zone);
    long offset = -(zone.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0));
    long magnitude = labs(offset);
    snprintf(text, capacity, "%c%02ld%02ld", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
}

static void checkDatalogRead(const InstrumentAPI* api, InstrContext* context, InstrDevice* device,
                             const char* expectedZone) {
    const wchar_t* path = L"win_host_datalog.zip";
    char member[96], offset[8];
    InstrGdcDatalogReader* reader = api->gdcDatalogReaderCreate(context);
    InstrError* err = NULL;
    static uint8_t archive[1 << 16];
    uint32_t size;
    int started;
    DeleteFileW(path);
    api->gdcDatalogReaderAddRef(reader);
    api->gdcDatalogReaderSetDevice(reader, device);
    api->gdcDatalogReaderSetOutputPath(reader, path);
    started = api->gdcDatalogReaderStart(reader, &err);
    check(started && err == NULL, "gdcDatalogReaderStart", "error %u/%u", err ? err->category : 0, err ? err->code : 0);
    api->errorFree(&err);
    if (started) {
        int finished = api->gdcDatalogReaderWait(reader, 60000);
        InstrError* first = NULL;
        uint32_t errors = api->gdcDatalogReaderGetErrors(reader, &first, 1);
        check(finished && api->gdcDatalogReaderSucceeded(reader), "datalog read succeeds",
              "finished %d, %u errors, the first: %ls", finished, errors,
              first != NULL && first->message != NULL ? first->message : L"none");
        api->errorDelete(first);
    }
    api->gdcDatalogReaderRelease(reader);

    size = readFile(path, archive, sizeof archive);
    check(size > 4 && memcmp(archive, "PK\x03\x04", 4) == 0 && contains(archive, size, "session.ddl") &&
              contains(archive, size, "\"pageSize\":256"),
          "datalog archive is a ZIP file with the session entry and the metadata of 256-byte pages", "%u bytes", size);
    /* The metadata is stored uncompressed: its members can be found in the archive's bytes. */
    localOffset(offset, sizeof offset);
    snprintf(member, sizeof member, "%s\",\"fileCreationTimezone\"", offset); /* members are sorted */
    check(contains(archive, size, member), "archive creation date carries the host's offset from UTC", "offset %s",
          offset);
    snprintf(member, sizeof member, "\"fileCreationTimezone\":\"%s\"", expectedZone ? expectedZone : "");
    if (expectedZone != NULL)
        check(contains(archive, size, member), "archive metadata names the zone given on the command line",
              "expected %s", member);
    DeleteFileW(path);
}

static void checkDevice(const InstrumentAPI* api, const char* port, const char* expectedZone) {
    InstrContext* context = api->contextCreate();
    InstrDevice* device = api->deviceCreate(context);
    InstrError* err = NULL;
    api->contextAddRef(context);
    api->deviceAddRef(device);
    checkDevicePort(api, device, port);
    if (api->deviceOpen(device, port, &err)) checkDatalogRead(api, context, device, expectedZone);
    api->errorFree(&err);
    api->deviceRelease(device);
    api->contextRelease(context);
}

int main(int argc, char** argv) {
    HMODULE module;
    GetInstrumentAPIFn getApi;
    const InstrumentAPI* api;

    /* wine hands the Linux TZ to Windows programs, whose C runtime would read it in its own format
       ("JST-9") and disagree with the Win32 zone: a Windows host has no TZ. */
    _putenv("TZ=");
    module = LoadLibraryW(L"torvik.dll");

    check(module != NULL, "LoadLibrary(torvik.dll)", "error %lu", (unsigned long)GetLastError());
    if (module == NULL) goto done;
    getApi = (GetInstrumentAPIFn)(void (*)(void))GetProcAddress(module, "GetInstrumentAPI");
    check(getApi != NULL, "GetInstrumentAPI is exported", "not found");
    if (getApi == NULL) goto done;
    api = getApi();

    checkTable(api, getApi);
    checkVersionResource(module, api);
    checkErrors(api);
    if (argc > 1) {
        checkDevice(api, argv[1], argc > 2 ? argv[2] : NULL);
    } else {
        printf("skip - serial checks: no port given\n");
    }
    FreeLibrary(module);

done:
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
