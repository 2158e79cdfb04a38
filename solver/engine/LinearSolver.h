// The linear solver of the Newton iteration: factorises one group's block of the sparse
// Jacobian in place, in the elimination order and with the pivots fixed by the equation
// ordering, then solves for the group's correction by forward and backward substitution,
// refining a correction that a pivot grown tiny since the ordering has spoiled.
// All arithmetic is guarded (BIG, TINY, UNDEFINED).
#pragma once

#include "EquationOrdering.h"
#include "SparseMatrix.h"

#include <vector>

namespace varnel {

/// The dense scratch of the elimination: values and one-byte marks indexed by column.
/// Only the columns a row update touches are set, and they are cleared one by one
/// afterwards, so the vectors stay zero between uses.
struct EliminationWorkspace {
    std::vector<double> values;
    std::vector<unsigned char> marks;
    /// Makes room for columns 1..columns (keeps the vectors zero).
    void reserve(int columns);
};

/// Gaussian elimination of a group's block without row exchanges. Afterwards the entries
/// left of each diagonal hold the multipliers and the diagonal and the entries right of
/// it the eliminated row. Fill-in entries start from zero. The entries of the group's
/// rows must hold fresh Jacobian values.
void factorGroup(SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                 EliminationWorkspace& workspace);

/// Keeps the values of a group's block (fill-in as 0) in `block`, indexed by entry, so
/// that a solution can be checked against the block after `factorGroup` has overwritten it.
void keepGroupValues(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                     std::vector<double>& block);

/// Solves the factorised block of a group. On entry work[position] is the residual of
/// equationAt(position) for the group's positions; on return it is the correction of
/// variableAt(position). Other elements of `work` are left alone.
void solveGroup(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                std::vector<double>& work);

/// Iterative refinement of a solution from `solveGroup`. `rhs` holds the group's residuals
/// and `block` the values kept by `keepGroupValues`. When the solution fails the block by
/// more than rounding allows, which happens when a pivot fixed by the ordering has become
/// tiny at the current values, the remainder is solved with the same factors and added, at
/// most a few times and only while it shrinks. Solutions holding BIG or UNDEFINED are left
/// as they are. `scratch` is working room indexed like `work`. Returns the number of
/// corrections kept.
int refineGroupSolution(const SparseMatrix& matrix, const EquationOrdering& ordering, int group,
                        const std::vector<double>& block, const std::vector<double>& rhs,
                        std::vector<double>& work, std::vector<double>& scratch);

} // namespace varnel
