// Recursive-descent parser of one statement of the equation language. It reads through
// the lexer with one character of look-ahead and appends the internal code in postfix
// order (operands first, then their operation). It also expands complex variables into
// real unknowns and calls the user's function files (NAME.FUN).
#pragma once

#include "Code.h"
#include "EquationSet.h"
#include "Lexer.h"
#include "NameTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace varnel {

/// One statement as the parser leaves it.
struct Statement {
    Chain code;                  // postfix order, without the closing ";"
    std::uint8_t relation = ' '; // outermost relation sign, blank when none
    std::uint32_t eliminate = 0; // variable marked with 0xA2, 0 when none
};

class Parser {
public:
    /// Deepest nesting of factors (parentheses, calls, signs) before the statement is
    /// refused; keeps the recursion far from the end of the stack.
    static constexpr int kMaxNesting = 200;
    /// Deepest nesting of function files calling function files.
    static constexpr int kMaxFunctionFileDepth = 16;
    /// Most tokens that the statements of one reading may hold together. The polar form
    /// copies its angle twice and a function file may use an argument several times, so
    /// nesting them doubles the code per level; the bound keeps that finite.
    static constexpr std::size_t kMaxTokens = std::size_t{1} << 20;

    Parser(Lexer& lexer, NameTable& names, VariableTable& variables);

    /// In complex mode every variable that is neither in `realNames` nor marked with 0xA2
    /// becomes two real unknowns (name+"r", name+"i"; polar names: name+0xF1, name+0xB0).
    void setComplexMode(bool on, std::vector<std::string> realNames = {});
    /// The folder searched for function files after the working directory.
    void setFunctionFolder(std::string folder)
    {
        m_functionFolder = std::move(folder);
        m_functionFilesListed = false;
    }

    /// Takes the first significant character of the input as the look-ahead.
    void start() { advance(); }
    /// Takes the next significant character as the look-ahead.
    void advance() { m_c = m_lexer.nextSignificant(); }
    /// The look-ahead: a byte 0..255, or Lexer::kEnd.
    int lookahead() const { return m_c; }

    /// Parses one statement from the look-ahead on; the look-ahead is left on the
    /// character after it (normally ";"). After an error the code is incomplete and the
    /// parse-abort flag is set.
    Statement parseStatement();

private:
    // Grammar levels, loosest binding first.
    void relation();
    void sum();
    void term();
    void power();
    void factor();

    // Factor forms.
    void group();
    void closeParenthesis();
    void imaginary();
    void degreePrefix();
    void argumentReference();
    void wordFactor();
    void numberFactor();
    void number();
    void functionCall(int firstTableIndex, int secondTableIndex);
    void ifConstruct();
    bool keyword(std::string_view word);
    void functionFileCall(const std::string& name, const std::string& path,
                          bool impliedParenthesis);
    void variable(std::string_view word);
    void expandComplex(std::string_view name);
    void polar();

    /// Enters `name` (cut to 33 characters); `identity`, when given, is the full name that
    /// tells it apart from other names. 0 with the error reported when it gets no number.
    int enterName(std::string_view name, std::string_view identity = {});
    /// False (and "Equation too long" reported) when `extra` more tokens would exceed
    /// kMaxTokens.
    bool roomFor(std::size_t extra);
    std::string functionFile(const std::string& word);
    bool stopped();

    void emitConstant(std::uint8_t numberForm, double value);
    void emitVariable(int index, std::uint8_t numberForm);
    void emitBinary(std::uint8_t code);
    void emitUnary(std::uint8_t code);

    Lexer& m_lexer;
    NameTable& m_names;
    VariableTable& m_variables;
    ParseState& m_state;
    long m_wordStart = 0; // statement-file position of the word read last, for its messages

    int m_c = Lexer::kEnd;              // look-ahead
    Chain m_out;                        // the statement's code so far
    int m_nesting = 0;                  // relation nesting: 1 for the statement's own relation
    int m_depth = 0;                    // factor nesting
    std::uint8_t m_form = ' ';          // number form of the token being built
    std::uint32_t m_prefixVariable = 0; // variable of a 0xB0 prefix, 0 when none
    std::uint8_t m_relation = ' ';
    std::uint32_t m_eliminate = 0;

    bool m_complex = false;
    std::unordered_set<std::string> m_realNames;

    std::string m_functionFolder;
    // Function files of the working directory and of the function folder, by name
    // (listed once, on the first look-up).
    bool m_functionFilesListed = false;
    std::unordered_map<std::string, std::string> m_workingDirectoryFiles;
    std::unordered_map<std::string, std::string> m_folderFiles;
    std::vector<std::vector<Chain>> m_arguments; // argument chains per function file
    int m_fileDepth = 0;
    std::size_t m_tokensBefore = 0; // tokens of the statements parsed before this one
};

} // namespace varnel
