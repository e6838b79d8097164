/* A host written in C11 against the shared library, through the public header only: the header
 * words, the null slots and the slots that share one function. Exits non-zero after printing the
 * failed checks. */
#include <stdio.h>
#include <stdlib.h>

#include "torvik/instrument_api.h"

static int failures = 0;

#define CHECK(condition)                                                                  \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                                   \
        }                                                                                 \
    } while (0)

/* Any function pointer, for comparing slots of different types. */
typedef void (*AnyFunction)(void);

int main(void) {
    const InstrumentAPI* api = GetInstrumentAPI();
    if (api == NULL) return EXIT_FAILURE;
    CHECK(GetInstrumentAPI() == api);
    CHECK(api->layoutVersion == 2 && api->versionMajor == 2);
    CHECK(api->unused73 == NULL && api->unused74 == NULL && api->unused75 == NULL && api->unused99 == NULL);
    CHECK(api->isApiAvailable() == 1);

    /* One add-reference function fills slots 3, 17, 27, 61 and 103, one release function slots 4,
     * 18, 28, 62 and 104, and slots 23 and 25 hold the same function. */
    const AnyFunction addRefs[] = {(AnyFunction)api->contextAddRef, (AnyFunction)api->byteArrayAddRef,
                                   (AnyFunction)api->deviceAddRef, (AnyFunction)api->gdcDatalogReaderAddRef,
                                   (AnyFunction)api->configurationAddRef};
    const AnyFunction releases[] = {(AnyFunction)api->contextRelease, (AnyFunction)api->byteArrayRelease,
                                    (AnyFunction)api->deviceRelease, (AnyFunction)api->gdcDatalogReaderRelease,
                                    (AnyFunction)api->configurationRelease};
    for (size_t i = 1; i < sizeof addRefs / sizeof addRefs[0]; ++i)
        CHECK(addRefs[i] == addRefs[0] && releases[i] == releases[0]);
    CHECK(addRefs[0] != releases[0]);
    CHECK((AnyFunction)api->byteArrayData == (AnyFunction)api->byteArrayConstData);

    if (failures != 0) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
