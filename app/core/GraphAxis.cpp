// Axis ranges, ticks and labels of graphs.
#include "GraphAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace varnel {

namespace {

constexpr int kMaxLabelDecimals = 6;

std::string format(const char* pattern, int decimals, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, decimals, value);
    return text;
}

} // namespace

bool finiteRange(const std::vector<const std::vector<float>*>& values, double& low, double& high)
{
    bool found = false;
    for (const std::vector<float>* column : values) {
        if (!column)
            continue;
        for (float v : *column) {
            if (!std::isfinite(v))
                continue;
            if (!found || v < low)
                low = v;
            if (!found || v > high)
                high = v;
            found = true;
        }
    }
    return found;
}

AxisLayout layoutAxis(double low, double high, int maxTicks, bool hasData)
{
    AxisLayout axis;
    axis.hasData = hasData && std::isfinite(low) && std::isfinite(high);
    if (!axis.hasData) {
        low = 0.0;
        high = 1.0;
    }
    if (low > high)
        std::swap(low, high);
    axis.dataMinimum = low;
    axis.dataMaximum = high;
    if (!(high - low > std::max(std::fabs(low), std::fabs(high)) * 1e-12)) {
        const double widen = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
        low -= widen;
        high += widen;
    }
    axis.minimum = low;
    axis.maximum = high;

    // A round step: 1, 2, 2.5 or 5 times a power of ten, giving at most maxTicks ticks.
    const int intervals = std::max(1, maxTicks - 1);
    const double raw = (high - low) / intervals;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double multiple = 10.0;
    for (double candidate : {1.0, 2.0, 2.5, 5.0})
        if (raw / magnitude <= candidate * (1.0 + 1e-9)) {
            multiple = candidate;
            break;
        }
    const double step = multiple * magnitude;

    const double largest = std::max(std::fabs(low), std::fabs(high));
    const int order = static_cast<int>(std::floor(std::log10(largest)));
    axis.exponent = (order >= 4 || order <= -3) ? order : 0;
    if (axis.exponent != 0) {
        char power[16];
        std::snprintf(power, sizeof power, "%d", axis.exponent);
        axis.powerLabel = std::string("x10") + power;
    }
    const double scale = std::pow(10.0, axis.exponent);

    int decimals = static_cast<int>(std::ceil(-std::log10(step / scale) - 1e-9));
    if (multiple == 2.5)
        ++decimals;
    decimals = std::max(0, decimals);

    const double first = std::ceil(low / step - 1e-9);
    for (int i = 0;; ++i) {
        double value = (first + i) * step;
        if (value > high + step * 1e-9 || i > 1000)
            break;
        if (std::fabs(value) < step * 1e-9)
            value = 0.0;
        const double shown = value / scale + 0.0; // + 0.0 turns -0 into 0
        AxisTick tick;
        tick.value = value;
        tick.label = decimals > kMaxLabelDecimals ? format("%.*g", 3, shown)
                                                  : format("%.*f", decimals, shown);
        if (tick.label.rfind("-0", 0) == 0 &&
            tick.label.find_first_not_of("-0.") == std::string::npos)
            tick.label.erase(0, 1);
        axis.ticks.push_back(tick);
    }
    return axis;
}

std::string rangeText(const AxisLayout& axis)
{
    if (!axis.hasData)
        return {};
    char text[96];
    std::snprintf(text, sizeof text, "%s %.3g, %s %.3g", "min", axis.dataMinimum, "max",
                  axis.dataMaximum);
    return text;
}

} // namespace varnel
