// The reading order of an equation file: announcement, files, options line, working
// copy with broken lines (kept in memory and mapped back to the file's lines and
// columns), then the statements (one pass, or two in complex mode).
#include "EquationFile.h"

#include "CharClasses.h"
#include "EquationPath.h"
#include "NameTable.h"
#include "OptionsLine.h"
#include "Parser.h"
#include "Reporter.h"
#include "SourceMap.h"
#include "Symbols.h"
#include "TextFile.h"

#include <algorithm>
#include <filesystem>

namespace varnel {

namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kBreakSearchEnd = 41;   // lowest 1-based position searched
constexpr std::size_t kFirstLineLimit = 1255; // characters of the options line kept

/// Characters that a line break must not separate: those of names and numbers, with the
/// signs that scale a number or prefix a factor.
bool isTokenChar(unsigned char c)
{
    return isWordChar(c) || isDigitChar(c) || c == '.' || c == symbol::Degree ||
           c == symbol::ImaginaryUnit;
}

/// True when a break before `line[i]` would fall inside a name or a number: between two
/// of their characters, or on either side of the sign of an exponent ("1.5E" "+30").
bool splitsToken(std::string_view line, std::size_t i)
{
    if (i == 0 || i >= line.size())
        return false;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(line[k]); };
    const auto sign = [](unsigned char c) { return c == '+' || c == '-'; };
    const auto mark = [](unsigned char c) { return c == 'E' || c == 'e'; };
    if (isTokenChar(at(i - 1)) && isTokenChar(at(i)))
        return true;
    if (sign(at(i)) && mark(at(i - 1)))
        return true;
    return i >= 2 && sign(at(i - 1)) && mark(at(i - 2)) && isDigitChar(at(i));
}

/// Where the piece of `line` that begins at `start` ends (an index of `line`): the last
/// blank from the 80th character back to the 41st, else the last "*", else the last "+"
/// or "-" that is not the sign of an exponent; else the last place from the 80th
/// character back that does not fall inside a name or a number; failing all, the end of
/// the name or number that begins the piece, so that a token longer than a line stays
/// whole.
std::size_t pieceEnd(std::string_view line, std::size_t start)
{
    auto at = [&](std::size_t p) { return static_cast<unsigned char>(line[start + p - 1]); };
    auto last = [&](auto accept) -> std::size_t {
        for (std::size_t p = kLineWidth; p >= kBreakSearchEnd; --p)
            if (accept(p))
                return start + p;
        return 0;
    };
    auto exponentSign = [&](std::size_t p) { return at(p - 1) == 'E' || at(p - 1) == 'e'; };
    if (std::size_t e = last([&](std::size_t p) { return isBlankChar(at(p)); }))
        return e;
    if (std::size_t e = last([&](std::size_t p) { return at(p) == '*'; }))
        return e;
    if (std::size_t e = last([&](std::size_t p) { return at(p) == '+' && !exponentSign(p); }))
        return e;
    if (std::size_t e = last([&](std::size_t p) { return at(p) == '-' && !exponentSign(p); }))
        return e;
    for (std::size_t p = kLineWidth; p >= 1; --p)
        if (!splitsToken(line, start + p))
            return start + p;
    std::size_t end = start + kLineWidth;
    while (splitsToken(line, end))
        ++end;
    return end;
}

/// Appends one line of the file (without its line feed) to the working copy, broken into
/// pieces when it has 80 characters or more, each piece mapped to where it came from.
void copyLine(std::string_view line, std::size_t originalOffset, std::string& copy, SourceMap& map)
{
    std::size_t start = 0;
    while (line.size() - start >= kLineWidth) {
        const std::size_t end = pieceEnd(line, start);
        map.mapPiece(copy.size(), originalOffset + start);
        copy.append(line.substr(start, end - start));
        copy.push_back('\n');
        start = end;
    }
    map.mapPiece(copy.size(), originalOffset + start);
    copy.append(line.substr(start));
    copy.push_back('\n');
}

bool pollInterrupt(Reporter& reporter, ParseState& state)
{
    if (!reporter.interruptRequested())
        return false;
    state.interrupted = true;
    state.abort = true;
    reporter.reportInterrupted();
    return true;
}

/// Every line of `text` from `from` on into the working copy. False when interrupted.
bool copyLines(std::string_view text, std::size_t from, std::string& copy, SourceMap* map,
               Reporter* reporter, ParseState* state)
{
    SourceMap unused;
    SourceMap& pieces = map != nullptr ? *map : unused;
    copy.clear();
    copy.reserve(text.size() + text.size() / 64 + 1);
    while (from < text.size()) {
        if (reporter != nullptr && state != nullptr && pollInterrupt(*reporter, *state))
            return false;
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos)
            end = text.size();
        copyLine(text.substr(from, end - from), from, copy, pieces);
        from = end + 1;
    }
    return true;
}

