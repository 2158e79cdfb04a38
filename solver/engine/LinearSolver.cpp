// Row-by-row elimination of a group's block with a dense scatter vector, and the forward
// and backward substitutions that turn a group's residuals into its corrections.
#include "LinearSolver.h"

#include "GuardedMath.h"
#include "Reporter.h"

namespace varnel {

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

} // namespace varnel
