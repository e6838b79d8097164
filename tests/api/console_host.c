/* A host that leaves the context's built-in logger in place (with "-" before: after a callback of
 * its own was set and taken back with a null callback, which must never be called). It writes "host before" and "host
 * after" to its standard output around two library log lines, each through the C stream in the
 * orientation its arguments name ("bytes": printf, "wide": wprintf, "-": nothing), so that a test
 * can read what a host's standard output receives. Usage: console_host BEFORE AFTER */
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "torvik/instrument_api.h"

static void hostLine(const char* orientation, const char* text) {
    if (strcmp(orientation, "bytes") == 0) printf("host %s\n", text);
    if (strcmp(orientation, "wide") == 0) wprintf(L"host %s\n", text);
}

/* Two lines the library logs without a device on a port: an unknown context attribute (DEBUG) and
 * the refused container write (ERROR). */
static void logTwoLines(const InstrumentAPI* api, InstrContext* context, InstrDevice* device) {
    const char16_t comma = u',';
    InstrError* err = NULL;
    api->contextSetAttribute(context, 1, &comma, 2, &err);
    api->errorFree(&err);
    api->errorDelete(api->deviceWriteContainer(NULL, device));
}

static void hostCallback(int32_t level, const InstrWChar* text, void* user) {
    (void)level, (void)text, (void)user;
    printf("host callback\n");
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const InstrumentAPI* api = GetInstrumentAPI();
    InstrContext* context = api->contextAddRef(api->contextCreate());
    InstrDevice* device = api->deviceAddRef(api->deviceCreate(context));
    if (strcmp(argv[1], "-") == 0) {
        api->contextSetLogCallback(context, hostCallback, NULL);
        api->contextSetLogCallback(context, NULL, NULL);
    }
    hostLine(argv[1], "before");
    logTwoLines(api, context, device);
    hostLine(argv[2], "after");
    api->deviceRelease(device);
    api->contextRelease(context);
    return 0;
}
