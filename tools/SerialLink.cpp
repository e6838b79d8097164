#include "SerialLink.hpp"

namespace torvik::cli {

devlib_instr::AbstractUartInterface* LinkFactory::create(const std::string& portName) {
    openProblem_.clear();
    auto* link = new SerialLink(portName, devlib_instr::line::restingBaudRate, *this);
    link_ = link;
    return link;
}

}  // namespace torvik::cli
