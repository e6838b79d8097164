#include "core/Error.hpp"

namespace devlib_instr {

const char16_t* const categoryNames[6] = {
    u"General", u"InstrContext", u"InstrDevice", u"InstrFirmwareFlasher", u"InstrContainer", u"InstrContainerWriter",
};

}  // namespace devlib_instr
