// Row-by-row elimination of a group's block with a dense scatter vector, and the forward
// and backward substitutions that turn a group's residuals into its corrections, and their
// iterative refinement against the unfactorised block.
#include "LinearSolver.h"

#include "GuardedMath.h"
#include "Reporter.h"

#include <algorithm>
#include <cmath>

namespace varnel {

namespace {

/// A solve is accepted when its remainder is below this share of the magnitudes that
/// made it; well-scaled blocks stay orders of magnitude below it.
constexpr double kRefineThreshold = 1e-11;
constexpr int kMaxRefinements = 3;

bool ordinary(double v)
{
    return std::isfinite(v) && v != UNDEFINED && std::fabs(v) < BIG;
}

/// rhs - block * solution for the group's positions into `remainder`; false when a value
/// is not an ordinary number. `worst` and `scale` receive the largest remainder and the
/// largest sum of magnitudes that formed a remainder.
bool groupRemainder(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                    const std::vector<double>& block, const std::vector<double>& rhs,
                    const std::vector<double>& solution, std::vector<double>& remainder,
                    double& worst, double& scale)
{
    worst = 0.0;
    scale = 0.0;
    for (int k = ordering.groupFirst(group); k <= ordering.groupLast(group); ++k) {
        const auto slot = static_cast<std::size_t>(k);
        if (!ordinary(rhs[slot]) || !ordinary(solution[slot]))
            return false;
        double r = rhs[slot];
        double size = std::fabs(r);
        bool usable = true;
        auto subtract = [&](int e) {
            const double a = block[static_cast<std::size_t>(e)];
            usable = usable && ordinary(a);
            const double d = solution[static_cast<std::size_t>(
                ordering.positionOfVariable(matrix.entry(e).column))];
            r -= a * d;
            size += std::fabs(a * d);
        };
        for (int e : ordering.lowerEntries(k))
            subtract(e);
        if (const int diagonal = matrix.diagonal(ordering.equationAt(k)); diagonal >= 0)
            subtract(diagonal);
        for (int e : ordering.upperEntries(k))
            subtract(e);
        if (!usable || !std::isfinite(r) || !std::isfinite(size))
            return false;
        remainder[slot] = r;
        worst = std::max(worst, std::fabs(r));
        scale = std::max(scale, size);
    }
    return true;
}

} // namespace

void EliminationWorkspace::reserve(int columns)
{
    const auto slots = static_cast<std::size_t>(columns) + 1;
    if (values.size() < slots) {
        values.resize(slots, 0.0);
        marks.resize(slots, 0);
    }
}

void factorGroup(SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                 EliminationWorkspace& workspace)
{
    if (group < 1 || group > ordering.groupCount())
        return;
    workspace.reserve(matrix.size());
    std::vector<double>& work = workspace.values;
    std::vector<unsigned char>& marks = workspace.marks;

    for (int k = ordering.groupFirst(group); k <= ordering.groupLast(group); ++k) {
        const int diagonal = matrix.diagonal(ordering.equationAt(k));
        const std::span<const int> lower = ordering.lowerEntries(k);
        const std::span<const int> upper = ordering.upperEntries(k);
        auto scatter = [&](int e) {
            const MatrixEntry& entry = matrix.entry(e);
            work[entry.column] = entry.fillIn ? 0.0 : entry.value;
            marks[entry.column] = 1;
        };
        auto gather = [&](int e) {
            MatrixEntry& entry = matrix.entry(e);
            entry.value = work[entry.column];
            work[entry.column] = 0.0;
            marks[entry.column] = 0;
        };

        for (int e : lower)
            scatter(e);
        if (diagonal >= 0)
            scatter(diagonal);
        for (int e : upper)
            scatter(e);

        // Earlier pivot rows in increasing position: each turns the row's entry in its
        // pivot column into a multiplier and updates the columns right of its diagonal.
        for (int e : lower) {
            const int column = matrix.entry(e).column;
            const int pivotPosition = ordering.positionOfVariable(column);
            const int pivotEntry = matrix.diagonal(ordering.equationAt(pivotPosition));
            const double pivot = pivotEntry >= 0 ? matrix.entry(pivotEntry).value : 0.0;
            const double multiplier = guardedDiv(work[column], pivot);
            work[column] = multiplier;
            for (int u : ordering.upperEntries(pivotPosition)) {
                const MatrixEntry& pivotRowEntry = matrix.entry(u);
                if (!marks[pivotRowEntry.column])
                    continue; // the ordering created every position this needs
                double& target = work[pivotRowEntry.column];
                target = guardedSub(target, guardedMul(multiplier, pivotRowEntry.value));
            }
        }

        for (int e : lower)
            gather(e);
        if (diagonal >= 0)
            gather(diagonal);
        for (int e : upper)
            gather(e);
    }
}

void keepGroupValues(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                     std::vector<double>& block)
{
    if (group < 1 || group > ordering.groupCount())
        return;
    if (block.size() < static_cast<std::size_t>(matrix.entryCount()))
        block.resize(static_cast<std::size_t>(matrix.entryCount()), 0.0);
    auto keep = [&](int e) {
        const MatrixEntry& entry = matrix.entry(e);
        block[static_cast<std::size_t>(e)] = entry.fillIn ? 0.0 : entry.value;
    };
    for (int k = ordering.groupFirst(group); k <= ordering.groupLast(group); ++k) {
        for (int e : ordering.lowerEntries(k))
            keep(e);
        if (const int diagonal = matrix.diagonal(ordering.equationAt(k)); diagonal >= 0)
            keep(diagonal);
        for (int e : ordering.upperEntries(k))
            keep(e);
    }
}

void solveGroup(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                std::vector<double>& work)
{
    if (group < 1 || group > ordering.groupCount())
        return;
    const int first = ordering.groupFirst(group);
    const int last = ordering.groupLast(group);

    if (traceEnabled()) {
        trace("In Repsol\nRHS=\n");
        for (int k = first; k <= last; ++k)
            trace("%10.6f\n", work[k]);
        trace("\n");
        trace("repJf=%d", first);
    }
    for (int k = first; k <= last; ++k) {
        double r = work[k];
        for (int e : ordering.lowerEntries(k)) {
            const MatrixEntry& entry = matrix.entry(e);
            r = guardedSub(
                r, guardedMul(entry.value, work[ordering.positionOfVariable(entry.column)]));
        }
        work[k] = r;
    }

    trace("repJb=%d", last);
    for (int k = last; k >= first; --k) {
        double r = work[k];
        for (int e : ordering.upperEntries(k)) {
            const MatrixEntry& entry = matrix.entry(e);
            r = guardedSub(
                r, guardedMul(entry.value, work[ordering.positionOfVariable(entry.column)]));
        }
        const int diagonal = matrix.diagonal(ordering.equationAt(k));
        work[k] = guardedDiv(r, diagonal >= 0 ? matrix.entry(diagonal).value : 0.0);
    }
}

int refineGroupSolution(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                        const std::vector<double>& block, const std::vector<double>& rhs,
                        std::vector<double>& work, std::vector<double>& scratch)
{
    if (group < 1 || group > ordering.groupCount())
        return 0;
    const int first = ordering.groupFirst(group);
    const int last = ordering.groupLast(group);
    if (scratch.size() < work.size())
        scratch.resize(work.size(), 0.0);
    std::vector<double>& remainder = scratch;
    double worst = 0.0;
    double scale = 0.0;
    if (!groupRemainder(matrix, ordering, group, block, rhs, work, remainder, worst, scale))
        return 0;
    int kept = 0;
    std::vector<double> previous;
    while (kept < kMaxRefinements && worst > kRefineThreshold * scale) {
        solveGroup(matrix, ordering, group, remainder);
        previous.assign(work.begin() + first, work.begin() + last + 1);
        bool usable = true;
        for (int k = first; k <= last; ++k) {
            const auto slot = static_cast<std::size_t>(k);
            usable = usable && ordinary(remainder[slot]);
            work[slot] += remainder[slot];
        }
        double nextWorst = 0.0;
        double nextScale = 0.0;
        if (!usable ||
            !groupRemainder(matrix, ordering, group, block, rhs, work, remainder, nextWorst,
                            nextScale) ||
            nextWorst >= worst) {
            std::copy(previous.begin(), previous.end(), work.begin() + first);
            break;
        }
        worst = nextWorst;
        scale = nextScale;
        ++kept;
    }
    return kept;
}

} // namespace varnel
