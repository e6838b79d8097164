// The factory a device uses when the host installed none on its context: the library's own
// serial link at 9600 baud, 8N1.
#pragma once

#include "torvik/uart_interface.hpp"

namespace devlib_instr {

AbstractUartInterfaceFactory& defaultUartInterfaceFactory();

}  // namespace devlib_instr
