/*
 * A host process that reads the GDC datalog of the detector on PORT into OUTPUT through the C
 * table, as any host program would:
 *
 *   datalog_host PORT OUTPUT [all]
 *
 * "all" reads every section from the beginning (no read pointer moves). The exit status is 0 when
 * the reader succeeded, 1 when it did not, 2 on a usage error. The library's log lines are dropped.
 * DatalogDiskTest.cpp runs it with its file size limited (a full disk) and kills it midway.
 */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "torvik/instrument_api.h"

static void dropLogLine(int32_t level, const InstrWChar* text, void* user) {
    (void)level;
    (void)text;
    (void)user;
}

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && strcmp(argv[3], "all") != 0)) return 2;
    const InstrumentAPI* api = GetInstrumentAPI();
    InstrError* err = NULL;
    int status = 1;

    /* The tests give ASCII paths: each byte is one UTF-16 unit. */
    size_t length = strlen(argv[2]);
    InstrWChar* path = calloc(length + 1, sizeof *path);
    if (path == NULL) return 1;
    for (size_t i = 0; i < length; ++i) path[i] = (InstrWChar)(unsigned char)argv[2][i];

    InstrContext* context = api->contextAddRef(api->contextCreate());
    api->contextSetLogCallback(context, dropLogLine, NULL);
    InstrDevice* device = api->deviceAddRef(api->deviceCreate(context));
    InstrGdcDatalogReader* reader = api->gdcDatalogReaderAddRef(api->gdcDatalogReaderCreate(context));
    if (api->deviceOpen(device, argv[1], &err)) {
        api->gdcDatalogReaderSetDevice(reader, device);
        api->gdcDatalogReaderSetOutputPath(reader, path);
        if (argc == 4) api->gdcDatalogReaderSetSectionSelected(reader, 3, 1);
        if (api->gdcDatalogReaderStart(reader, &err)) {
            api->gdcDatalogReaderWait(reader, -1);
            status = api->gdcDatalogReaderSucceeded(reader) ? 0 : 1;
        }
    }
    api->errorFree(&err);
    api->gdcDatalogReaderRelease(reader);
    api->deviceRelease(device);
    api->contextRelease(context);
    free(path);
    return status;
}
