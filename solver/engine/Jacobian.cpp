// Building and evaluating the Jacobian of a run.
#include "Jacobian.h"

#include "GuardedMath.h"

#include <system_error>

namespace varnel {

Jacobian::~Jacobian()
{
    try {
        finishListing();
    } catch (...) {
        // A listing that could not be written is no reason to fail the destruction.
    }
}

void Jacobian::finishListing()
{
    if (m_writer.valid())
        m_writer.get();
}

void Jacobian::release()
{
    finishListing();
    m_matrix.reset(0);
}

bool Jacobian::buildStructure(RunContext& context)
{
    const int n = context.set.equationCount();
    if (context.settings.jacobianMethod != jacobian::Symbolic) {
        PhaseClock clock(context.times.structure);
        buildIncrementalStructure(context.set, m_matrix);
        return true;
    }
    if (m_derivativesNeeded) {
        finishListing();
        PhaseClock clock(context.times.differentiation);
        m_differentiator.complexMode = context.settings.complexMode;
        const bool complete =
            differentiateEquations(context.set, m_differentiator, context.reporter,
                                   context.settings.showDerivatives, m_derivatives);
        clock.stop();
        // The listing is a product for users and exports, not the way in: it is formatted
        // and written while the iterations run.
        // m_derivatives stays unchanged until finishListing() has waited for the writer.
        double& writing = context.times.writing;
        auto write = [this, path = context.files.listing, &writing] {
            PhaseClock writeClock(writing);
            writeListingFile(m_listingFile, path, listingText(m_derivatives));
        };
        try {
            m_writer = std::async(std::launch::async, write);
        } catch (const std::system_error&) {
            write(); // no thread to be had: written here and now
        }
        if (!complete)
            return false;
        m_derivativesNeeded = false;
    }
    PhaseClock clock(context.times.structure);
    buildSymbolicStructure(m_derivatives, n, m_matrix);
    return true;
}

void Jacobian::evaluate(RunContext& context, const EquationOrdering& ordering, int group,
                        const std::function<void(int equation)>& onFailure)
{
    EquationSet& set = context.set;
    Evaluator& evaluator = context.evaluator;
    Reporter& reporter = context.reporter;
    const int first = group > 0 ? ordering.groupFirst(group) : 1;
    const int last = group > 0 ? ordering.groupLast(group) : set.equationCount();
    double* values = set.variables.values.data();
    auto failed = [&](int equation) {
        reporter.send("Error Evaluating Jacobian for Equation ");
        reporter.sendf("%d", equation);
        reporter.send("\n");
        reporter.send(evaluator.error().message());
        reporter.send("\n"); // ends the message's line: the next message starts its own
        onFailure(equation);
    };
    const bool incremental = context.settings.jacobianMethod == jacobian::Incremental;
    const double deltaJ = context.settings.deltaJ;
    for (int p = first; p <= last; ++p) {
        const int i = group > 0 ? ordering.equationAt(p) : p;
        if (incremental) {
            // Fill-in positions hold no derivative of their own.
            for (int e = m_matrix.rowHead(i); e >= 0; e = m_matrix.entry(e).nextInRow)
                m_matrix.entry(e).value = 0.0;
            const Chain& code = set.equation(i).code;
            const double f0 = evaluator.evaluateReal(code, values);
            if (evaluator.error().mark())
                failed(i);
            for (std::uint32_t j : variablesOf(code)) {
                const int e = m_matrix.find(i, static_cast<int>(j));
                if (e < 0)
                    continue;
                const double saved = values[j];
                values[j] = guardedAdd(saved, deltaJ);
                const double f1 = evaluator.evaluateReal(code, values);
                const bool error = evaluator.error().mark();
                values[j] = saved;
                if (error)
                    failed(i);
                m_matrix.entry(e).value = guardedDiv(guardedSub(f1, f0), deltaJ);
                trace("J(%d,%u)=%.6f\n", i, j, m_matrix.entry(e).value);
            }
            continue;
        }
        for (int e = m_matrix.rowHead(i); e >= 0; e = m_matrix.entry(e).nextInRow) {
            MatrixEntry& entry = m_matrix.entry(e);
            if (entry.code.empty()) {
                entry.value = 0.0;
                continue;
            }
            entry.value = evaluator.evaluateReal(entry.code, values);
            if (evaluator.error().mark())
                failed(i);
            trace("J(%d,%d)=%.6f\n", entry.row, entry.column, entry.value);
        }
    }
}

} // namespace varnel
