/*
 * A minimal host of the Torvik device library, in C: opens the detector on the serial port given
 * on the command line, reads one configuration value ("device" / "switch_off") and prints the
 * configuration document the library returns.
 *
 *   host_example /dev/ttyUSB0        (or the port printed by "torvik sim")
 *
 * Every object is created by a slot of the API table, takes its first reference with the family's
 * addRef slot and is given up with its release slot. Failures arrive as InstrError records.
 */
#include <stdio.h>

#include "torvik/instrument_api.h"

static const char request[] = "{\"version\":\"1.0.6\",\"device\":{\"switch_off\":\"allowed\"}}";

/* Writes a 16-bit library text to stderr (ASCII only, for brevity). */
static void printText(const InstrWChar* text) {
    for (const InstrWChar* c = text; c != NULL && *c != 0; ++c) fputc(*c < 0x80 ? (int)*c : '?', stderr);
}

/* The library's log lines, INFO and above, to stderr (the built-in logger writes to stdout). */
static void logToStderr(int32_t level, const InstrWChar* text, void* user) {
    (void)user;
    if (level < 1) return;
    fprintf(stderr, "log level %d: ", (int)level);
    printText(text);
    fputc('\n', stderr);
}

/* Prints an error record and frees it. */
static void printError(const InstrumentAPI* api, const char* what, InstrError** err) {
    fprintf(stderr, "%s failed", what);
    if (*err != NULL) {
        fprintf(stderr, ": category %u, code %u: ", (unsigned)(*err)->category, (unsigned)(*err)->code);
        printText((*err)->message);
        api->errorFree(err);
    }
    fputc('\n', stderr);
}

/* The first error of the configuration's error list, printed and freed. */
static void printConfigurationErrors(const InstrumentAPI* api, InstrConfiguration* configuration) {
    InstrError* first = NULL;
    uint32_t count = api->configurationGetErrors(configuration, &first, 1);
    if (count > 0) printError(api, "configuration", &first);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s SERIAL-PORT\n", argv[0]);
        return 2;
    }
    const InstrumentAPI* api = GetInstrumentAPI();
    int status = 1;
    InstrError* err = NULL;

    InstrContext* context = api->contextAddRef(api->contextCreate());
    api->contextSetLogCallback(context, logToStderr, NULL);
    InstrDevice* device = api->deviceAddRef(api->deviceCreate(context));
    InstrConfiguration* configuration = NULL;
    InstrByteArray* requestBytes = api->byteArrayAddRef(api->byteArrayCreateFromData(request, sizeof request - 1));
    InstrByteArray* result = api->byteArrayAddRef(api->byteArrayCreate(0));

    if (!api->deviceOpen(device, argv[1], &err)) {
        printError(api, "deviceOpen", &err);
        goto release;
    }
    configuration = api->configurationAddRef(api->configurationCreate(device));
    if (!api->configurationRead(configuration, requestBytes, 0, result, &err)) {
        printError(api, "configurationRead", &err);
        printConfigurationErrors(api, configuration);
        goto release;
    }
    printf("%.*s\n", (int)api->byteArraySize(result), (const char*)api->byteArrayConstData(result));
    status = 0;

release:
    /* Release in any order: each object keeps what it depends on alive. */
    api->byteArrayRelease(result);
    api->byteArrayRelease(requestBytes);
    api->configurationRelease(configuration);
    api->deviceRelease(device);
    api->contextRelease(context);
    return status;
}
