// The saving walk over the user's text: comments and blanks are copied, statements are
// found by their ";" outside comments, and each one gives way to its printed equation.
#include "EquationSaver.h"

#include "CharClasses.h"
#include "EquationPrinter.h"
#include "LineWriter.h"
#include "Reporter.h"
#include "Symbols.h"

namespace varnel {

namespace {

/// Position just past the comment that opens at text[i] ("{"), or the end of the text
/// when it is not closed.
std::size_t commentEnd(std::string_view text, std::size_t i)
{
    const std::size_t close = text.find('}', i + 1);
    return close == std::string_view::npos ? text.size() : close + 1;
}

/// Position of the ";" that ends the statement starting at text[i], skipping comments;
/// npos when there is none.
std::size_t statementEnd(std::string_view text, std::size_t i)
{
    while (i < text.size()) {
        if (text[i] == '{') {
            i = commentEnd(text, i);
            continue;
        }
        if (text[i] == ';')
            return i;
        ++i;
    }
    return std::string_view::npos;
}

/// True when the statement has the starting-value relation outside parentheses.
bool isStartingValueStatement(std::string_view statement)
{
    int depth = 0;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        const char c = statement[i];
        if (c == '{') {
            i = commentEnd(statement, i) - 1;
            continue;
        }
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (depth == 0 && static_cast<unsigned char>(c) == symbol::StartingValueRelation)
            return true;
    }
    return false;
}

/// Copies the comments of a statement (which is itself not copied).
void copyComments(std::string_view statement, LineWriter& out)
{
    for (std::size_t i = 0; i < statement.size(); ++i) {
        if (statement[i] != '{')
            continue;
        const std::size_t end = commentEnd(statement, i);
        out.copy(statement.substr(i, end - i));
        i = end - 1;
    }
}

} // namespace

bool saveEquations(std::string_view text, const EquationSet& set, bool withInitialValues,
                   Reporter& reporter, std::string& out)
{
    reporter.send("\n");
    reporter.send("\nSaving Equations...\n");

    EquationPrinter printer(set.variables, reporter);
    LineWriter writer(out);
    // The file keeps its own line ends: a text whose first line ends in CR LF is written
    // with CR LF throughout.
    if (const std::size_t lf = text.find('\n');
        lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r')
        writer.setLineEnd("\r\n");
    const int count = set.equationCount();
    int next = 1; // number of the next equation to print
    const auto print = [&](int k) {
        const Equation& eq = set.equation(k);
        return printer.printEquation(toPrefix(eq.code), eq.relation, writer);
    };

    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{') {
            const std::size_t end = commentEnd(text, i);
            writer.copy(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (isBlankChar(static_cast<unsigned char>(c))) {
            writer.copy(text.substr(i, 1));
            ++i;
            continue;
        }
        const std::size_t semicolon = statementEnd(text, i);
        if (semicolon == std::string_view::npos) {
            writer.copy(text.substr(i)); // text after the last statement
            break;
        }
        const std::string_view statement = text.substr(i, semicolon + 1 - i);
        i = semicolon + 1;
        const bool startingValue = isStartingValueStatement(statement);
        const bool keepAsWritten =
            next > count ||
            (startingValue && set.equation(next).relation != symbol::StartingValueRelation);
        if (keepAsWritten) {
            writer.copy(statement);
            continue;
        }
        const int k = next++;
        if (set.equation(k).relation == symbol::EliminationRelation) {
            writer.copy(statement);
            continue;
        }
        copyComments(statement, writer);
        writer.closeComment();
        if (!print(k))
            return false;
    }

    writer.closeComment();
    for (; next <= count; ++next) {
        if (!writer.atLineStart())
            writer.newLine();
        if (!print(next))
            return false;
        writer.newLine();
    }
    if (withInitialValues)
        printer.printInitialValues(writer);
    return true;
}

void reportEquationsSaved(Reporter& reporter, std::string_view outputName)
{
    reporter.send("\n");
    reporter.send("Equations Saved to File:  ");
    reporter.send(outputName);
}

} // namespace varnel
