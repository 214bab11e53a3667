// What the style dock's two files share: how fields show a value and how lengths convert.
#pragma once

#include "figures/Style.h"

#include <cmath>

namespace StyleDockValues {

// Fields show two decimals: values closer than this are the value already shown.
constexpr double kShownPrecision = 0.005;
// A field's value below every real one, shown as "mixed".
constexpr double kMixed = -0.01;

inline bool SameShown(double a, double b) {
    return std::abs(a - b) < kShownPrecision;
}

// Every length of a style multiplied by k (page units to points and back).
inline CStyle ScaleLengths(CStyle s, double k) {
    s.dLineWidth *= k;
    for (double& v : s.pattern)
        v *= k;
    s.dHeadLength *= k;
    s.dHeadWidth *= k;
    return s;
}

} // namespace StyleDockValues
