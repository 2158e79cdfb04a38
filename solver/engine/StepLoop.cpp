// The step loop of the algebraic solution, IF-branch selection and list-file steps.
#include "StepLoop.h"

#include "Compilation.h"
#include "GuardedMath.h"
#include "ResultTable.h"

#include <chrono>
#include <climits>
#include <functional>

namespace varnel {

bool StepLoop::ifConditionsHold(RunContext& context)
{
    for (const IfCondition& c : m_ifConditions) {
        const double v =
            context.evaluator.evaluateReal(c.code, context.set.variables.values.data());
        const bool holds = c.negated ? !(v > 0.0) : v > 0.0;
        if (!holds)
            return false;
    }
    return true;
}

void StepLoop::writeRow(ResultTable& table, RunContext& context, bool solved, int s)
{
    if (context.integrating && m_afterStep)
        table.writeIntegrationRow(m_columns, context.set.variables, solved, s,
                                  context.settings.showResults);
    else
        table.writeRow(context.set.variables, solved, s, context.settings.showResults);
}

void StepLoop::runSteps(RunContext& context, int total)
{
    saveVariables(context.set.variables, m_rememberedValues);
    if (traceEnabled()) {
        trace("Remember solution\n");
        for (int k = 1; k <= context.set.variables.count(); ++k)
            trace("%10.6f", context.set.variables.values[static_cast<std::size_t>(k)]);
        trace("\n");
    }
    m_success = false;
    if (!m_jacobian.buildStructure(context) || !m_newton.analyse(context, m_jacobian))
        return;

    context.reporter.send("\nSolving...\n");
    context.reporter.send(std::string(73, '-') + "\n");
    const auto start = std::chrono::steady_clock::now();

    context.reporter.runError = false;
    int s = 0;
    bool solveThisStep = true;
    m_success = true;
    ResultTable table(context.stream(Stream::Results), context.reporter);
    while (m_success && solveThisStep && !context.reporter.runError &&
           !(m_newton.dampingExhausted() && s > 0) && s < total) {
        if (context.stream(Stream::ListFile).isOpen() && s > 0 && !m_listFile.readLine(context)) {
            solveThisStep = false;
            break;
        }
        context.reporter.runError = false;
        PhaseClock iterationClock(context.times.iterations);
        solveStep(context);
        iterationClock.stop();
        m_newton.setDampingExhausted(false);
        if (m_success && ifConditionsHold(context)) {
            if (s == 0)
                m_newton.reportStep(context);
            writeRow(table, context, true, s);
            if (m_afterStep)
                m_afterStep(context);
            ++s;
            ++context.stepNumber;
            if (m_advance && !context.reporter.runError)
                m_advance(context, context.stepNumber - 1);
            saveVariables(context.set.variables, m_rememberedValues);
        } else {
            if (context.lastTry) {
                if (!context.settings.showResults)
                    context.reporter.sendf("Step no : %d\n", s);
                m_newton.reportStep(context);
                if (m_success)
                    context.reporter.send(" IFs not OK");
            } else {
                restoreVariables(context.set.variables, m_rememberedValues);
            }
            m_success = false;
            m_newton.setDampingExhausted(true);
            writeRow(table, context, false, s);
        }
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    context.reporter.sendf("Solved for %.3lf seconds\n",
                           static_cast<double>(elapsed.count() / 1000) +
                               static_cast<double>(elapsed.count() % 1000) * 0.001);
    m_jacobian.release();
}

void StepLoop::solveStep(RunContext& context)
{
    bool solved = false;
    if (context.settings.method == method::Homotopy) {
        m_homotopy.solve(context, m_jacobian, m_newton);
        solved = m_homotopy.succeeded();
    } else {
        trace("\nIn DoRegularSolution\n");
        m_newton.iterate(context, m_jacobian, true);
        solved = m_newton.converged(context);
    }
    m_success = solved && !m_newton.singular();
}

int StepLoop::countIfTokens(const RunContext& context) const
{
    int k = 0;
    for (const Equation& eq : context.set.equations)
        for (const Token& t : eq.code)
            if (t.kind == kind::Binary && t.op == 'F')
                ++k;
    return k;
}

namespace {

/// Copies the prefix operand at `pos` into `out` with every IF resolved to one branch.
/// IFs are numbered in stored (postfix) token order; `numberOf` gives the number of the
/// IF at each prefix position.
std::size_t resolveIfs(const Chain& prefix, std::size_t pos, const std::vector<int>& numberOf,
                       const std::function<bool(int)>& takeElse, Chain& out,
                       std::vector<std::pair<Chain, bool>>& conditions)
{
    const Token& t = prefix[pos];
    if (t.kind == kind::Binary && t.op == 'F' && pos + 1 < prefix.size() &&
        prefix[pos + 1].kind == kind::Binary && prefix[pos + 1].op == 'H') {
        // F, H, else, then, condition
        const std::size_t elseStart = pos + 2;
        const std::size_t thenStart = operandEnd(prefix, elseStart);
        const std::size_t condStart = operandEnd(prefix, thenStart);
        const std::size_t end = operandEnd(prefix, condStart);
        const bool useElse = takeElse(numberOf[pos]);
        Chain condition;
        resolveIfs(prefix, condStart, numberOf, takeElse, condition, conditions);
        conditions.emplace_back(toPostfix(condition), useElse);
        resolveIfs(prefix, useElse ? elseStart : thenStart, numberOf, takeElse, out, conditions);
        return end;
    }
    out.push_back(t);
    switch (t.kind) {
    case kind::Binary: {
        std::size_t next = resolveIfs(prefix, pos + 1, numberOf, takeElse, out, conditions);
        return resolveIfs(prefix, next, numberOf, takeElse, out, conditions);
    }
    case kind::Unary:
        return resolveIfs(prefix, pos + 1, numberOf, takeElse, out, conditions);
    default:
        return pos + 1;
    }
}

} // namespace

void StepLoop::chooseBranches(RunContext& context, unsigned mask)
{
    m_ifConditions.clear();
    int base = 0;
    for (std::size_t e = 0; e < context.set.equations.size(); ++e) {
        const Chain prefix = toPrefix(m_savedEquations[e].code);
        std::vector<int> numberOf(prefix.size(), -1);
        int count = 0;
        for (std::size_t p = prefix.size(); p-- > 0;)
            if (prefix[p].kind == kind::Binary && prefix[p].op == 'F')
                numberOf[p] = base + count++;
        auto takeElse = [&](int number) {
            if (context.ifMode == 0)
                return static_cast<double>(context.random()) / 32767.0 > 0.5;
            return number < 31 && (mask & (1u << number)) != 0;
        };
        Chain out;
        std::vector<std::pair<Chain, bool>> conditions;
        if (!prefix.empty())
            resolveIfs(prefix, 0, numberOf, takeElse, out, conditions);
        for (auto& [code, negated] : conditions)
            m_ifConditions.push_back({std::move(code), negated});
        context.set.equations[e].code = toPostfix(out);
        base += count;
    }
}

bool StepLoop::solveAlgebraic(RunContext& context)
{
    context.stepNumber = 1;
    if (!compileIfNeeded(context) || !checkSize(context))
        return false;

    const int k = context.ifHandling ? countIfTokens(context) : 0;
    long masks = k >= 31 ? INT_MAX : (1L << k);
    if (!context.ifHandling || masks <= 1) {
        context.ifMode = 2;
    } else if (masks <= 32) {
        context.ifMode = 1;
    } else {
        masks = 32;
        context.ifMode = 0;
    }
    m_savedEquations = context.set.equations;
    const int method = context.settings.method;
    const int jacobianMethod = context.settings.jacobianMethod;
    m_success = false;
    m_ifConditions.clear();

    if (context.ifMode == 2) {
        context.lastTry = true;
        context.reporter.runError = false;
        runSteps(context, 1);
    } else if (context.settings.method != method::Homotopy) {
        for (long mask = 1; mask <= masks; ++mask) {
            context.reporter.send("IF MASK: ");
            context.reporter.sendf("%4ld", mask);
            chooseBranches(context, static_cast<unsigned>(mask));
            m_jacobian.invalidate();
            context.lastTry = mask == masks;
            context.reporter.runError = false;
            runSteps(context, 1);
            if (m_success)
                break;
        }
    }
    if (context.settings.autoHomotopy && !m_success)
        context.settings.method = method::Homotopy;
    if (context.settings.method == method::Homotopy && !m_success) {
        context.reporter.send("\n");
        context.reporter.send("Performing Homotopy Transformation ");
        context.set.equations = m_savedEquations;
        m_ifConditions.clear();
        context.lastTry = true;
        context.reporter.runError = false;
        m_homotopy.transform(context, m_jacobian);
        runSteps(context, 1);
        m_homotopy.remove(context, m_jacobian);
    }
    context.settings.method = method;
    context.settings.jacobianMethod = jacobianMethod;
    context.set.equations = m_savedEquations;
    m_jacobian.invalidate();
    return m_success;
}

bool StepLoop::repeatSteps(RunContext& context)
{
    context.stepNumber = 1;
    if (!compileIfNeeded(context) || !checkSize(context))
        return false;
    context.ifMode = 2;
    context.lastTry = true;
    while (context.stepNumber <= context.stepTotal && !context.reporter.runError) {
        runSteps(context, context.stepTotal - context.stepNumber + 1);
        if (!m_success || m_listFile.exhausted())
            break;
    }
    context.needsCompilation = false;
    const int ran = context.stepNumber - 1;
    if (m_listFile.exhausted() && ran < context.stepTotal && !context.reporter.runError) {
        context.reporter.sendf("The list file holds %d cases: %d of %d steps ran", ran, ran,
                               context.stepTotal);
        context.reporter.send("\n");
    }
    return m_success;
}

bool StepLoop::compileIfNeeded(RunContext& context)
{
    // The equations are new (read, or restored after a solution): derivatives anew.
    m_jacobian.invalidate();
    return !context.needsCompilation || compileEquations(context, m_listFile);
}

} // namespace varnel
