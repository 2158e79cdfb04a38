// Writing and reading the Jacobian listing.
#include "JacobianListing.h"

#include "Differentiator.h"
#include "Reporter.h"
#include "SparseMatrix.h"
#include "TextFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace varnel {

namespace {
constexpr int kRealWidth = 14;
constexpr std::size_t kLineLimit = 255;

/// Appends n right-aligned in `width` characters, as "%*d" would.
void appendInteger(std::string& out, long n, int width)
{
    if (n >= 0 && n < 10 && width >= 1) { // the index of most tokens is 0
        out.append(static_cast<std::size_t>(width - 1), ' ');
        out += static_cast<char>('0' + n);
        return;
    }
    char digits[32];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
    const auto length = static_cast<int>(end - digits);
    if (length < width)
        out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(digits, end);
}

/// Appends x as "%*E" with the given width (6 decimals, exponent of at least 2 digits).
void appendReal(std::string& out, double x, int width)
{
    // Operation and variable tokens carry the value +0: most fields of a listing.
    if (x == 0.0 && !std::signbit(x) && width == kRealWidth) {
        out.append("  0.000000E+00");
        return;
    }
    char text[64];
    int length = 0;
    if (std::isfinite(x)) {
        auto [end, ec] =
            std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, 6);
        length = static_cast<int>(end - text);
        for (int i = 0; i < length; ++i)
            if (text[i] == 'e')
                text[i] = 'E';
    } else {
        length = std::snprintf(text, sizeof text, "%E", x);
    }
    if (length < width)
        out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(text, static_cast<std::size_t>(length));
}

/// Skips blanks and reads an integer at `p`; false when none stands there.
bool parseInt(const char*& p, const char* end, long& value)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r'))
        ++p;
    if (p < end && *p == '+')
        ++p;
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc())
        return false;
    p = next;
    return true;
}

/// Skips blanks and reads a real number at `p`.
bool parseReal(const char*& p, const char* end, double& value)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r'))
        ++p;
    if (p < end && *p == '+')
        ++p;
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc()) {
        // Spellings from_chars does not take (INF, NAN) and out-of-range values.
        char* stop = nullptr;
        const std::string text(p, end);
        value = std::strtod(text.c_str(), &stop);
        if (stop == text.c_str())
            return false;
        p += stop - text.c_str();
        return true;
    }
    p = next;
    return true;
}

void incorrect(Reporter& reporter)
{
    reporter.send("Jacobian File Incorrect");
    reporter.raiseError();
}

bool validToken(const Token& t, int variableCount)
{
    switch (t.kind) {
    case kind::Constant:
    case kind::Binary:
    case kind::Unary:
        return true;
    case kind::Variable:
        return t.index >= 1 && t.index <= static_cast<std::uint32_t>(variableCount);
    default:
        return false;
    }
}
} // namespace

std::vector<std::uint32_t> variablesOf(const Chain& code)
{
    std::vector<std::uint32_t> out;
    for (const Token& t : code)
        if (t.kind == kind::Variable && std::find(out.begin(), out.end(), t.index) == out.end())
            out.push_back(t.index);
    return out;
}

bool differentiateEquations(const EquationSet& set, Differentiator& differentiator,
                            Reporter& reporter, bool showDerivatives,
                            std::vector<EquationDerivative>& derivatives)
{
    derivatives.clear();
    reporter.send("\n");
    trace("JACOBIAN\n");
    int processed = 0;
    for (int i = 1; i <= set.equationCount() && !reporter.runError; ++i) {
        if (showDerivatives) {
            reporter.send("\n");
            reporter.sendf("%4d", i);
        }
        const Equation& eq = set.equation(i);
        for (std::uint32_t j : variablesOf(eq.code)) {
            if (reporter.runError)
                break;
            if (showDerivatives) {
                reporter.send(" wrt");
                reporter.send(set.variables.names[j]);
            }
            EquationDerivative d{i, j, {}};
            differentiator.differentiate(eq.code, j, d.code);
            if (differentiator.foldError().mark()) {
                // A derivative whose constants cannot be folded is no derivative to list.
                reporter.send("\n");
                reporter.send(differentiator.foldError().message());
                reporter.send(" in Equation ");
                reporter.sendf("%d", i);
                reporter.raiseError();
                break;
            }
            if (traceEnabled()) {
                trace("%d %u\n", i, j);
                for (const Token& t : d.code)
                    if (t.kind != kind::Void && t.kind != kind::End)
                        trace("%c %c %u %.6f\n", t.kind, t.op, t.index, t.value);
                trace(";\n");
            }
            derivatives.push_back(std::move(d));
        }
        if (!reporter.runError)
            ++processed;
    }
    if (processed < set.equationCount() || reporter.runError) {
        reporter.send("\n");
        reporter.send("Jacobian Incorrect or Incomplete");
        reporter.beep();
        return false;
    }
    return true;
}

