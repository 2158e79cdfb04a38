// The reading order of an equation file: announcement, files, options line, working
// copy with broken lines, then the statements (one pass, or two in complex mode).
#include "EquationFile.h"

#include "CharClasses.h"
#include "EquationPath.h"
#include "NameTable.h"
#include "OptionsLine.h"
#include "Parser.h"
#include "Reporter.h"
#include "TextFile.h"

#include <array>
#include <filesystem>

namespace varnel {

namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kBreakSearchEnd = 41;        // lowest 1-based position searched
constexpr std::size_t kFirstLineLimit = 1255;      // characters of the options line kept
constexpr unsigned kInterruptPollInterval = 4096;  // characters copied between polls

/// Writes lines into the working copy, breaking every line of 80 characters or more
/// into pieces of at most 80. It holds at most one piece, so a line of any length
/// streams through it.
class LineBreaker {
public:
    explicit LineBreaker(TextFile& out) : m_out(out) {}

    void put(int c)
    {
        m_buffer[m_size++] = static_cast<char>(c);
        m_content = true;
        if (m_size == kLineWidth)
            breakPiece();
    }

    void endLine()
    {
        write(m_size);
        m_out.writeLineEnd();
        m_size = 0;
        m_content = false;
    }

    bool lineHasContent() const { return m_content; }

private:
    /// The 1-based position that ends the piece: the last blank from the 80th character
    /// back to the 41st, else the last "*", else the last "+" or "-" that is not the
    /// sign of an exponent, else the 80th character.
    std::size_t breakPosition() const
    {
        auto last = [&](auto accept) -> std::size_t {
            for (std::size_t p = kLineWidth; p >= kBreakSearchEnd; --p)
                if (accept(p - 1))
                    return p;
            return 0;
        };
        auto at = [&](std::size_t i) { return static_cast<unsigned char>(m_buffer[i]); };
        auto exponentSign = [&](std::size_t i) { return at(i - 1) == 'E' || at(i - 1) == 'e'; };
        if (std::size_t p = last([&](std::size_t i) { return isBlankChar(at(i)); }))
            return p;
        if (std::size_t p = last([&](std::size_t i) { return at(i) == '*'; }))
            return p;
        if (std::size_t p = last([&](std::size_t i) { return at(i) == '+' && !exponentSign(i); }))
            return p;
        if (std::size_t p = last([&](std::size_t i) { return at(i) == '-' && !exponentSign(i); }))
            return p;
        return kLineWidth;
    }

    void breakPiece()
    {
        const std::size_t p = breakPosition();
        write(p);
        m_out.writeLineEnd();
        for (std::size_t i = p; i < m_size; ++i)
            m_buffer[i - p] = m_buffer[i];
        m_size -= p;
    }

    void write(std::size_t n)
    {
        // Byte by byte: a NUL byte of the file must not cut the piece short.
        for (std::size_t i = 0; i < n; ++i)
            m_out.writeChar(m_buffer[i]);
    }

