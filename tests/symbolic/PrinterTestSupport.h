// Test helper for the equation printer: statements read by the language's own lexer and
// parser into postfix chains that share one variable table, so that printed text can be
// read back and compared.
#pragma once

#include "Code.h"
#include "EquationSet.h"
#include "Lexer.h"
#include "NameTable.h"
#include "Parser.h"
#include "Reporter.h"

#include <string>
#include <string_view>

namespace varnel::test {

struct ReadStatement {
    Chain postfix; // ends in ";"
    std::uint8_t relation = ' ';
    bool ok = false;
};

/// Reads the statements of `text` in order into `set` (chains in postfix order ending in
/// ";"), leaving out the starting-value statements as compilation does. False on a parse
/// error.
inline bool readSet(std::string_view text, EquationSet& set, bool complexMode = false)
{
    ParseState state;
    Reporter reporter;
    Lexer lexer(state, reporter);
    lexer.pushSource(text);
    NameTable names;
    Parser parser(lexer, names, set.variables);
    parser.setComplexMode(complexMode, {});
    parser.start();
    while (parser.lookahead() != Lexer::kEnd) {
        const Statement s = parser.parseStatement();
        if (state.abort || parser.lookahead() != ';')
            return false;
        parser.advance();
        if (s.relation == 0xBB)
            continue;
        Equation eq;
        eq.code = s.code;
        eq.code.push_back(makeToken(kind::End, ' ', 0, 0.0));
        eq.relation = s.relation;
        set.equations.push_back(eq);
    }
    return true;
}

/// Reads one statement (the text without its ";"); its names are entered into
/// `variables`, which must start empty.
inline ReadStatement readStatement(std::string_view text, VariableTable& variables,
                                   bool complexMode = false)
{
    EquationSet set;
    ReadStatement r;
    const std::string source = std::string(text) + ";";
    r.ok = readSet(source, set, complexMode) && set.equationCount() == 1;
    variables = set.variables;
    if (r.ok) {
        r.postfix = set.equations[0].code;
        r.relation = set.equations[0].relation;
    }
    return r;
}

} // namespace varnel::test
