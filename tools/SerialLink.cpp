#include "SerialLink.hpp"

namespace torvik::cli {

devlib_instr::AbstractUartInterface* LinkFactory::create(const std::string& portName) {
    openProblem_.clear();
    auto* link = new SerialLink(portName, restingBaudRate, *this);
    link_ = link;
    return link;
}

}  // namespace torvik::cli
