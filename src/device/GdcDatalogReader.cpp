#include "device/GdcDatalogReader.hpp"

#include <utility>

#include "device/GdcDatalogReaderPrivate.hpp"

namespace devlib_instr {

GdcDatalogReader::GdcDatalogReader(ContextGuard context)
    : d_(std::make_unique<GdcDatalogReaderPrivate>(std::move(context))) {}

GdcDatalogReader::~GdcDatalogReader() = default;

void GdcDatalogReader::setDevice(DeviceGuard device) {
    d_->setDevice(std::move(device));
}

void GdcDatalogReader::setSectionSelected(int32_t option, bool selected) {
    d_->setSectionSelected(option, selected);
}

void GdcDatalogReader::setOutputPath(std::u16string path) {
    d_->setOutputPath(std::move(path));
}

void GdcDatalogReader::setTexts(std::u16string gatewayName, std::u16string gatewayVersion) {
    d_->setTexts(std::move(gatewayName), std::move(gatewayVersion));
}

void GdcDatalogReader::start() {
    d_->Start();
}

void GdcDatalogReader::abort() {
    d_->Cancel();
}

bool GdcDatalogReader::isFinished() {
    return d_->IsFinished();
}

bool GdcDatalogReader::wait(int64_t timeoutMs) {
    return d_->Wait(timeoutMs);
}

double GdcDatalogReader::progress() const {
    return d_->progress();
}

bool GdcDatalogReader::succeeded() {
    return d_->succeeded();
}

std::vector<Error> GdcDatalogReader::errors() const {
    return d_->errors();
}

}  // namespace devlib_instr
