// The factory a context uses when the host installed none: the library's own serial link at
// 9600 baud, 8N1.
#include "comm/UartInterface.hpp"
#include "core/Context.hpp"

namespace devlib_instr {
namespace {

class DefaultUartInterfaceFactory final : public AbstractUartInterfaceFactory {
public:
    AbstractUartInterface* create(const std::string& portName) override {
        return new UartInterface(portName, baudRate, byteSize, stopBits, parity);
    }

private:
    static constexpr uint32_t baudRate = 9600;
    static constexpr uint8_t byteSize = 8;
    static constexpr uint8_t stopBits = 0;
    static constexpr uint8_t parity = 0;
};

}  // namespace

AbstractUartInterfaceFactory& defaultUartInterfaceFactory() {
    static DefaultUartInterfaceFactory factory;
    return factory;
}

}  // namespace devlib_instr
