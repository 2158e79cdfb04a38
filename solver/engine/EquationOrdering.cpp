// Ordering passes over degree buckets, grouping by a directed depth-first search in
// elimination order, and the per-row elimination schedule that the linear solver follows.
//
// Degree buckets: bucket c lists the equations of the pass that still have c entries in
// candidate columns. A pass fills each bucket in the order its rows were handed in; an
// equation whose count changes during elimination moves to the FRONT of its new bucket.
// The equation taken next is the front of the lowest non-empty bucket.
//
// Column counts (structural pivot choice): the number of entries of a column that lie in
// rows not yet ordered, kept up to date as rows are ordered and fill-in appears.
#include "EquationOrdering.h"

#include "GuardedMath.h"
#include "Reporter.h"

#include <cmath>

namespace varnel {

namespace {
/// A pivot smaller than this marks an equation as depending on the others.
constexpr double kPivotLimit = 1e-15;
} // namespace

std::span<const int> EquationOrdering::lowerEntries(int position) const
{
    const int begin = m_lowerStart[position];
    return {m_lowerEntries.data() + begin,
            static_cast<std::size_t>(m_lowerStart[position + 1] - begin)};
}

std::span<const int> EquationOrdering::upperEntries(int position) const
{
    const int begin = m_upperStart[position];
    return {m_upperEntries.data() + begin,
            static_cast<std::size_t>(m_upperStart[position + 1] - begin)};
}

void EquationOrdering::prepare(int n)
{
    m_size = n;
    m_singular = false;
    const auto slots = static_cast<std::size_t>(n) + 2;
    for (std::vector<int>* v : {&m_positionOfEquation, &m_positionOfVariable, &m_equationAt,
                                &m_variableAt, &m_groupOfEquation, &m_degree, &m_columnCount,
                                &m_pivotStamp, &m_seenStamp, &m_lowerStart, &m_upperStart})
        v->assign(slots, 0);
    for (std::vector<int>* v : {&m_bucketNext, &m_bucketPrev, &m_pivotRowEntry})
        v->assign(slots, -1);
    // Outside a pass every bucket is empty.
    m_bucketHead.assign(slots, -1);
    m_bucketTail.assign(slots, -1);
    m_activeRow.assign(slots, 0);
    m_candidate.assign(slots, 0);
    m_groupFirst.assign(1, 0);
    m_groupLast.assign(1, 0);
    m_lowerEntries.clear();
    m_upperEntries.clear();
    m_stamp = 0;
}

void EquationOrdering::bucketPushFront(int row, int degree)
{
    if (degree >= static_cast<int>(m_bucketHead.size())) {
        m_bucketHead.resize(degree + 1, -1);
        m_bucketTail.resize(degree + 1, -1);
    }
    m_degree[row] = degree;
    m_bucketPrev[row] = -1;
    m_bucketNext[row] = m_bucketHead[degree];
    if (m_bucketHead[degree] >= 0)
        m_bucketPrev[m_bucketHead[degree]] = row;
    else
        m_bucketTail[degree] = row;
    m_bucketHead[degree] = row;
    if (degree < m_minDegree)
        m_minDegree = degree;
}

void EquationOrdering::bucketPushBack(int row, int degree)
{
    if (degree >= static_cast<int>(m_bucketHead.size())) {
        m_bucketHead.resize(degree + 1, -1);
        m_bucketTail.resize(degree + 1, -1);
    }
    m_degree[row] = degree;
    m_bucketNext[row] = -1;
    m_bucketPrev[row] = m_bucketTail[degree];
    if (m_bucketTail[degree] >= 0)
        m_bucketNext[m_bucketTail[degree]] = row;
    else
        m_bucketHead[degree] = row;
    m_bucketTail[degree] = row;
    if (degree < m_minDegree)
        m_minDegree = degree;
}

void EquationOrdering::bucketRemove(int row)
{
    const int degree = m_degree[row];
    const int prev = m_bucketPrev[row];
    const int next = m_bucketNext[row];
    if (prev >= 0)
        m_bucketNext[prev] = next;
    else
        m_bucketHead[degree] = next;
    if (next >= 0)
        m_bucketPrev[next] = prev;
    else
        m_bucketTail[degree] = prev;
    m_bucketNext[row] = m_bucketPrev[row] = -1;
}

void EquationOrdering::reportSingular(int equation, const char* text, Reporter& reporter,
                                      bool tryingIfMasks, int* errorEquation)
{
    reporter.send("Equation ");
    reporter.sendf("%4d", equation);
    reporter.send(text);
    if (errorEquation != nullptr)
        *errorEquation = equation;
    m_singular = true;
    if (tryingIfMasks) {
        reporter.runError = true;
        reporter.beep();
    } else {
        reporter.raiseError();
    }
}

bool EquationOrdering::orderPass(SparseMatrix& matrix, const std::vector<int>& rows, int first,
                                 Mode mode, Reporter& reporter, bool tryingIfMasks,
                                 int* errorEquation)
{
    const bool numeric = mode == Mode::Numeric;

    // Candidates are the pivot columns of the pass; they are set by the caller.
    m_minDegree = static_cast<int>(m_bucketHead.size());
    for (int row : rows)
        m_activeRow[row] = 1;
    for (int row : rows) {
        int degree = 0;
        for (int e = matrix.rowHead(row); e >= 0; e = matrix.entry(e).nextInRow) {
            const int column = matrix.entry(e).column;
            if (m_candidate[column]) {
                ++degree;
                if (!numeric)
                    ++m_columnCount[column];
            }
        }
        bucketPushBack(row, degree);
    }

    auto finish = [&](bool ok) {
        for (int row : rows) {
            if (m_activeRow[row]) {
                bucketRemove(row);
                m_activeRow[row] = 0;
            }
        }
        return ok;
    };

    std::vector<int> upper; // entries of the pivot row right of its pivot
    const int last = first + static_cast<int>(rows.size()) - 1;
    for (int k = first; k <= last; ++k) {
        if (reporter.runError)
            return finish(false);
        while (m_bucketHead[m_minDegree] < 0)
            ++m_minDegree;
        const int r = m_bucketHead[m_minDegree];
        bucketRemove(r);
        m_activeRow[r] = 0;
        m_positionOfEquation[r] = k;
        m_equationAt[k] = r;

        int best = -1;
        double bestMagnitude = 0.0;
        int bestCount = 0;
        for (int e = matrix.rowHead(r); e >= 0; e = matrix.entry(e).nextInRow) {
            const MatrixEntry& entry = matrix.entry(e);
            if (!m_candidate[entry.column])
                continue;
            if (numeric) {
                double magnitude = std::fabs(entry.value);
                if (std::isnan(magnitude))
                    magnitude = 0.0;
                if (best < 0 || magnitude >= bestMagnitude) { // later entry wins a tie
                    best = e;
                    bestMagnitude = magnitude;
                }
            } else {
                const int count = m_columnCount[entry.column];
                if (best < 0 || count < bestCount) { // earlier entry wins a tie
                    best = e;
                    bestCount = count;
                }
            }
        }
        if (best < 0) {
            reportSingular(r, " is Singular or Inconsistent", reporter, tryingIfMasks,
                           errorEquation);
            return finish(false);
        }
        if (numeric && bestMagnitude < kPivotLimit) {
            reportSingular(r, " Depends on Other Equations", reporter, tryingIfMasks,
                           errorEquation);
            return finish(false);
        }

        const int pivotColumn = matrix.entry(best).column;
        const double pivotValue = matrix.entry(best).value;
        m_positionOfVariable[pivotColumn] = k;
        m_variableAt[k] = pivotColumn;
        m_candidate[pivotColumn] = 0;
        matrix.setDiagonal(r, best);

        // The pivot row leaves the active rows; stamp its remaining candidate columns.
        const int pivotStamp = ++m_stamp;
        upper.clear();
        for (int e = matrix.rowHead(r); e >= 0; e = matrix.entry(e).nextInRow) {
            const int column = matrix.entry(e).column;
            if (column == pivotColumn || !m_candidate[column])
                continue;
            if (!numeric)
                --m_columnCount[column];
            m_pivotStamp[column] = pivotStamp;
            m_pivotRowEntry[column] = e;
            upper.push_back(e);
        }

        // Eliminate the pivot column from every active row that holds it. Fill-in lands
        // in other columns, so the walk down the pivot column is not disturbed.
        for (int e = matrix.columnHead(pivotColumn); e >= 0; e = matrix.entry(e).nextInColumn) {
            const int i = matrix.entry(e).row;
            if (!m_activeRow[i])
                continue;
            double multiplier = 0.0;
            if (numeric) {
                multiplier = guardedDiv(matrix.entry(e).value, pivotValue);
                matrix.entry(e).value = multiplier;
            }
            int degree = m_degree[i] - 1;
            auto update = [&](int f, int u) {
                const double product = guardedMul(multiplier, matrix.entry(u).value);
                matrix.entry(f).value = guardedSub(matrix.entry(f).value, product);
            };
            auto fill = [&](int u) {
                const int column = matrix.entry(u).column;
                const double value =
                    numeric ? guardedSub(0.0, guardedMul(multiplier, matrix.entry(u).value)) : 0.0;
                const int f = matrix.addFillIn(i, column);
                matrix.entry(f).value = value;
                ++degree;
                if (!numeric)
                    ++m_columnCount[column];
            };
            if (matrix.rowLength(i) <= 2 * static_cast<int>(upper.size()) + 8) {
                // Short row: one walk finds the columns it shares with the pivot row.
                const int seen = ++m_stamp;
                for (int f = matrix.rowHead(i); f >= 0; f = matrix.entry(f).nextInRow) {
                    const int column = matrix.entry(f).column;
                    if (m_pivotStamp[column] != pivotStamp)
                        continue;
                    m_seenStamp[column] = seen;
                    if (numeric)
                        update(f, m_pivotRowEntry[column]);
                }
                for (int u : upper)
                    if (m_seenStamp[matrix.entry(u).column] != seen)
                        fill(u);
            } else {
                // Long row (a hub): look up each column of the pivot row instead, so the
                // cost follows the pivot row, not the length of this row.
                for (int u : upper) {
                    const int f = matrix.find(i, matrix.entry(u).column);
                    if (f < 0)
                        fill(u);
                    else if (numeric)
                        update(f, u);
                }
            }
            if (degree != m_degree[i]) {
                bucketRemove(i);
                bucketPushFront(i, degree);
            }
        }
    }
    return finish(true);
}

void EquationOrdering::formGroups(const SparseMatrix& matrix, Reporter& reporter)
{
    const int n = m_size;
    std::vector<int> pivotOf(static_cast<std::size_t>(n) + 1, 0);
    for (int k = 1; k <= n; ++k)
        pivotOf[m_equationAt[k]] = m_variableAt[k];

    std::vector<int> order; // equations in group order, each group in visiting order
    order.reserve(n);
    std::vector<int> stackRow, stackEntry; // iterative depth-first search
    int group = 0;
    for (int k = 1; k <= n; ++k) {
        const int start = m_equationAt[k];
        if (m_groupOfEquation[start] != 0)
            continue;
        ++group;
        m_groupFirst.push_back(static_cast<int>(order.size()) + 1);
        m_groupOfEquation[start] = group;
        order.push_back(start);
        stackRow.push_back(start);
        stackEntry.push_back(matrix.rowHead(start));
        while (!stackRow.empty()) {
            const int e = stackEntry.back();
            if (e < 0) {
                stackRow.pop_back();
                stackEntry.pop_back();
                continue;
            }
            const MatrixEntry& entry = matrix.entry(e);
            stackEntry.back() = entry.nextInRow;
            if (entry.fillIn)
                continue; // only the variables the equation itself contains
            const int position = m_positionOfVariable[entry.column];
            if (position == 0)
                continue;
            const int next = m_equationAt[position];
            if (m_groupOfEquation[next] != 0)
                continue;
            m_groupOfEquation[next] = group;
            order.push_back(next);
            stackRow.push_back(next);
            stackEntry.push_back(matrix.rowHead(next));
        }
        m_groupLast.push_back(static_cast<int>(order.size()));
    }

    for (int k = 1; k <= n; ++k) {
        const int equation = order[k - 1];
        const int variable = pivotOf[equation];
        m_equationAt[k] = equation;
        m_positionOfEquation[equation] = k;
        m_variableAt[k] = variable;
        m_positionOfVariable[variable] = k;
    }

    reporter.sendf("%4d", n);
    reporter.send(" equations solvable in ");
    reporter.sendf("%4d", group);
    reporter.send(" groups");
    reporter.send("\n");
}

void EquationOrdering::buildSchedule(const SparseMatrix& matrix)
{
    const int n = m_size;
    // Walking the pivot columns in position order lists every row's lower entries in
    // increasing column position, which is the order the elimination needs.
    auto walk = [&](auto&& visit) {
        for (int k = 1; k <= n; ++k) {
            const int group = m_groupOfEquation[m_equationAt[k]];
            for (int e = matrix.columnHead(m_variableAt[k]); e >= 0;
                 e = matrix.entry(e).nextInColumn) {
                const int row = matrix.entry(e).row;
                const int position = m_positionOfEquation[row];
                if (position == 0 || position == k || m_groupOfEquation[row] != group)
                    continue;
                visit(position, k, e);
            }
        }
    };
    std::vector<int> lowerCount(static_cast<std::size_t>(n) + 2, 0);
    std::vector<int> upperCount(static_cast<std::size_t>(n) + 2, 0);
    walk([&](int position, int k, int) { ++(position > k ? lowerCount : upperCount)[position]; });
    m_lowerStart.assign(static_cast<std::size_t>(n) + 2, 0);
    m_upperStart.assign(static_cast<std::size_t>(n) + 2, 0);
    for (int k = 1; k <= n; ++k) {
        m_lowerStart[k + 1] = m_lowerStart[k] + lowerCount[k];
        m_upperStart[k + 1] = m_upperStart[k] + upperCount[k];
    }
    m_lowerEntries.assign(m_lowerStart[n + 1], -1);
    m_upperEntries.assign(m_upperStart[n + 1], -1);
    std::vector<int> lowerCursor(m_lowerStart.begin(), m_lowerStart.end());
    std::vector<int> upperCursor(m_upperStart.begin(), m_upperStart.end());
    walk([&](int position, int k, int e) {
        if (position > k)
            m_lowerEntries[lowerCursor[position]++] = e;
        else
            m_upperEntries[upperCursor[position]++] = e;
    });
}

bool EquationOrdering::analyseSystem(SparseMatrix& matrix, const std::function<void()>& evaluateAll,
                                     const std::function<void(int group)>& evaluateGroup,
                                     Reporter& reporter, bool tryingIfMasks, int* errorEquation)
{
    matrix.removeFillIn();
    if (evaluateAll)
        evaluateAll();
    const int n = matrix.size();
    prepare(n);

    // Structural pass over all equations, then grouping.
    std::vector<int> rows(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        rows[i - 1] = i;
        m_candidate[i] = 1;
        m_columnCount[i] = 0;
    }
    bool ok = orderPass(matrix, rows, 1, Mode::Structural, reporter, tryingIfMasks, errorEquation);
    for (int i = 1; i <= n; ++i)
        m_candidate[i] = 0;
    if (!ok)
        return false;
    formGroups(matrix, reporter);

    // Numeric pass over every group at the group's own Jacobian values.
    std::vector<int> columns;
    for (int g = 1; g <= groupCount(); ++g) {
        if (evaluateGroup)
            evaluateGroup(g);
        const int first = m_groupFirst[g];
        const int last = m_groupLast[g];
        rows.clear();
        columns.clear();
        for (int k = first; k <= last; ++k) {
            const int row = m_equationAt[k];
            const int column = m_variableAt[k];
            rows.push_back(row);
            columns.push_back(column);
            m_candidate[column] = 1;
            m_positionOfVariable[column] = 0;
            m_positionOfEquation[row] = 0;
            for (int e = matrix.rowHead(row); e >= 0; e = matrix.entry(e).nextInRow)
                if (matrix.entry(e).fillIn)
                    matrix.entry(e).value = 0.0;
        }
        ok = orderPass(matrix, rows, first, Mode::Numeric, reporter, tryingIfMasks, errorEquation);
        for (int column : columns)
            m_candidate[column] = 0;
        if (!ok)
            return false;
    }

    buildSchedule(matrix);
    return true;
}

} // namespace varnel
