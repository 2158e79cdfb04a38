// The grammar of statements, factor by factor, emitting postfix code:
//   relation: sum [sign sum]      sum: [+|-] term {(+|-) term}
//   term: power {(*|/|@) power}   power: factor {^ factor}
//   factor: ( relation ) | number | word | prefix factor | IF ... | call
#include "Parser.h"

#include "CharClasses.h"
#include "FunctionTable.h"
#include "GuardedMath.h"
#include "NumberText.h"
#include "Symbols.h"
#include "TextFile.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace varnel {

namespace {

constexpr int kImaginarySign = symbol::ImaginaryUnit;
constexpr int kDegreeSign = symbol::Degree;
constexpr unsigned char kEliminationMark = symbol::EliminationMark;
constexpr unsigned char kPolarMark = symbol::PolarMark;
constexpr char kMagnitudeSuffix = static_cast<char>(symbol::Magnitude);
constexpr char kAngleSuffix = static_cast<char>(symbol::Degree);
constexpr std::size_t kFunctionHeaderLimit = 255;

/// Characters that begin a word in factor position: the word class without the digits,
/// and "<" and ">", which name the two-argument comparison functions.
bool beginsWord(int c)
{
    return (isWordChar(c) && !isDigitChar(c)) || c == '<' || c == '>';
}

/// The parameter count on the first line of a function file ("NAME 2"); 0 when unreadable.
int parameterCount(std::string_view line)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < line.size() && isBlankChar(static_cast<unsigned char>(line[i])))
            ++i;
    };
    auto takeWord = [&] {
        const std::size_t start = i;
        while (i < line.size() && !isBlankChar(static_cast<unsigned char>(line[i])))
            ++i;
        return line.substr(start, i - start);
    };
    skipBlanks();
    takeWord();
    skipBlanks();
    int count = 0;
    return parseInteger(takeWord(), count) ? count : 0;
}

/// The function files of `folder` ("" for the working directory, whose files are named
/// alone): name -> path, for every regular file whose extension is "FUN" in any case; the
/// upper-case extension wins when both exist.
std::unordered_map<std::string, std::string> listFunctionFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::unordered_map<std::string, std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code statusError;
        if (!it->is_regular_file(statusError))
            continue;
        const std::string name = it->path().filename().string();
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || name.size() - dot != 4)
            continue;
        const std::string extension = name.substr(dot + 1);
        bool isFun = true;
        for (std::size_t i = 0; i < 3; ++i)
            isFun = isFun && (extension[i] & ~0x20) == "FUN"[i];
        if (!isFun)
            continue;
        const std::string path = folder.empty() ? name : (fs::path(folder) / name).string();
        const std::string stem = name.substr(0, dot);
        if (extension == "FUN" || files.count(stem) == 0)
            files[stem] = path;
    }
    return files;
}

} // namespace

Parser::Parser(Lexer& lexer, NameTable& names, VariableTable& variables)
    : m_lexer(lexer), m_names(names), m_variables(variables), m_state(lexer.state())
{
}

void Parser::setComplexMode(bool on, std::vector<std::string> realNames)
{
    m_complex = on;
    m_realNames.clear();
    for (std::string& name : realNames)
        m_realNames.insert(name.substr(0, static_cast<std::size_t>(kMaxNameLength)));
}

Statement Parser::parseStatement()
{
    m_out.clear();
    m_nesting = 0;
    m_depth = 0;
    m_form = form::Real;
    m_prefixVariable = 0;
    m_relation = ' ';
    m_eliminate = 0;
    relation();
    m_tokensBefore += m_out.size();
    Statement s;
    s.code = std::move(m_out);
    s.relation = m_relation;
    s.eliminate = m_eliminate;
    // The next statement is likely of about the same length: its code grows in one block,
    // with room for the ";" that ends it.
    m_out = Chain();
    m_out.reserve(s.code.size() + 1);
    return s;
}

