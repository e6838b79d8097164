/* The smallest host: loads the library's table and prints its version and slot count. */
#include <stdio.h>

#include "torvik/instrument_api.h"

int main(void) {
    const InstrumentAPI* api = GetInstrumentAPI();
    if (api == NULL || api->isApiAvailable() != 1) {
        fprintf(stderr, "the Torvik device library is not available\n");
        return 1;
    }
    unsigned slots = (unsigned)((sizeof(InstrumentAPI) - 4 * sizeof(uint32_t)) / sizeof(void (*)(void)));
    printf("Torvik device library %u.%u.%u (table layout %u)\n", (unsigned)api->versionMajor,
           (unsigned)api->versionMinor, (unsigned)api->versionPatch, (unsigned)api->layoutVersion);
    printf("slots: %u\n", slots);
    return 0;
}
