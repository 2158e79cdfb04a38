// The algebraic solution of a run: the size check, the IF-branch masks, automatic
// homotopy, the step loop that runs one Newton (or homotopy) solution per step and
// writes a result row per step, and repeated steps driven by an attached list file.
#include "CVarnel.h"

#include "GuardedMath.h"
#include "JacobianListing.h"
#include "NumberText.h"
#include "ResultTable.h"

#include <chrono>
#include <memory>
#include <climits>
#include <cstring>

using namespace varnel;

namespace {
constexpr std::size_t kListHeaderLimit = 1255;
constexpr std::size_t kListLineLimit = 255;
constexpr std::uint8_t kStartValueMark = 0xBB;

bool isListSeparator(char c) { return c == ' ' || c == '\t' || c == ';' || c == '\r'; }

std::vector<std::string> splitListLine(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isListSeparator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isListSeparator(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}
} // namespace

bool CVarnel::prepareStructure()
{
    const int n = set.equationCount();
    const std::string listing = baseName + ".JAC";
    auto listingClock = std::make_unique<PhaseClock>(phaseTimes.listing);
    if (settings.jacobianMethod == JACOBIAN_SYMBOLIC) {
        if (listingNeeded) {
            listingNeeded = !writeJacobianListing(set, streams[Jacobian], listing, differentiator, reporter,
                                                  settings.showDerivatives);
            if (listingNeeded)
                return false;
        }
        if (!readJacobianStructure(streams[Jacobian], listing, n, set.variables.count(), matrix, reporter))
            return false;
    } else {
        buildIncrementalStructure(set, matrix);
    }
    listingClock.reset();
    PhaseClock groupingClock(phaseTimes.grouping);
    errorEquation = 0;
    const bool ok = ordering.analyseSystem(
        matrix, [this] { evaluateJacobian(0); }, [this](int g) { evaluateJacobian(g); }, reporter, ifMode != 2,
        &errorEquation);
    return ok && !ordering.singular() && !reporter.runError;
}

bool CVarnel::ifConditionsHold()
{
    for (const IfCondition& c : ifConditions) {
        const double v = evaluator.evaluateReal(c.code, set.variables.values.data());
        const bool holds = c.negated ? !(v > 0.0) : v > 0.0;
        if (!holds)
            return false;
    }
    return true;
}

void CVarnel::runSteps(int total)
{
    saveVariables(set.variables, rememberedValues);
    if (traceEnabled()) {
        trace("Remember solution\n");
        for (int k = 1; k <= set.variables.count(); ++k)
            trace("%10.6f", set.variables.values[static_cast<std::size_t>(k)]);
        trace("\n");
    }
    success = false;
    if (!prepareStructure())
        return;

    reporter.send("\nSolving...\n");
    reporter.send(std::string(73, '-') + "\n");
    const auto start = std::chrono::steady_clock::now();

    reporter.runError = false;
    stepSingular = false;
    int s = 0;
    bool solveThisStep = true;
    success = true;
    ResultTable table(streams[Results], reporter);
    while (success && solveThisStep && !reporter.runError && !(dampingExhausted && s > 0) && s < total) {
        if (streams[ListFile].isOpen() && s > 0 && !readListFileLine()) {
            solveThisStep = false;
            break;
        }
        reporter.runError = false;
        bool solved = false;
        PhaseClock iterationClock(phaseTimes.iterations);
        if (settings.method == METHOD_HOMOTOPY) {
            doHomotopySolution();
            solved = homotopySucceeded;
        } else {
            doRegularSolution();
            solved = converged();
        }
        success = solved && !ordering.singular();
        dampingExhausted = false;
        if (success && ifConditionsHold()) {
            if (s == 0)
                reportStep();
            table.writeRow(set.variables, true, s, settings.showResults);
            ++s;
            ++stepNumber;
            saveVariables(set.variables, rememberedValues);
        } else {
            if (lastTry) {
                if (!settings.showResults)
                    reporter.sendf("Step no : %d\n", s);
                reportStep();
                if (success)
                    reporter.send(" IFs not OK");
            } else {
                restoreVariables(set.variables, rememberedValues);
            }
            success = false;
            dampingExhausted = true;
            table.writeRow(set.variables, false, s, settings.showResults);
        }
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    reporter.sendf("Solved for %.3lf seconds\n", static_cast<double>(elapsed.count() / 1000) +
                                                     static_cast<double>(elapsed.count() % 1000) * 0.001);
    matrix.reset(0);
    streams[Jacobian].close();
}

int CVarnel::countIfTokens() const
{
    int k = 0;
    for (const Equation& eq : set.equations)
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
    if (t.kind == kind::Binary && t.op == 'F' && pos + 1 < prefix.size() && prefix[pos + 1].kind == kind::Binary &&
        prefix[pos + 1].op == 'H') {
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

void CVarnel::chooseBranches(unsigned mask)
{
    ifConditions.clear();
    int base = 0;
    for (std::size_t e = 0; e < set.equations.size(); ++e) {
        const Chain prefix = toPrefix(savedEquations[e].code);
        std::vector<int> numberOf(prefix.size(), -1);
        int count = 0;
        for (std::size_t p = prefix.size(); p-- > 0;)
            if (prefix[p].kind == kind::Binary && prefix[p].op == 'F')
                numberOf[p] = base + count++;
        auto takeElse = [&](int number) {
            if (ifMode == 0)
                return static_cast<double>(random()) / 32767.0 > 0.5;
            return number < 31 && (mask & (1u << number)) != 0;
        };
        Chain out;
        std::vector<std::pair<Chain, bool>> conditions;
        if (!prefix.empty())
            resolveIfs(prefix, 0, numberOf, takeElse, out, conditions);
        for (auto& [code, negated] : conditions)
            ifConditions.push_back({std::move(code), negated});
        set.equations[e].code = toPostfix(out);
        base += count;
    }
}

bool CVarnel::solveAlgebraic()
{
    stepNumber = 1;
    if (needsCompilation && !compile())
        return false;
    if (!checkSize())
        return false;

    const int k = ifHandling ? countIfTokens() : 0;
    long masks = k >= 31 ? INT_MAX : (1L << k);
    if (!ifHandling || masks <= 1) {
        ifMode = 2;
    } else if (masks <= 32) {
        ifMode = 1;
    } else {
        masks = 32;
        ifMode = 0;
    }
    savedEquations = set.equations;
    const int method = settings.method;
    const int jacobianMethod = settings.jacobianMethod;
    success = false;
    ifConditions.clear();

    if (ifMode == 2) {
        lastTry = true;
        reporter.runError = false;
        runSteps(1);
    } else if (settings.method != METHOD_HOMOTOPY) {
        for (long mask = 1; mask <= masks; ++mask) {
            reporter.send("IF MASK: ");
            reporter.sendf("%4ld", mask);
            chooseBranches(static_cast<unsigned>(mask));
            listingNeeded = true;
            lastTry = mask == masks;
            reporter.runError = false;
            runSteps(1);
            if (success)
                break;
        }
    }
    if (settings.autoHomotopy && !success)
        settings.method = METHOD_HOMOTOPY;
    if (settings.method == METHOD_HOMOTOPY && !success) {
        reporter.send("\n");
        reporter.send("Performing Homotopy Transformation ");
        set.equations = savedEquations;
        ifConditions.clear();
        lastTry = true;
        reporter.runError = false;
        homotopyTransform();
        runSteps(1);
        removeHomotopy();
    }
    settings.method = method;
    settings.jacobianMethod = jacobianMethod;
    set.equations = savedEquations;
    listingNeeded = true;
    return success;
}

bool CVarnel::openListFile()
{
    listNames.clear();
    listStartValue.clear();
    listLine = 0;
    if (!settings.listFileAttached)
        return false;
    TextFile& list = streams[ListFile];
    list.suppressMessages = true;
    if (!list.openRead(settings.listFileName)) {
        reporter.send("File ");
        reporter.send(settings.listFileName);
        reporter.send(" Does Not Exist");
        settings.listFileAttached = false;
        return false;
    }
    std::string header(kListHeaderLimit + 1, '\0');
    header.resize(list.readLine(header.data(), kListHeaderLimit));
    list.skipLine();
    for (std::string name : splitListLine(header)) {
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        bool start = false;
        if (!name.empty() && static_cast<std::uint8_t>(name.back()) == kStartValueMark) {
            name.pop_back();
            start = true;
        }
        listNames.push_back(name.substr(0, kMaxNameLength));
        listStartValue.push_back(start);
    }
    return true;
}

bool CVarnel::readListFileLine()
{
    TextFile& list = streams[ListFile];
    if (!list.isOpen() || list.eof()) {
        listExhausted = true;
        return false;
    }
    std::string line(kListLineLimit + 1, '\0');
    line.resize(list.readLine(line.data(), kListLineLimit));
    list.skipLine();
    ++listLine;
    const std::vector<std::string> words = splitListLine(line);
    if (words.empty()) {
        listExhausted = true;
        return false;
    }
    if (words.size() != listNames.size()) {
        reporter.send("\n");
        reporter.sendf("List file line %d has %d values for %d names", listLine + 1, static_cast<int>(words.size()),
                       static_cast<int>(listNames.size()));
        reporter.raiseError();
        return false;
    }
    int next = listEquationFirst;
    for (std::size_t c = 0; c < words.size(); ++c) {
        double value = 0.0;
        if (!parseDecimal(words[c], value)) {
            reporter.send("\n");
            reporter.sendf("List file line %d: \"%s\" is not a number", listLine + 1, words[c].c_str());
            reporter.raiseError();
            return false;
        }
        const int variable = set.variables.find(listNames[c]);
        if (variable == 0)
            continue; // checked when the file was read
        set.variables.values[static_cast<std::size_t>(variable)] = value;
        if (!listStartValue[c] && next > 0 && next <= set.equationCount()) {
            Chain code = {makeVariable(static_cast<std::uint32_t>(variable)), makeConstant(value),
                          makeBinaryToken('-'), makeToken(kind::End, ' ', 0, 0.0)};
            set.equation(next).code = std::move(code);
            ++next;
        }
    }
    return true;
}

void CVarnel::repeatSteps()
{
    stepNumber = 1;
    if (needsCompilation && !compile())
        return;
    if (!checkSize())
        return;
    ifMode = 2;
    lastTry = true;
    while (stepNumber <= stepTotal && !reporter.runError) {
        runSteps(stepTotal - stepNumber + 1);
        if (!success || listExhausted)
            break;
    }
    needsCompilation = false;
}
