// The Jacobian of a run: its sparse structure and the evaluation of its entries. With
// the SYMBOLIC method every equation is differentiated once (again after the equations
// change), the folded derivatives stay in memory as the entries' code, and the listing
// file is written from them as a product; with INCREMENTAL each entry is a forward
// difference with the step Delta J. Fed by the compiled equation set; read by the
// ordering and the Newton iteration.
#pragma once

#include "Differentiator.h"
#include "EquationOrdering.h"
#include "JacobianListing.h"
#include "RunContext.h"
#include "SparseMatrix.h"
#include "TextFile.h"

#include <functional>
#include <future>
#include <vector>

namespace varnel {

class Jacobian {
public:
    explicit Jacobian(Reporter& reporter) : m_differentiator(reporter) {}
    ~Jacobian();
    Jacobian(const Jacobian&) = delete;
    Jacobian& operator=(const Jacobian&) = delete;

    /// The equations changed: the next structure differentiates them again.
    void invalidate() { m_derivativesNeeded = true; }

    /// The structure for a step, in context.settings' method. SYMBOLIC: when the
    /// derivatives are needed, differentiates every equation (in the run's complex mode)
    /// and starts writing the listing file on a second thread; false when the derivatives
    /// are incomplete (reported; the solution is not attempted). INCREMENTAL: one entry
    /// per equation and variable of it.
    bool buildStructure(RunContext& context);

    /// Sets the values of the entries of a group's rows (every row for group 0) at the
    /// current variable values. An evaluation failure sends "Error Evaluating Jacobian
    /// for Equation ", the number, "\n" and the evaluator's message, then calls
    /// onFailure(equation).
    void evaluate(RunContext& context, const EquationOrdering& ordering, int group,
                  const std::function<void(int equation)>& onFailure);

    /// Waits until the listing file is written and closed (the end of a step loop, and
    /// at the latest before the run returns).
    void finishListing();
    /// End of a step loop: the listing finished, the matrix emptied.
    void release();

    SparseMatrix& matrix() { return m_matrix; }
    const SparseMatrix& matrix() const { return m_matrix; }

private:
    Differentiator m_differentiator;
    SparseMatrix m_matrix;
    std::vector<EquationDerivative> m_derivatives;
    bool m_derivativesNeeded = true;
    TextFile m_listingFile;
    std::future<void> m_writer;
};

} // namespace varnel
