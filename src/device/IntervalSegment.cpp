#include "device/IntervalSegment.hpp"

#include <algorithm>

namespace devlib_instr {

IntervalSegment::IntervalSegment() : IntervalSegment(nullptr, 0.0, 1.0, 0.0, 1.0) {}

IntervalSegment::IntervalSegment(const IntervalSegment* parent, double offset, double weight, double min, double max)
    : parent_(parent), offset_(offset), weight_(weight), min_(min), max_(max) {}

IntervalSegment& IntervalSegment::addChild(double min, double max, double weight) {
    const double offset = children_.empty() ? 0.0 : children_.back()->offset_ + children_.back()->weight_;
    children_.push_back(std::unique_ptr<IntervalSegment>(new IntervalSegment(this, offset, weight, min, max)));
    return *children_.back();
}

double IntervalSegment::value(double x) const {
    const double fraction = max_ <= min_ ? 1.0 : std::clamp(x, min_, max_) / (max_ - min_);
    const double result = offset_ + fraction * weight_;
    return parent_ != nullptr ? parent_->value(result) : result;
}

}  // namespace devlib_instr
