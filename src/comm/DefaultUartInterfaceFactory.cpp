#include "comm/DefaultUartInterfaceFactory.hpp"

#include "comm/UartInterface.hpp"

namespace devlib_instr {
namespace {

class DefaultUartInterfaceFactory final : public AbstractUartInterfaceFactory {
public:
    AbstractUartInterface* create(const std::string& portName) override {
        return new UartInterface(portName, line::restingBaudRate, line::dataBits, line::oneStopBit, line::noParity);
    }
};

}  // namespace

AbstractUartInterfaceFactory& defaultUartInterfaceFactory() {
    static DefaultUartInterfaceFactory factory;
    return factory;
}

}  // namespace devlib_instr
