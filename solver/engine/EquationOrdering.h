// Elimination order, pivots and groups of the equation system. An ordering pass picks the
// equation with the fewest unassigned entries, chooses its pivot (structurally or by
// magnitude) and eliminates it symbolically or numerically, adding fill-in to the
// sparse matrix; the structural pass also splits the system into groups that are solved
// one after another. Fed by the Jacobian structure and values; read by the linear solver.
#pragma once

#include "SparseMatrix.h"

#include <functional>
#include <span>
#include <vector>

namespace varnel {

class Reporter;

/// The equation ordered next is the front of the lowest non-empty degree bucket. A pass
/// fills the buckets in the order of its rows (equation numbers for the structural pass,
/// the structural order of the group for a numeric pass); an equation whose count of
/// unassigned entries changes moves to the front of its new bucket. Structural pivots
/// compare the entries a column holds in rows not yet ordered.
class EquationOrdering {
public:
    /// The whole analysis for a step: drops the fill-in of an earlier analysis, calls
    /// evaluateAll() (which may create the structure), runs a structural pass over all
    /// equations with grouping, then for every group g calls evaluateGroup(g) and runs a
    /// numeric pass over it. Returns false when the system is singular or the run error
    /// is set; an equation found singular is stored in *errorEquation (may be null).
    bool analyseSystem(SparseMatrix& matrix, const std::function<void()>& evaluateAll,
                       const std::function<void(int group)>& evaluateGroup, Reporter& reporter,
                       bool tryingIfMasks, int* errorEquation);

    bool singular() const { return m_singular; }
    int equationCount() const { return m_size; }
    int groupCount() const { return static_cast<int>(m_groupFirst.size()) - 1; }
    /// First and last position of a group (groups and positions are 1-based).
    int groupFirst(int group) const { return m_groupFirst[group]; }
    int groupLast(int group) const { return m_groupLast[group]; }
    /// Equation placed at a position, and the variable that is its pivot.
    int equationAt(int position) const { return m_equationAt[position]; }
    int variableAt(int position) const { return m_variableAt[position]; }
    /// 0 when the equation / variable has no position.
    int positionOfEquation(int equation) const { return m_positionOfEquation[equation]; }
    int positionOfVariable(int variable) const { return m_positionOfVariable[variable]; }
    int groupOfEquation(int equation) const { return m_groupOfEquation[equation]; }

    /// Elimination schedule of the row at a position, restricted to its group's block:
    /// entries left of the diagonal in increasing column position (they hold the
    /// multipliers after factorisation), and entries right of the diagonal.
    std::span<const int> lowerEntries(int position) const;
    std::span<const int> upperEntries(int position) const;

private:
    enum class Mode { Structural, Numeric };

    void prepare(int n);
    /// One ordering pass over `rows` (in their given order), filling positions
    /// first, first + 1, ... among the columns marked candidates.
    bool orderPass(SparseMatrix& matrix, const std::vector<int>& rows, int first, Mode mode,
                   Reporter& reporter, bool tryingIfMasks, int* errorEquation);
    void formGroups(const SparseMatrix& matrix, Reporter& reporter);
    void buildSchedule(const SparseMatrix& matrix);
    void reportSingular(int equation, const char* text, Reporter& reporter, bool tryingIfMasks,
                        int* errorEquation);

    // Degree buckets: doubly linked lists of rows by their count of unassigned entries.
    void bucketPushFront(int row, int degree);
    void bucketPushBack(int row, int degree);
    void bucketRemove(int row);

    int m_size = 0;
    bool m_singular = false;

    std::vector<int> m_positionOfEquation, m_positionOfVariable;
    std::vector<int> m_equationAt, m_variableAt;
    std::vector<int> m_groupFirst{0}, m_groupLast{0}, m_groupOfEquation;

    std::vector<int> m_lowerStart, m_lowerEntries, m_upperStart, m_upperEntries;

    // Work state of a pass, sized once per analysis.
    std::vector<int> m_degree, m_bucketHead, m_bucketTail, m_bucketNext, m_bucketPrev;
    std::vector<int> m_columnCount;         // entries of unordered rows per column
    std::vector<unsigned char> m_activeRow; // row takes part in the pass and is unordered
    std::vector<unsigned char> m_candidate; // column may still become a pivot in the pass
    std::vector<int> m_pivotRowEntry;       // column -> entry of the pivot row (when stamped)
    std::vector<int> m_pivotStamp, m_seenStamp;
    int m_stamp = 0;
    int m_minDegree = 0;
};

} // namespace varnel