/// The first line of `text` as the options line sees it, and where the statements begin
/// when it is one.
std::string_view firstLineOf(std::string_view text, std::size_t& afterIt)
{
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
        end = text.size();
    afterIt = end < text.size() ? end + 1 : text.size();
    return text.substr(0, std::min(end, kFirstLineLimit));
}

Token endToken()
{
    return makeToken(kind::End, ' ', 0, 0.0);
}

bool isRealValued(const Token& t)
{
    if (t.kind == kind::Constant)
        return t.op == form::Real;
    if (t.kind == kind::Unary)
        return t.op == 'r' || t.op == 'i' || t.op == 'm' || t.op == 'a';
    return false;
}

/// One reading of the statements. `realStatements[k]` flags statement k (0-based) as
/// real, so that complex mode adds no twin for it.
bool readPass(std::string_view source, const SourceMap* map, bool complexMode,
              const std::vector<std::string>& realNames, const std::vector<bool>& realStatements,
              const std::string& functionFolder, EquationSet& set, Reporter& reporter,
              ParseState& state)
{
    state.errorMessage.clear();
    state.errorPosition = 0;
    state.abort = false;
    set.clear();

    NameTable names;
    Lexer lexer(state, reporter);
    lexer.setSourceMap(map);
    lexer.pushSource(source);
    lexer.resetCount();
    lexer.clearRecentWord();
    Parser parser(lexer, names, set.variables);
    parser.setComplexMode(complexMode, realNames);
    parser.setFunctionFolder(functionFolder);

    std::size_t statement = 0;
    parser.start();
    while (parser.lookahead() != Lexer::kEnd) {
        if (state.abort)
            break;
        if (pollInterrupt(reporter, state))
            break;
        if (set.equationCount() >= kMaxEquations) {
            lexer.error("Too Many Equations");
            break;
        }
        Statement s = parser.parseStatement();
        if (parser.lookahead() != ';' && !state.abort) {
            const int c = parser.lookahead();
            reporter.send("Char ");
            reporter.send(c == Lexer::kEnd ? std::string() : std::string(1, static_cast<char>(c)));
            reporter.send("\n");
            lexer.error(" Error: \";\" expected");
        }

        Equation equation;
        equation.code = std::move(s.code);
        equation.relation = s.relation;
        equation.eliminate = s.eliminate;
        const bool real = statement < realStatements.size() && realStatements[statement];
        ++statement;
        if (complexMode && !real) {
            // The twin: j * f, with the same relation and variable to eliminate.
            Equation twin;
            twin.relation = equation.relation;
            twin.eliminate = equation.eliminate;
            twin.code.reserve(equation.code.size() + 3);
            twin.code.push_back(makeImaginaryUnit());
            twin.code.insert(twin.code.end(), equation.code.begin(), equation.code.end());
            twin.code.push_back(makeBinaryToken('*'));
            twin.code.push_back(endToken());
            equation.code.push_back(endToken());
            set.equations.push_back(std::move(equation));
            if (set.equationCount() >= kMaxEquations) {
                if (!state.abort)
                    lexer.error("Too Many Equations");
                break;
            }
            set.equations.push_back(std::move(twin));
        } else {
            equation.code.push_back(endToken());
            set.equations.push_back(std::move(equation));
        }
        parser.advance();
    }
    lexer.popSource();
    return !state.abort;
}

} // namespace

bool isRealEquation(const Chain& postfix, std::vector<bool>& realVariables)
{
    const Chain p = toPrefix(postfix);
    if (p.empty())
        return false;
    if (isRealValued(p[0]))
        return true;
    if (p[0].kind != kind::Binary)
        return false;
    // Prefix order: the operation, its second operand, then its first.
    const std::size_t secondStart = 1;
    const std::size_t secondEnd = operandEnd(p, secondStart);
    const std::size_t firstStart = secondEnd;
    const std::size_t firstEnd = operandEnd(p, firstStart);
    if (secondStart >= p.size() || firstStart >= p.size())
        return false;
    const Token& second = p[secondStart];
    const Token& first = p[firstStart];
    if (isRealValued(second) && isRealValued(first))
        return true;
    auto markReal = [&](const Token& variable) {
        if (variable.index >= realVariables.size())
            realVariables.resize(variable.index + 1, false);
        realVariables[variable.index] = true;
    };
    auto lone = [&](std::size_t start, std::size_t end) {
        return end - start == 1 && p[start].kind == kind::Variable;
    };
    if (lone(firstStart, firstEnd) && isRealValued(second)) {
        markReal(first);
        return true;
    }
    if (lone(secondStart, secondEnd) && isRealValued(first)) {
        markReal(second);
        return true;
    }
    return false;
}

