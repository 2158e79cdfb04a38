// The numeric layout of a graph axis: the range of the values drawn, tick marks at round
// steps with their labels, and the common power of ten that keeps labels short. Values
// that are not finite are left out; an empty or flat range is widened so that nothing
// divides by zero.
#pragma once

#include <string>
#include <vector>

namespace varnel {

struct AxisTick {
    double value = 0.0;
    std::string label; // the value divided by the common power of ten
};

struct AxisLayout {
    double minimum = 0.0; // the axis runs from minimum to maximum (maximum > minimum)
    double maximum = 1.0;
    double dataMinimum = 0.0; // the values' own range (equal when all values are)
    double dataMaximum = 0.0;
    bool hasData = false;   // false when no value was finite
    int exponent = 0;       // labels are multiples of 10^exponent
    std::string powerLabel; // "x10" with the exponent, empty when the exponent is 0
    std::vector<AxisTick> ticks;

    /// The position of `value` along the axis, 0 at the minimum and 1 at the maximum.
    double fraction(double value) const { return (value - minimum) / (maximum - minimum); }
};

/// The range of the finite values among `values` into `low`/`high`; false when none is.
bool finiteRange(const std::vector<const std::vector<float>*>& values, double& low, double& high);

/// Lays out an axis over [low, high] with at most `maxTicks` ticks (at least 2 are asked
/// for). `hasData` false gives the axis 0..1 without data. A flat range is widened by a
/// tenth of its magnitude each way (by 1 around 0).
AxisLayout layoutAxis(double low, double high, int maxTicks, bool hasData = true);

/// "min" and "max" of the values, for an axis title: "min <low>, max <high>" ("%.3g").
std::string rangeText(const AxisLayout& axis);

} // namespace varnel
