#pragma once
// Linear scaling of the analog input block: an input span n1..m1 mapped onto
// n2..m2 and the result kept within n2..m2. A span of zero width (m1 = n1)
// leaves the value as it is even while scaling is on.

#include <cstdint>

namespace kestrune {

struct LinearScaling {
    std::uint8_t enabled = 0;
    float inputMax = 0.0f;  // m1
    float inputMin = 0.0f;  // n1
    float scaleMax = 0.0f;  // m2
    float scaleMin = 0.0f;  // n2

    bool active() const { return enabled != 0 && inputMax != inputMin; }
    float apply(float input) const;

    friend bool operator==(const LinearScaling&, const LinearScaling&) = default;
};

}  // namespace kestrune
