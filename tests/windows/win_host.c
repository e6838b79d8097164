/*
 * The Windows test host: loads torvik.dll with LoadLibrary, as a real host does, and checks it
 * through the C table only. Prints one line per check ("ok - ..." or "FAIL - ...") and a closing
 * "N passed, M failed"; the exit code is 1 when a check failed.
 *
 * Usage: win_host [PORT]   (PORT: a COM port with the simulated detector behind it, e.g. COM5;
 *                           without it the serial checks are skipped)
 */
#include <windows.h>

#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
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

/* The slots as an array of pointers: they follow the four header words. */
static void* slotAt(const InstrumentAPI* api, int index) {
    void* const* slots = (void* const*)((const char*)api + 4 * sizeof(uint32_t));
    return slots[index];
}

static int isNullSlot(int index) {
    return index == 73 || index == 74 || index == 75 || index == 99;
}

static int sameText(const InstrWChar* a, const wchar_t* b) {
    return a != NULL && wcscmp(a, b) == 0;
}

static void checkTable(const InstrumentAPI* api, GetInstrumentAPIFn getApi) {
    int nullSlots = 0, unexpected = -1, i;
    check(sizeof(void*) == 4 && sizeof(InstrumentAPI) == 16 + 109 * 4, "table is 4 words and 109 four-byte slots",
          "sizeof(InstrumentAPI) = %u", (unsigned)sizeof(InstrumentAPI));
    check(api->layoutVersion == 2 && api->versionMajor == 2 && api->versionMinor == 9 && api->versionPatch == 0,
          "header words 2, 2, 9, 0", "%u, %u, %u, %u", api->layoutVersion, api->versionMajor, api->versionMinor,
          api->versionPatch);
    check(getApi() == api, "GetInstrumentAPI returns the same table every time", "second call differs");
    for (i = 0; i < INSTR_API_SLOT_COUNT; ++i) {
        int isNull = slotAt(api, i) == NULL;
        if (isNull) ++nullSlots;
        if (isNull != isNullSlot(i) && unexpected < 0) unexpected = i;
    }
    check(nullSlots == 4 && unexpected < 0, "slots 73, 74, 75 and 99 are the only null slots",
          "%d null slots, first unexpected slot %d", nullSlots, unexpected);
    check(api->isApiAvailable() != 0, "isApiAvailable", "returned 0");
}

static void checkErrors(const InstrumentAPI* api) {
    InstrError* e = api->errorCreate(1, 5, L"M\u00fcller");
    InstrError* out = NULL;
    check(e != NULL && e->category == 1 && e->code == 5 && sameText(e->message, L"M\u00fcller"),
          "errorCreate keeps category, code and a non-ASCII message", "record differs");
    api->errorPrependText(&e, L"Port: ");
    check(e != NULL && sameText(e->message, L"Port: M\u00fcller"), "errorPrependText", "message differs");
    api->errorDelete(e);

    api->errorSet(&out, 2, 6, L"Connection failed");
    check(out != NULL && out->category == 2 && out->code == 6 && sameText(out->message, L"Connection failed"),
          "errorSet fills an empty out parameter", "record differs");
    api->errorFree(&out);
    check(out == NULL, "errorFree clears the pointer", "pointer still set");
    api->errorDelete(NULL);
    api->errorFree(NULL);
    check(1, "errorDelete and errorFree accept null", "");
}

static void checkContext(const InstrumentAPI* api) {
    InstrContext* context = api->contextCreate();
    InstrError* err = NULL;
    wchar_t comma = L',';
    int32_t ok;
    check(context != NULL && api->contextAddRef(context) == context, "contextCreate and contextAddRef", "failed");
    ok = api->contextSetAttribute(context, 0, &comma, 2, &err);
    check(ok == 0 && err == NULL, "contextSetAttribute: decimal separator", "error record set");
    api->errorFree(&err);
    api->contextSetAttribute(context, 0, &comma, 4, &err);
    check(err != NULL && err->category == 0 && err->code == 1 &&
              sameText(err->message, L"Wrong decimal separator in the container"),
          "contextSetAttribute: wrong size gives an error record", "no or wrong record");
    api->errorFree(&err);
    check(api->contextRelease(context) == 0, "contextRelease of the last reference returns 0", "not 0");
    check(api->contextRelease(NULL) == 0 && api->contextAddRef(NULL) == NULL, "null context handles are harmless",
          "not harmless");
}

static void checkByteArrays(const InstrumentAPI* api) {
    InstrByteArray* array = api->byteArrayCreateFromData("bcd", 3);
    api->byteArrayAddRef(array);
    api->byteArrayAppend(array, "ef", 2);
    api->byteArrayPrepend(array, "a", 1);
    check(api->byteArraySize(array) == 6 && memcmp(api->byteArrayConstData(array), "abcdef", 6) == 0,
          "byte array: create, append, prepend", "size %u", api->byteArraySize(array));
    api->byteArrayResize(array, 2);
    check(api->byteArraySize(array) == 2 && memcmp(api->byteArrayData(array), "ab", 2) == 0, "byte array: resize",
          "size %u", api->byteArraySize(array));
    check(api->byteArrayRelease(array) == 0, "byte array: release", "not 0");
}

static void checkNotSupported(const InstrumentAPI* api) {
    InstrError* general = api->reserved32();
    InstrError* device = api->reserved108();
    check(general != NULL && general->category == 0 && general->code == 17 &&
              (general->message == NULL || general->message[0] == 0),
          "not-supported slot 32 returns a new category-0 code-17 record", "record differs");
    check(device != NULL && device->category == 2 && device->code == 17, "not-supported slot 108: category 2",
          "record differs");
    check(general != device, "each call returns a new record", "same record");
    api->errorDelete(general);
    api->errorDelete(device);
}

typedef void(__cdecl* SetFactoryFn)(InstrContext*, void*);

static void checkFactoryHook(HMODULE module, const InstrumentAPI* api) {
    SetFactoryFn setFactory = (SetFactoryFn)(void (*)(void))GetProcAddress(
        module, "_ZN12devlib_instr23SetUARTInterfaceFactoryEP12InstrContextPNS_28AbstractUartInterfaceFactoryE");
    InstrContext* context = api->contextCreate();
    check(setFactory != NULL, "SetUARTInterfaceFactory is exported", "not found");
    if (setFactory == NULL) return;
    api->contextAddRef(context);
    setFactory(context, NULL); /* null restores the default factory */
    setFactory(NULL, NULL);    /* an invalid context is ignored */
    api->contextRelease(context);
    check(1, "SetUARTInterfaceFactory with null arguments", "");
}

int main(int argc, char** argv) {
    HMODULE module = LoadLibraryW(L"torvik.dll");
    GetInstrumentAPIFn getApi;
    const InstrumentAPI* api;
    (void)argv;

    check(module != NULL, "LoadLibrary(torvik.dll)", "error %lu", (unsigned long)GetLastError());
    if (module == NULL) goto done;
    getApi = (GetInstrumentAPIFn)(void (*)(void))GetProcAddress(module, "GetInstrumentAPI");
    check(getApi != NULL, "GetInstrumentAPI is exported", "not found");
    if (getApi == NULL) goto done;
    api = getApi();

    checkTable(api, getApi);
    checkErrors(api);
    checkContext(api);
    checkByteArrays(api);
    checkNotSupported(api);
    checkFactoryHook(module, api);
    (void)argc;
    FreeLibrary(module);

done:
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
