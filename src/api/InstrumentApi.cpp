// The exported table: filled on the first call of GetInstrumentAPI from the slot list.
#include <cstddef>

#include "api/Slots.hpp"
#include "core/Error.hpp"
#include "core/ErrorRecord.hpp"
#include "core/Version.hpp"

namespace devlib_instr::api {

template <uint32_t Category>
InstrError* notSupported() noexcept {
    return devlib_instr::errorCreate(Category, static_cast<uint32_t>(ErrorCode::NotSupported), u"");
}

// Slot 44 returns the device family's record itself.
template InstrError* notSupported<static_cast<uint32_t>(ErrorCategory::InstrDevice)>() noexcept;

}  // namespace devlib_instr::api

namespace {

using namespace devlib_instr;

constexpr size_t headerBytes = 4 * sizeof(uint32_t);

// Every slot sits at word index + 4 of the table.
#define TORVIK_CHECK_OFFSET_(index, member) \
    static_assert(offsetof(InstrumentAPI, member) == headerBytes + (index) * sizeof(void*), "slot " #index);
#define TORVIK_CHECK_SLOT_(index, name, result, params) TORVIK_CHECK_OFFSET_(index, name)
#define TORVIK_CHECK_SHARED_(index, name, result, params, function) TORVIK_CHECK_OFFSET_(index, name)
#define TORVIK_CHECK_RESERVED_(index, category) TORVIK_CHECK_OFFSET_(index, reserved##index)
#define TORVIK_CHECK_NULL_(index) TORVIK_CHECK_OFFSET_(index, unused##index)
INSTR_API_SLOTS(TORVIK_CHECK_SLOT_, TORVIK_CHECK_SHARED_, TORVIK_CHECK_RESERVED_, TORVIK_CHECK_NULL_)
static_assert(sizeof(InstrumentAPI) == headerBytes + INSTR_API_SLOT_COUNT * sizeof(void*));

InstrumentAPI table;  // zero until the first call fills it

void fillTable() {
    table.versionMajor = version::major;
    table.versionMinor = version::minor;
    table.versionPatch = version::patch;
#define TORVIK_FILL_SLOT_(index, name, result, params) table.name = &api::name;
// A shared function sits in slots whose types differ only in their pointer types, which every
// calling convention passes alike: one pointer serves them all, as a host comparing slots sees.
#define TORVIK_FILL_SHARED_(index, name, result, params, function) \
    table.name = reinterpret_cast<InstrFn_##name>(&api::function);
#define TORVIK_FILL_RESERVED_(index, category) table.reserved##index = &api::notSupported<category>;
#define TORVIK_FILL_NULL_(index)
    INSTR_API_SLOTS(TORVIK_FILL_SLOT_, TORVIK_FILL_SHARED_, TORVIK_FILL_RESERVED_, TORVIK_FILL_NULL_)
    table.layoutVersion = 2;
}

}  // namespace

// Filled once, also when two host threads make the first call at once: the initialisation of a
// local static is the one the language guards.
extern "C" const InstrumentAPI* GetInstrumentAPI(void) {
    [[maybe_unused]] static const bool filled = (fillTable(), true);
    return &table;
}