std::string workingCopyOf(std::string_view fileText)
{
    std::size_t afterFirst = 0;
    RunSettings ignored;
    const std::size_t from =
        applyOptionsLine(firstLineOf(fileText, afterFirst), ignored) ? afterFirst : 0;
    std::string copy;
    copyLines(fileText, from, copy, nullptr, nullptr, nullptr);
    return copy;
}

bool readStatements(std::string_view source, const SourceMap* map, bool complexMode,
                    const std::string& functionFolder, EquationSet& set, Reporter& reporter,
                    ParseState& state)
{
    if (!complexMode)
        return readPass(source, map, false, {}, {}, functionFolder, set, reporter, state);

    // First pass in real mode: which equations and variables are real.
    if (!readPass(source, map, false, {}, {}, functionFolder, set, reporter, state))
        return false;
    std::vector<bool> realStatements(static_cast<std::size_t>(set.equationCount()), false);
    std::vector<bool> realVariables(static_cast<std::size_t>(set.variables.count()) + 1, false);
    for (int i = 1; i <= set.equationCount(); ++i) {
        // A starting value gives a number, not the variable's nature: x stays complex (the
        // statement starts its real part) and the statement has no twin.
        const bool startingValue = set.equation(i).relation == symbol::StartingValueRelation;
        realStatements[static_cast<std::size_t>(i - 1)] =
            startingValue || isRealEquation(set.equation(i).code, realVariables);
    }
    std::vector<std::string> realNames;
    for (int k = 1; k <= set.variables.count(); ++k)
        if (static_cast<std::size_t>(k) < realVariables.size() &&
            realVariables[static_cast<std::size_t>(k)])
            realNames.push_back(set.variables.names[static_cast<std::size_t>(k)]);

    // Second pass: complex variables become two real unknowns, complex equations twins.
    return readPass(source, map, true, realNames, realStatements, functionFolder, set, reporter,
                    state);
}

bool readStatements(TextFile& source, bool complexMode, const std::string& functionFolder,
                    EquationSet& set, Reporter& reporter, ParseState& state)
{
    std::string text;
    source.readRest(text);
    if (source.result() != 0) {
        reporter.send("\n");
        reporter.send("Equation file ");
        reporter.send(source.name());
        reporter.send(" cannot be read");
        reporter.raiseError();
        return false;
    }
    return readStatements(text, nullptr, complexMode, functionFolder, set, reporter, state);
}

bool readEquationFile(const std::string& equationFile, const std::string& baseName,
                      RunSettings& settings, EquationSet& set, Reporter& reporter, TextFile& input,
                      TextFile& results, ParseState& state, const std::string* given)
{
    reporter.send("Reading Equations...\n");
    settings.complexMode = false;
    state.clear();
    set.clear();

    input.suppressMessages = true;
    std::string text;
    if (given != nullptr)
        text = *given;
    else if (input.openRead(equationFile))
        input.readRest(text);
    if (given == nullptr && (!input.isOpen() || input.result() != 0)) {
        reporter.send("\n");
        reporter.send("Equation file ");
        reporter.send(equationFile);
        reporter.send(" cannot be opened");
        reporter.raiseError();
        return false;
    }
    if (!results.openProduct(baseName + ".PRN")) {
        reporter.send("\n");
        reporter.send("Unable to open file for output");
        reporter.raiseError();
        return false;
    }

    // The working copy is the run's own, in memory: no other run can change it.
    SourceMap map;
    std::string copy;
    map.setOriginal(std::move(text));
    std::size_t afterFirst = 0;
    const std::string_view first = firstLineOf(map.original(), afterFirst);
    const std::size_t from = applyOptionsLine(first, settings, reporter) ? afterFirst : 0;
    if (!copyLines(map.original(), from, copy, &map, &reporter, &state) || reporter.runError)
        return false;
    if (const std::string why = settingsProblem(settings); !why.empty()) {
        reporter.send("\n");
        reporter.send(why);
        reporter.raiseError();
        return false;
    }
    const std::string folder = std::filesystem::path(baseName).parent_path().string();
    return readStatements(copy, &map, settings.complexMode, folder, set, reporter, state);
}

} // namespace varnel
