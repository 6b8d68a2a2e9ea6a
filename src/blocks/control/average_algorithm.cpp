#include "blocks/control/average_algorithm.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "resources/message_ids.h"

namespace kestrune {

void CompensatedSum::add(double value) {
    const double t = sum_ + value;
    // Whichever of the two is larger keeps its bits; the smaller one's lost
    // bits are recovered exactly.
    if (std::fabs(sum_) >= std::fabs(value)) {
        compensation_ += (sum_ - t) + value;
    } else {
        compensation_ += (value - t) + sum_;
    }
    sum_ = t;
}

AverageAlgorithm::AverageAlgorithm(const AverageSettings& settings, std::int32_t wholeCountLimit)
    : settings_(settings), wholeCountLimit_(std::max<std::int32_t>(1, wholeCountLimit)) {}

Code AverageAlgorithm::start() {
    output_ = 0.0;
    wholeCount_ = 0;
    wholeSum_.clear();
    held_ = 0;
    next_ = 0;
    windowSum_.clear();
    window_.clear();
    if (settings_.mode != AverageMode::Moving) {
        window_.shrink_to_fit();
        return kOk;
    }
    try {
        // A window of 0 would leave nothing to divide by and no slot to write.
        window_.assign(std::max<std::size_t>(1, settings_.windowSize), 0.0);
    } catch (const std::bad_alloc&) {
        return kMsgOutOfMemory;
    }
    return kOk;
}

void AverageAlgorithm::reset() {
    if (settings_.mode == AverageMode::Whole) {
        wholeCount_ = 0;
        wholeSum_.clear();
        return;
    }
    std::fill(window_.begin(), window_.end(), 0.0);
    held_ = 0;
    next_ = 0;
    windowSum_.clear();
    output_ = 0.0;
}

std::int32_t AverageAlgorithm::count() const {
    return settings_.mode == AverageMode::Whole ? wholeCount_ : static_cast<std::int32_t>(held_);
}

double AverageAlgorithm::add(double sample) {
    if (!std::isfinite(sample)) return output_;
    return settings_.mode == AverageMode::Whole ? addWhole(sample) : addMoving(sample);
}

double AverageAlgorithm::addWhole(double sample) {
    if (wholeCount_ < wholeCountLimit_) {
        ++wholeCount_;
        wholeSum_.add(sample);
    } else {
        wholeSum_.add(sample - wholeSum_.value() / wholeCount_);
    }
    output_ = wholeSum_.value() / wholeCount_;
    return output_;
}

double AverageAlgorithm::addMoving(double sample) {
    if (window_.empty()) return output_;  // not started
    windowSum_.add(sample);
    const double replaced = window_[next_];
    window_[next_] = sample;
    if (held_ < window_.size()) {
        ++held_;
    } else {
        windowSum_.add(-replaced);
    }
    output_ = windowSum_.value() / static_cast<double>(held_);
    next_ = (next_ + 1) % window_.size();
    if (next_ == 0) rebuildWindowSum();
    return output_;
}

void AverageAlgorithm::rebuildWindowSum() {
    windowSum_.clear();
    for (std::size_t k = 0; k < held_; ++k) windowSum_.add(window_[k]);
}

}  // namespace kestrune
