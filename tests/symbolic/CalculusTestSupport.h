// Test helpers for the calculus transforms: equation text read into a set, and a small
// Newton iteration (forward-difference Jacobian, dense elimination) that solves a
// transformed set so that its values can be checked against closed forms.
#pragma once

#include "EquationFile.h"
#include "EquationSet.h"
#include "Evaluator.h"
#include "Reporter.h"
#include "TextFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace varnel::test {

/// The statements of `text`, read as the working copy of an equation file.
inline EquationSet readSet(const std::string& text)
{
    TempDir dir;
    writeFile(dir / "eq.TMP", text);
    EquationSet set;
    Reporter reporter;
    ParseState state;
    TextFile source;
    TextFile::setQuiet(true); // the reader's look-ahead runs into the end of the file
    EXPECT_TRUE(source.openRead((dir / "eq.TMP").string()));
    EXPECT_TRUE(readStatements(source, false, dir.path().string(), set, reporter, state)) << text;
    source.close();
    TextFile::setQuiet(false);
    return set;
}

inline std::uint32_t variableNumber(const EquationSet& set, const std::string& name)
{
    const int k = set.variables.find(name);
    EXPECT_NE(k, 0) << "no variable " << name;
    return static_cast<std::uint32_t>(k);
}

inline double& valueOf(EquationSet& set, const std::string& name)
{
    return set.variables.values[variableNumber(set, name)];
}

/// Solves the square set from its current values; false when it is not square or the
/// iteration does not settle.
inline bool solveSet(EquationSet& set)
{
    const int n = set.variables.count();
    if (set.equationCount() != n)
        return false;
    Reporter reporter;
    Evaluator evaluator(reporter);
    std::vector<double>& x = set.variables.values;
    const auto residuals = [&](std::vector<double>& r) {
        for (int i = 1; i <= n; ++i)
            r[static_cast<std::size_t>(i - 1)] =
                evaluator.evaluateReal(set.equation(i).code, x.data());
    };
    const auto size = static_cast<std::size_t>(n);
    std::vector<double> r(size), shifted(size), a(size * size);
    for (int iteration = 0; iteration < 30; ++iteration) {
        residuals(r);
        for (std::size_t j = 0; j < size; ++j) {
            const double saved = x[j + 1];
            const double h = 1e-7 * std::max(1.0, std::abs(saved));
            x[j + 1] = saved + h;
            residuals(shifted);
            x[j + 1] = saved;
            for (std::size_t i = 0; i < size; ++i)
                a[i * size + j] = (shifted[i] - r[i]) / h;
        }
        // Gaussian elimination with partial pivoting on a * dx = -r.
        std::vector<double> b(size);
        for (std::size_t i = 0; i < size; ++i)
            b[i] = -r[i];
        for (std::size_t k = 0; k < size; ++k) {
            std::size_t pivot = k;
            for (std::size_t i = k + 1; i < size; ++i)
                if (std::abs(a[i * size + k]) > std::abs(a[pivot * size + k]))
                    pivot = i;
            if (a[pivot * size + k] == 0.0)
                return false;
            if (pivot != k) {
                for (std::size_t j = 0; j < size; ++j)
                    std::swap(a[k * size + j], a[pivot * size + j]);
                std::swap(b[k], b[pivot]);
            }
            for (std::size_t i = k + 1; i < size; ++i) {
                const double f = a[i * size + k] / a[k * size + k];
                for (std::size_t j = k; j < size; ++j)
                    a[i * size + j] -= f * a[k * size + j];
                b[i] -= f * b[k];
            }
        }
        double largest = 0.0, scale = 1.0;
        for (std::size_t k = size; k-- > 0;) {
            double sum = b[k];
            for (std::size_t j = k + 1; j < size; ++j)
                sum -= a[k * size + j] * b[j];
            b[k] = sum / a[k * size + k];
            largest = std::max(largest, std::abs(b[k]));
            scale = std::max(scale, std::abs(x[k + 1]));
        }
        for (std::size_t j = 0; j < size; ++j)
            x[j + 1] += b[j];
        if (largest <= 1e-15 * scale)
            return true;
    }
    return false;
}

} // namespace varnel::test
