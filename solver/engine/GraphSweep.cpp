// Checking a graph request, appending the equations that hold the swept variables, and
// moving them from point to point.
#include "GraphSweep.h"

#include "Code.h"

#include <cmath>
#include <cstdio>

namespace varnel {

namespace {

Chain heldValueEquation(std::uint32_t variable, double value)
{
    return {makeVariable(variable), makeConstant(value), makeBinaryToken('-'),
            makeToken(kind::End, ' ', 0, 0.0)};
}

int appendHeldValue(EquationSet& set, int variable, double value)
{
    Equation eq;
    eq.code = heldValueEquation(static_cast<std::uint32_t>(variable), value);
    eq.relation = '=';
    set.equations.push_back(std::move(eq));
    return set.equationCount();
}

/// Value of point k of n steps from `from` to `to`; the last point is `to` itself.
double pointValue(double from, double to, int k, int n)
{
    if (k >= n)
        return to;
    return from + static_cast<double>(k) * ((to - from) / static_cast<double>(n));
}

} // namespace

bool GraphSweep::fail(RunContext& context, const std::string& message) const
{
    context.reporter.send("\n");
    context.reporter.send(message);
    context.reporter.raiseError();
    return false;
}

bool GraphSweep::prepare(RunContext& context, const GraphRequest& request)
{
    EquationSet& set = context.set;
    const int count = set.variables.count();
    auto variableAt = [count](std::int32_t index) {
        return index >= 0 && index < count ? index + 1 : 0;
    };

    m_parametric = request.parametric != 0 && request.forFft == 0;
    m_independent = variableAt(request.independentIndex);
    if (m_independent == 0)
        return fail(context, "Graph request: the independent variable (" +
                                 std::to_string(request.independentIndex) +
                                 ") is not a variable of the equations");
    m_from = request.independentFrom;
    m_to = request.independentTo;
    m_steps = request.stepCount;
    if (!std::isfinite(m_from) || !std::isfinite(m_to) || !(m_from < m_to))
        return fail(context, "Value \"From\" must be less than \"To\" value!!");
    if (m_steps < 1)
        return fail(context, "Graph request: the number of steps must be at least 1");

    long points = static_cast<long>(m_steps) + 1;
    if (m_parametric) {
        m_parameter = variableAt(request.parameterIndex);
        if (m_parameter == 0)
            return fail(context, "Graph request: the parameter variable (" +
                                     std::to_string(request.parameterIndex) +
                                     ") is not a variable of the equations");
        if (m_parameter == m_independent)
            return fail(context,
                        "Graph request: the parameter must differ from the independent variable");
        m_parameterFrom = request.parameterFrom;
        m_parameterTo = request.parameterTo;
        m_parameterSteps = request.parameterSteps;
        if (!std::isfinite(m_parameterFrom) || !std::isfinite(m_parameterTo))
            return fail(context, "Graph request: the parameter's From and To must be numbers");
        if (m_parameterSteps < 1)
            return fail(context, "Graph request: the number of parameter steps must be at least 1");
        points *= static_cast<long>(m_parameterSteps) + 1;
    }
    if (points > kMaxGraphPoints || static_cast<long>(m_steps) + 1 > kMaxGraphPoints)
        return fail(context, "Graph request: more than " + std::to_string(kMaxGraphPoints) +
                                 " points asked for");

    const int held = m_parametric ? 2 : 1;
    if (set.equationCount() + held != count)
        return fail(context, "Graph generation: the equations must leave " +
                                 std::string(m_parametric ? "the independent variable and the "
                                                            "parameter free, but there are "
                                                          : "the independent variable free, but "
                                                            "there are ") +
                                 std::to_string(set.equationCount()) + " equations for " +
                                 std::to_string(count) + " variables");

    TextFile& table = context.stream(Stream::Results);
    if (request.forFft != 0) {
        table.close();
        if (!table.openProduct(context.files.baseName + ".FFT"))
            return fail(context, "Unable to open file for output");
    }

    m_parameterEquation = 0;
    if (m_parametric) {
        char line[64];
        std::snprintf(line, sizeof line, "PARAMETER:%10s  %7d",
                      set.variables.names[static_cast<std::size_t>(m_parameter)].c_str(),
                      m_parameter - 1);
        table.writeString(line);
        table.writeLineEnd();
        set.variables.values[static_cast<std::size_t>(m_parameter)] = m_parameterFrom;
        m_parameterEquation = appendHeldValue(set, m_parameter, m_parameterFrom);
    }
    set.variables.values[static_cast<std::size_t>(m_independent)] = m_from;
    m_independentEquation = appendHeldValue(set, m_independent, m_from);
    context.settings.deltaT = (m_to - m_from) / static_cast<double>(m_steps);
    context.stepTotal = static_cast<int>(points);
    m_sweepStart.clear();
    return true;
}

void GraphSweep::hold(RunContext& context, int equation, int variable, double value) const
{
    context.set.variables.values[static_cast<std::size_t>(variable)] = value;
    context.set.equation(equation).code =
        heldValueEquation(static_cast<std::uint32_t>(variable), value);
}

void GraphSweep::advance(RunContext& context, int solvedSteps)
{
    const int perSweep = pointsPerSweep();
    const int point = solvedSteps % perSweep;
    const int sweep = solvedSteps / perSweep;
    if (point == 1)
        m_sweepStart = context.set.variables.values; // the first point just solved
    if (point == 0 && m_parametric) {
        if (m_sweepStart.size() == context.set.variables.values.size())
            context.set.variables.values = m_sweepStart;
        hold(context, m_parameterEquation, m_parameter,
             pointValue(m_parameterFrom, m_parameterTo, sweep, m_parameterSteps));
    }
    hold(context, m_independentEquation, m_independent, pointValue(m_from, m_to, point, m_steps));
}

} // namespace varnel