std::string listingText(const std::vector<EquationDerivative>& derivatives)
{
    std::size_t tokens = 0;
    for (const EquationDerivative& d : derivatives)
        tokens += d.code.size();
    std::string text;
    text.reserve(derivatives.size() * 18 + tokens * 27 + 16);
    for (const EquationDerivative& d : derivatives) {
        appendInteger(text, d.row, 7);
        text += ' ';
        appendInteger(text, static_cast<long>(d.column), 7);
        text += '\n';
        for (const Token& t : d.code) {
            if (t.kind == kind::Void || t.kind == kind::End)
                continue;
            text += t.kind;
            text += static_cast<char>(t.op);
            text += ' ';
            appendInteger(text, static_cast<long>(t.index), 7);
            text += ' ';
            appendReal(text, t.value, kRealWidth);
            text += '\n';
        }
        text += ";\n";
    }
    text += "   0   0   0";
    return text;
}

void writeListingFile(TextFile& file, const std::string& path, const std::string& text)
{
    // Replaces the listing only when complete, never through a link of that name.
    file.openProduct(path);
    file.writeString(text);
    file.writeLineEnd();
    file.close();
}

bool writeJacobianListing(const EquationSet& set, TextFile& file, const std::string& path,
                          Differentiator& differentiator, Reporter& reporter, bool showDerivatives)
{
    std::vector<EquationDerivative> derivatives;
    const bool complete =
        differentiateEquations(set, differentiator, reporter, showDerivatives, derivatives);
    writeListingFile(file, path, listingText(derivatives));
    return complete;
}

void buildSymbolicStructure(const std::vector<EquationDerivative>& derivatives, int size,
                            SparseMatrix& matrix)
{
    matrix.reset(size);
    for (const EquationDerivative& d : derivatives) {
        const int e = matrix.add(d.row, static_cast<int>(d.column));
        matrix.entry(e).code = d.code;
    }
}

bool readJacobianStructure(TextFile& file, const std::string& path, int size, int variableCount,
                           SparseMatrix& matrix, Reporter& reporter)
{
    matrix.reset(size);
    const bool quiet = file.suppressMessages;
    file.suppressMessages = true;
    if (!file.openRead(path)) {
        file.suppressMessages = quiet;
        incorrect(reporter);
        return false;
    }
    bool ok = true;
    char line[kLineLimit + 1];
    auto nextLine = [&]() -> std::size_t {
        const std::size_t n = file.readLine(line, kLineLimit);
        if (file.result() != 0)
            return static_cast<std::size_t>(-1);
        file.skipLine();
        return n;
    };
    for (;;) {
        const std::size_t n = nextLine();
        long row = 0, column = 0;
        const char* p = line;
        if (n == static_cast<std::size_t>(-1) || !parseInt(p, line + n, row)) {
            ok = false;
            break;
        }
        if (row == 0)
            break;
        if (!parseInt(p, line + n, column) || row < 1 || row > size || column < 1 ||
            column > variableCount || column > size) {
            ok = false;
            break;
        }
        Chain code;
        for (;;) {
            const std::size_t m = nextLine();
            if (m == static_cast<std::size_t>(-1) || m == 0) {
                ok = false;
                break;
            }
            if (line[0] == kind::End)
                break;
            if (m < 3) {
                ok = false;
                break;
            }
            Token t;
            t.kind = line[0];
            t.op = static_cast<std::uint8_t>(line[1]);
            const char* q = line + 2;
            long index = 0;
            if (!parseInt(q, line + m, index) || index < 0 || index > 0x7fffffffL ||
                !parseReal(q, line + m, t.value)) {
                ok = false;
                break;
            }
            t.index = static_cast<std::uint32_t>(index);
            if (!validToken(t, variableCount)) {
                ok = false;
                break;
            }
            code.push_back(t);
        }
        if (!ok)
            break;
        code.push_back(makeToken(kind::End, ' ', 0, 0.0));
        int e = matrix.find(static_cast<int>(row), static_cast<int>(column));
        if (e < 0)
            e = matrix.add(static_cast<int>(row), static_cast<int>(column));
        matrix.entry(e).code = std::move(code);
    }
    file.close();
    file.suppressMessages = quiet;
    if (!ok) {
        matrix.reset(size);
        incorrect(reporter);
    }
    return ok;
}

void buildIncrementalStructure(const EquationSet& set, SparseMatrix& matrix)
{
    matrix.reset(set.equationCount());
    for (int i = 1; i <= set.equationCount(); ++i)
        for (std::uint32_t j : variablesOf(set.equation(i).code))
            if (static_cast<int>(j) <= set.equationCount() &&
                matrix.find(i, static_cast<int>(j)) < 0)
                matrix.add(i, static_cast<int>(j));
}

} // namespace varnel
