// The progress model of a datalog read: a tree of segments, each mapping its own range [min, max]
// onto a share (weight) of its parent's range, placed after its earlier siblings.
#pragma once

#include <memory>
#include <vector>

namespace devlib_instr {

class IntervalSegment {
public:
    // The root: offset 0, weight 1, range [0, 1].
    IntervalSegment();
    IntervalSegment(const IntervalSegment&) = delete;
    IntervalSegment& operator=(const IntervalSegment&) = delete;

    // A child over [min, max] taking `weight` of this segment, starting where the previous child ends.
    IntervalSegment& addChild(double min, double max, double weight);

    // The overall value of position x in this segment: complete (1) when the range is empty,
    // otherwise x clamped to the range; then mapped up through every parent.
    double value(double x) const;

private:
    IntervalSegment(const IntervalSegment* parent, double offset, double weight, double min, double max);

    const IntervalSegment* parent_;
    double offset_;
    double weight_;
    double min_;
    double max_;
    std::vector<std::unique_ptr<IntervalSegment>> children_;
};

}  // namespace devlib_instr
