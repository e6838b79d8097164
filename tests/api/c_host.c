/* A host written in C: loads the table through the public header only and checks the header
 * words, the null and shared slots and a not-supported slot (the slots' behaviour is tested
 * through the same table in the other tests of this directory). Exits non-zero on the
 * first failed check. */
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

/* True when the null-terminated wide text equals the expected one. */
static int sameText(const InstrWChar* text, const char16_t* expected) {
    if (text == NULL) return 0;
    while (*text != 0 && *text == (InstrWChar)*expected) {
        ++text;
        ++expected;
    }
    return *text == 0 && *expected == 0;
}

static void checkHeader(const InstrumentAPI* api) {
    CHECK(api != NULL);
    CHECK(GetInstrumentAPI() == api);
    CHECK(api->layoutVersion == 2);
    CHECK(api->versionMajor == 2);
    CHECK(api->versionMinor == 9);
    CHECK(api->versionPatch == 0);
    CHECK(api->unused73 == NULL);
    CHECK(api->unused74 == NULL);
    CHECK(api->unused75 == NULL);
    CHECK(api->unused99 == NULL);
    CHECK(api->isApiAvailable() == 1);
}

/* Any function pointer, for comparing slots of different types. */
typedef void (*AnyFunction)(void);

/* One add-reference function fills slots 3, 17, 27, 61 and 103, one release function slots 4, 18,
 * 28, 62 and 104, and slots 23 and 25 hold the same function. */
static void checkSharedSlots(const InstrumentAPI* api) {
    const AnyFunction addRefs[] = {(AnyFunction)api->contextAddRef, (AnyFunction)api->byteArrayAddRef,
                                   (AnyFunction)api->deviceAddRef, (AnyFunction)api->gdcDatalogReaderAddRef,
                                   (AnyFunction)api->configurationAddRef};
    const AnyFunction releases[] = {(AnyFunction)api->contextRelease, (AnyFunction)api->byteArrayRelease,
                                    (AnyFunction)api->deviceRelease, (AnyFunction)api->gdcDatalogReaderRelease,
                                    (AnyFunction)api->configurationRelease};
    for (size_t i = 1; i < sizeof addRefs / sizeof addRefs[0]; ++i) {
        CHECK(addRefs[i] == addRefs[0]);
        CHECK(releases[i] == releases[0]);
    }
    CHECK(addRefs[0] != releases[0]);
    CHECK((AnyFunction)api->byteArrayData == (AnyFunction)api->byteArrayConstData);
}

/* A not-supported slot returns a record instead of raising, so a C host survives it. */
static void checkStub(const InstrumentAPI* api) {
    InstrError* stub = api->reserved40();
    CHECK(stub != NULL && stub->category == 0 && stub->code == 17 && sameText(stub->message, u""));
    api->errorDelete(stub);
}

int main(void) {
    const InstrumentAPI* api = GetInstrumentAPI();
    checkHeader(api);
    if (api == NULL) return EXIT_FAILURE;
    checkSharedSlots(api);
    checkStub(api);
    if (failures != 0) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
