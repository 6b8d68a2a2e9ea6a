#include "blocks/io/linear_scaling.h"

namespace kestrune {

float LinearScaling::apply(float input) const {
    if (!active()) return input;
    float result = scaleMin + (input - inputMin) * (scaleMax - scaleMin) / (inputMax - inputMin);
    // Upper limit first, then the lower, as the dialog's formula has always
    // been applied: with n2 above m2 the result is n2.
    if (result > scaleMax) result = scaleMax;
    if (result < scaleMin) result = scaleMin;
    return result;
}

}  // namespace kestrune