    TextFile& m_out;
    std::array<char, kLineWidth> m_buffer{};
    std::size_t m_size = 0;
    bool m_content = false;
};

bool pollInterrupt(Reporter& reporter, ParseState& state)
{
    if (!reporter.interruptRequested())
        return false;
    state.interrupted = true;
    state.abort = true;
    reporter.reportInterrupted();
    return true;
}

/// Steps 3 and 4 of the reading: the options line, then every line into the working
/// copy. False when interrupted.
bool copyToWorkingCopy(TextFile& input, TextFile& out, RunSettings& settings, Reporter& reporter,
                       ParseState& state)
{
    std::string first;
    int c = input.readChar();
    for (; c >= 0 && c != '\n' && first.size() < kFirstLineLimit; c = input.readChar())
        first.push_back(static_cast<char>(c));

    LineBreaker lines(out);
    if (applyOptionsLine(first, settings)) {
        while (c >= 0 && c != '\n')
            c = input.readChar();
    } else {
        for (char ch : first)
            lines.put(static_cast<unsigned char>(ch));
        for (; c >= 0 && c != '\n'; c = input.readChar())
            lines.put(c);
        if (c == '\n' || lines.lineHasContent())
            lines.endLine();
    }
    if (c < 0)
        return true;

    unsigned sincePoll = 0;
    for (;;) {
        if (++sincePoll == kInterruptPollInterval) {
            sincePoll = 0;
            if (pollInterrupt(reporter, state))
                return false;
        }
        c = input.readChar();
        if (c < 0)
            break;
        if (c == '\n') {
            lines.endLine();
            if (pollInterrupt(reporter, state))
                return false;
            sincePoll = 0;
        } else {
            lines.put(c);
        }
    }
    if (lines.lineHasContent())
        lines.endLine();
    return true;
}

Token endToken() { return makeToken(kind::End, ' ', 0, 0.0); }

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
bool readPass(TextFile& source, bool complexMode, const std::vector<std::string>& realNames,
              const std::vector<bool>& realStatements, const std::string& functionFolder,
              EquationSet& set, Reporter& reporter, ParseState& state)
{
    state.errorMessage.clear();
    state.errorPosition = 0;
    state.abort = false;
    set.clear();

    NameTable names;
    Lexer lexer(state, reporter);
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

bool readStatements(TextFile& source, bool complexMode, const std::string& functionFolder,
                    EquationSet& set, Reporter& reporter, ParseState& state)
{
    if (!complexMode)
        return readPass(source, false, {}, {}, functionFolder, set, reporter, state);

    // First pass in real mode: which equations and variables are real.
    if (!readPass(source, false, {}, {}, functionFolder, set, reporter, state))
        return false;
    std::vector<bool> realStatements(static_cast<std::size_t>(set.equationCount()), false);
    std::vector<bool> realVariables(static_cast<std::size_t>(set.variables.count()) + 1, false);
    for (int i = 1; i <= set.equationCount(); ++i)
        realStatements[static_cast<std::size_t>(i - 1)] = isRealEquation(set.equation(i).code, realVariables);
    std::vector<std::string> realNames;
    for (int k = 1; k <= set.variables.count(); ++k)
        if (static_cast<std::size_t>(k) < realVariables.size() && realVariables[static_cast<std::size_t>(k)])
            realNames.push_back(set.variables.names[static_cast<std::size_t>(k)]);

    // Second pass: complex variables become two real unknowns, complex equations twins.
    if (!reporter.resetStream(source))
        return false;
    return readPass(source, true, realNames, realStatements, functionFolder, set, reporter, state);
}

bool readEquationFile(const std::string& baseName, RunSettings& settings, EquationSet& set,
                      Reporter& reporter, TextFile& input, TextFile& results,
                      TextFile& workingCopy, ParseState& state)
{
    reporter.send("Reading Equations...\n");
    settings.complexMode = false;
    state.clear();
    set.clear();

    const std::string equationFile = resolveCompanion(baseName, "ALG");
    input.suppressMessages = true;
    if (!input.openRead(equationFile)) {
        reporter.send("\n");
        reporter.send("Equation file ");
        reporter.send(equationFile);
        reporter.send(" cannot be opened");
        reporter.raiseError();
        return false;
    }
    const std::string workingName = baseName + ".TMP";
    if (!results.openWrite(baseName + ".PRN") || !workingCopy.openWrite(workingName)) {
        reporter.send("\n");
        reporter.send("Unable to open file for output");
        reporter.raiseError();
        return false;
    }

    if (!copyToWorkingCopy(input, workingCopy, settings, reporter, state))
        return false;
    workingCopy.close();
    workingCopy.suppressMessages = true;
    if (!workingCopy.openRead(workingName)) {
        reporter.send("\n");
        reporter.send("Equation file ");
        reporter.send(workingName);
        reporter.send(" cannot be opened");
        reporter.raiseError();
        return false;
    }

    const std::string folder = std::filesystem::path(baseName).parent_path().string();
    const bool ok = readStatements(workingCopy, settings.complexMode, folder, set, reporter, state);
    workingCopy.close();
    return ok;
}

} // namespace varnel