bool Parser::stopped()
{
    if (m_state.abort)
        return true;
    if (m_lexer.reporter().interruptRequested()) {
        m_state.interrupted = true;
        m_state.abort = true;
        m_lexer.reporter().reportInterrupted();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------
// Emission

void Parser::emitConstant(std::uint8_t numberForm, double value)
{
    m_out.push_back(makeToken(kind::Constant, numberForm, m_prefixVariable, value));
}

void Parser::emitVariable(int index, std::uint8_t numberForm)
{
    m_out.push_back(makeToken(kind::Variable, numberForm, static_cast<std::uint32_t>(index), 0.0));
}

void Parser::emitBinary(std::uint8_t code)
{
    m_out.push_back(makeBinaryToken(code));
}
void Parser::emitUnary(std::uint8_t code)
{
    m_out.push_back(makeUnaryToken(code));
}

// ---------------------------------------------------------------------------------
// Grammar levels

void Parser::relation()
{
    ++m_nesting;
    sum();
    if (!stopped() && isRelationChar(m_c)) {
        const auto sign = static_cast<std::uint8_t>(m_c);
        advance();
        sum();
        switch (sign) {
        case '=':
        case '>':
        case symbol::StartingValueRelation:
        case symbol::EliminationRelation:
            emitBinary('-');
            break;
        case '<':
            emitBinary('-');
            if (m_nesting != 1)
                emitUnary('-');
            break;
        default: // the at-least and at-most signs: no operation
            break;
        }
        if (m_nesting == 1)
            m_relation = sign;
    }
    --m_nesting;
}

void Parser::sum()
{
    bool negate = false;
    if (m_c == '-' || m_c == '+') {
        negate = m_c == '-';
        advance();
    }
    term();
    if (negate)
        emitUnary('-');
    while (!stopped() && (m_c == '+' || m_c == '-')) {
        const auto op = static_cast<std::uint8_t>(m_c);
        advance();
        term();
        emitBinary(op);
    }
}

void Parser::term()
{
    power();
    while (!stopped() && (m_c == '*' || m_c == '/' || m_c == '@')) {
        const auto op = static_cast<std::uint8_t>(m_c);
        advance();
        power();
        emitBinary(op);
    }
}

void Parser::power()
{
    factor();
    while (!stopped() && m_c == '^') {
        advance();
        factor();
        emitBinary('^');
    }
}

void Parser::factor()
{
    struct DepthScope {
        int& depth;
        explicit DepthScope(int& d) : depth(d) { ++depth; }
        ~DepthScope() { --depth; }
    } scope(m_depth);

    if (stopped())
        return;
    if (m_depth > kMaxNesting) {
        m_lexer.error("Expression nested too deeply");
        return;
    }
    const int c = m_c;
    if (c == '(') {
        group();
        polar();
        return;
    }
    if (c == Lexer::kEnd) {
        m_lexer.error("Unexpected end of file");
        return;
    }
    if (!isFactorStartChar(c)) {
        m_lexer.error("Illegal Character #" + std::to_string(c));
        do
            m_c = m_lexer.nextChar();
        while (m_c != Lexer::kEnd && !isFactorStartChar(m_c));
        return;
    }
    if (c == kImaginarySign) {
        imaginary();
        return;
    }
    if (c == kDegreeSign) {
        degreePrefix();
        return;
    }
    if (c == '%') {
        argumentReference();
        return;
    }
    if (beginsWord(c)) {
        wordFactor();
        return;
    }
    numberFactor();
}

// ---------------------------------------------------------------------------------
// Factor forms

void Parser::group()
{
    advance();
    relation();
    if (stopped())
        return;
    closeParenthesis();
}

void Parser::closeParenthesis()
{
    if (m_c != ')') {
        m_lexer.error("Error: \")\" expected");
        return;
    }
    advance();
}

void Parser::imaginary()
{
    const std::uint8_t saved = m_form;
    advance();
    if (isDigitChar(m_c) || m_c == '.') {
        m_form = form::Imaginary;
        number();
        m_form = saved;
        polar();
        return;
    }
    emitConstant(form::Imaginary, 1.0);
}

void Parser::degreePrefix()
{
    advance();
    const std::string word = m_lexer.recentWord();
    std::uint32_t index = 0;
    if (!word.empty()) {
        const int n = enterName(word);
        if (stopped())
            return;
        index = static_cast<std::uint32_t>(n);
        m_state.explicitDefinitions = true;
        m_state.rereadEquations = true;
    }
    const std::uint32_t saved = m_prefixVariable;
    m_prefixVariable = index;
    factor();
    m_prefixVariable = saved;
}

void Parser::argumentReference()
{
    const int d = m_lexer.nextChar();
    const int k = isDigitChar(d) ? d - '0' : 0;
    if (m_arguments.empty() || k < 1 || k > static_cast<int>(m_arguments.back().size())) {
        m_lexer.error("Error in Function File");
        return;
    }
    const Chain& argument = m_arguments.back()[static_cast<std::size_t>(k - 1)];
    if (!roomFor(argument.size()))
        return;
    m_out.insert(m_out.end(), argument.begin(), argument.end());
    advance();
    polar();
}

void Parser::wordFactor()
{
    // "<" and ">" stand alone: they name the two-argument comparisons.
    if (m_c == '<' || m_c == '>') {
        const auto sign = static_cast<char>(m_c);
        advance();
        functionCall(lookupFunction(std::string(1, sign)),
                     lookupTwoArgumentFunction(std::string(1, sign)));
        polar();
        return;
    }
    int next = Lexer::kEnd;
    const long wordStart = m_lexer.lastPosition();
    m_wordStart = wordStart;
    const std::string word = m_lexer.readWord(m_c, next);
    const bool impliedParenthesis = m_lexer.impliedProduct();
    const bool adjoiningParenthesis = m_lexer.parenthesisAdjoins();
    m_c = next;

    if (word == "PI" || (word.size() == 1 && static_cast<unsigned char>(word[0]) == symbol::Pi)) {
        emitConstant(form::Pi, kPi);
        polar();
        return;
    }
    if (word == "?") {
        emitConstant(form::Undefined, UNDEFINED);
        polar();
        return;
    }
    const int second = lookupTwoArgumentFunction(word);
    if (second != 0 && kTwoArgumentNames[static_cast<std::size_t>(second - 1)].code == 'F') {
        ifConstruct();
        return;
    }
    const int first = lookupFunction(word);
    if (first != 0 || second != 0) {
        functionCall(first, second);
        polar();
        return;
    }
    if (const std::string path = functionFile(word); !path.empty()) {
        functionFileCall(word, path, impliedParenthesis);
        polar();
        return;
    }
    if (impliedParenthesis && adjoiningParenthesis && m_state.warnedNames.insert(word).second) {
        // Read as a product, as the language says; but it is more often a misspelt
        // function name than a product written without its "*".
        m_lexer.warn("Warning: " + word + "( is read as the product " + word + "*( : no function " +
                         "or function file has the name " + word,
                     wordStart);
    }
    variable(word);
    polar();
}

void Parser::numberFactor()
{
    if (m_c == '-') {
        const int d = m_lexer.nextChar();
        m_lexer.unget(d);
        if (!isDigitChar(d) && d != '.') {
            // A negation in factor position: x * -y is x * (-y).
            advance();
            if (m_c == '(')
                group();
            else
                term();
            emitUnary('-');
            return;
        }
    }
    number();
    polar();
}

void Parser::number()
{
    int next = Lexer::kEnd;
    const double value = m_lexer.readNumber(m_c, next);
    m_c = next;
    emitConstant(m_form, value);
}

void Parser::functionCall(int firstTableIndex, int secondTableIndex)
{
    const bool parenthesis = m_c == '(';
    if (parenthesis)
        advance();
    if (secondTableIndex != 0) {
        relation();
        if (stopped())
            return;
        if (m_c != ',') {
            m_lexer.error("Comma expected");
            return;
        }
        advance();
        relation();
        if (stopped())
            return;
        emitBinary(kTwoArgumentNames[static_cast<std::size_t>(secondTableIndex - 1)].code);
    } else {
        relation();
        if (stopped())
            return;
        emitUnary(kFunctionNames[static_cast<std::size_t>(firstTableIndex - 1)].code);
    }
    if (parenthesis)
        closeParenthesis();
}

bool Parser::keyword(std::string_view expected)
{
    if (!isWordChar(m_c))
        return false;
    int next = Lexer::kEnd;
    const std::string word = m_lexer.readWord(m_c, next, true);
    m_c = next;
    return word == expected;
}

void Parser::ifConstruct()
{
    relation(); // the condition
    if (stopped())
        return;
    if (!keyword("THEN")) {
        m_lexer.error("THEN expected");
        return;
    }
    sum();
    if (stopped())
        return;
    if (!keyword("ELSE")) {
        m_lexer.error("ELSE expected");
        return;
    }
    sum();
    if (stopped())
        return;
    emitBinary('H');
    emitBinary('F');
}

std::string Parser::functionFile(const std::string& word)
{
    if (!m_functionFilesListed) {
        m_workingDirectoryFiles = listFunctionFiles("");
        m_folderFiles.clear();
        if (!m_functionFolder.empty())
            m_folderFiles = listFunctionFiles(m_functionFolder);
        m_functionFilesListed = true;
    }
    if (const auto it = m_workingDirectoryFiles.find(word); it != m_workingDirectoryFiles.end())
        return it->second;
    if (const auto it = m_folderFiles.find(word); it != m_folderFiles.end())
        return it->second;
    return {};
}

void Parser::functionFileCall(const std::string& name, const std::string& path,
                              bool impliedParenthesis)
{
    if (m_fileDepth >= kMaxFunctionFileDepth) {
        m_lexer.error("Function files nested too deeply");
        return;
    }
    auto file = std::make_unique<TextFile>();
    file->suppressMessages = true;
    if (!file->openRead(path)) {
        m_lexer.error("Error in Function File");
        return;
    }
    // The whole file is kept, so that a mistake in its body is shown at its own line.
    std::string text;
    int ch = file->readChar();
    for (; ch >= 0 && ch != '\n'; ch = file->readChar())
        text.push_back(static_cast<char>(ch));
    const int count = parameterCount(std::string_view(text).substr(0, kFunctionHeaderLimit));
    std::size_t bodyStart = text.size();
    if (ch == '\n') {
        text.push_back('\n');
        bodyStart = text.size();
        file->readRest(text);
    }
    if (count < 1 || count > 4) {
        m_lexer.error("Error in Function \"" + name + "\"");
        emitConstant(form::Undefined, UNDEFINED);
        file->close();
        return;
    }

    // The word was followed by "(": the lexer gave it back and announced a product.
    if (impliedParenthesis && m_c == '*')
        m_c = m_lexer.nextSignificant();
    const bool parenthesis = m_c == '(';
    std::vector<Chain> arguments;
    for (int k = 0; k < count && !stopped(); ++k) {
        if (k > 0) {
            if (m_c != ',') {
                m_lexer.error("Comma expected");
                break;
            }
            advance();
        } else if (parenthesis) {
            advance();
        }
        const std::size_t mark = m_out.size();
        relation();
        arguments.emplace_back(m_out.begin() + static_cast<std::ptrdiff_t>(mark), m_out.end());
        m_out.resize(mark);
    }
    if (!stopped() && parenthesis)
        closeParenthesis();

    bool bodyIncomplete = false;
    if (!stopped()) {
        const int after = m_c;
        m_arguments.push_back(std::move(arguments));
        ++m_fileDepth;
        m_lexer.pushFunctionFile(std::move(text), bodyStart, path);
        advance();
        relation();
        // The body is one relation, optionally closed by ";"; anything after it is an error.
        if (!stopped() && m_c == ';')
            advance();
        bodyIncomplete = !stopped() && m_c != Lexer::kEnd;
        m_lexer.popSource();
        --m_fileDepth;
        m_arguments.pop_back();
        m_c = after;
    }
    file->close();
    if ((m_state.abort || bodyIncomplete) && !m_state.interrupted)
        m_lexer.error("Error in Function File");
}

void Parser::variable(std::string_view word)
{
    const bool eliminate = static_cast<unsigned char>(word.front()) == kEliminationMark;
    const std::string_view name = eliminate ? word.substr(1) : word;
    if (name.empty()) {
        m_lexer.error("Illegal Character #" + std::to_string(kEliminationMark));
        return;
    }
    if (m_complex && !eliminate) {
        const std::string cut(name.substr(0, static_cast<std::size_t>(kMaxNameLength)));
        if (m_realNames.count(cut) == 0) {
            expandComplex(name);
            return;
        }
    }
    const int index = enterName(name);
    if (index == 0)
        return;
    emitVariable(index, m_form);
    if (eliminate)
        m_eliminate = static_cast<std::uint32_t>(index);
}

void Parser::expandComplex(std::string_view name)
{
    // The appended byte must survive the cut to 33 characters, or the two parts of a
    // long name would fall together.
    const std::string base(name.substr(0, static_cast<std::size_t>(kMaxNameLength - 1)));
    if (name.find(static_cast<char>(kPolarMark)) != std::string_view::npos) {
        const int m = enterName(base + kMagnitudeSuffix, std::string(name) + kMagnitudeSuffix);
        const int a = m != 0 ? enterName(base + kAngleSuffix, std::string(name) + kAngleSuffix) : 0;
        if (m == 0 || a == 0)
            return;
        // m*cos a + j*m*sin a
        emitVariable(m, form::Real);
        emitVariable(a, form::Real);
        emitUnary('C');
        emitBinary('*');
        emitVariable(m, form::Imaginary);
        emitVariable(a, form::Real);
        emitUnary('S');
        emitBinary('*');
        emitBinary('+');
        return;
    }
    const int r = enterName(base + "r", std::string(name) + "r");
    const int i = r != 0 ? enterName(base + "i", std::string(name) + "i") : 0;
    if (r == 0 || i == 0)
        return;
    emitVariable(r, form::Real);
    emitVariable(i, form::Imaginary);
    emitBinary('+');
}

void Parser::polar()
{
    if (stopped() || m_c != '@')
        return;
    advance();
    const std::size_t mark = m_out.size();
    relation();
    if (stopped())
        return;
    if (!roomFor(m_out.size() - mark + 6))
        return;
    const Chain angle(m_out.begin() + static_cast<std::ptrdiff_t>(mark), m_out.end());
    m_out.resize(mark);
    // r * (cos t + sin t * j)
    m_out.insert(m_out.end(), angle.begin(), angle.end());
    emitUnary('C');
    m_out.insert(m_out.end(), angle.begin(), angle.end());
    emitUnary('S');
    m_out.push_back(makeImaginaryUnit());
    emitBinary('*');
    emitBinary('+');
    emitBinary('*');
}

bool Parser::roomFor(std::size_t extra)
{
    if (m_tokensBefore + m_out.size() + extra <= kMaxTokens)
        return true;
    m_lexer.error("Equation too long");
    return false;
}

int Parser::enterName(std::string_view name, std::string_view identity)
{
    NameTable::Status status = NameTable::Status::Ok;
    const int n = m_names.enter(name, m_variables, status, identity);
    switch (status) {
    case NameTable::Status::Ok:
        break;
    case NameTable::Status::TooManyVariables:
        m_lexer.errorAt("Too Many Variables", m_wordStart);
        break;
    case NameTable::Status::Full:
        m_lexer.errorAt("Name Table Is Full", m_wordStart);
        break;
    case NameTable::Status::Collision: {
        // Cut very long names so that both fit in the 255 characters of a message.
        auto shown = [](std::string_view text) {
            return text.size() <= 80 ? std::string(text) : std::string(text.substr(0, 77)) + "...";
        };
        m_lexer.errorAt("The names " + shown(m_names.collidingName()) + " and " +
                            shown(identity.empty() ? name : identity) +
                            " agree in their first 33 characters, so they would be one variable",
                        m_wordStart);
    } break;
    }
    return n;
}

} // namespace varnel
