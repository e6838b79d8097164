#include "comm/DefaultUartInterfaceFactory.hpp"

#include "comm/UartInterface.hpp"

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
