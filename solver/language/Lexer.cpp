// Characters, comments, words and numbers of the equation language, and the
// parse-error routine.
#include "Lexer.h"

#include "CharClasses.h"
#include "Code.h"
#include "FunctionTable.h"
#include "NumberText.h"
#include "SourceMap.h"
#include "Symbols.h"
#include "TextFile.h"

#include <algorithm>

namespace varnel {

namespace {
constexpr int kDegreeSign = symbol::Degree;
constexpr int kPiSign = symbol::Pi;
constexpr double kDegreesToRadians = 0.005555555555555556; // 1/180, times pi below
} // namespace

Lexer::Lexer(ParseState& state, Reporter& reporter) : m_state(state), m_reporter(reporter) {}

void Lexer::pushSource(TextFile& file)
{
    Source s;
    s.file = &file;
    m_sources.push_back(std::move(s));
}

void Lexer::pushSource(std::string_view text)
{
    Source s;
    s.text.assign(text);
    m_sources.push_back(std::move(s));
}

void Lexer::pushFunctionFile(std::string text, std::size_t from, std::string name)
{
    Source s;
    s.text = std::move(text);
    s.position = std::min(from, s.text.size());
    s.name = std::move(name);
    m_sources.push_back(std::move(s));
}

const Lexer::Source* Lexer::functionFile() const
{
    return !m_sources.empty() && !m_sources.back().name.empty() ? &m_sources.back() : nullptr;
}

long Lexer::lastPosition() const
{
    if (const Source* s = functionFile()) {
        const std::size_t read = s->position - std::min(s->givenBack.size(), s->position);
        return read > 0 ? static_cast<long>(read) - 1 : 0;
    }
    return m_count > 0 ? m_count - 1 : 0;
}

void Lexer::popSource()
{
    if (!m_sources.empty())
        m_sources.pop_back();
}

int Lexer::nextChar()
{
    if (m_sources.empty())
        return kEnd;
    Source& s = m_sources.back();
    int c = kEnd;
    if (!s.givenBack.empty()) {
        c = s.givenBack.back();
        s.givenBack.pop_back();
    } else if (s.ended) {
        return kEnd;
    } else if (s.file != nullptr) {
        c = s.file->readChar();
        if (c < 0 || c > 255) {
            s.ended = true;
            return kEnd;
        }
    } else {
        if (s.position >= s.text.size()) {
            s.ended = true;
            return kEnd;
        }
        c = static_cast<unsigned char>(s.text[s.position++]);
    }
    if (m_sources.size() == 1)
        ++m_count;
    return c;
}

void Lexer::unget(int c)
{
    if (c == kEnd || m_sources.empty())
        return;
    m_sources.back().givenBack.push_back(c);
    if (m_sources.size() == 1)
        --m_count;
}

void Lexer::skipComment(long opening)
{
    // Runs of word characters that begin with a name start are the comment's words;
    // the last one becomes the most recent word.
    std::string word;
    bool inRun = false;
    bool collecting = false;
    for (;;) {
        const int c = nextChar();
        if (c == kEnd) {
            // The rest of the file would silently vanish into the comment.
            errorAt("Comment not closed", opening);
            return;
        }
        if (c == '}')
            break;
        if (isWordChar(c)) {
            if (!inRun) {
                inRun = true;
                collecting = isNameStartChar(c);
                word.clear();
            }
            if (collecting && word.size() < kMaxRecentWordLength)
                word.push_back(static_cast<char>(c));
            continue;
        }
        if (inRun && collecting)
            m_recentWord = word;
        inRun = false;
        collecting = false;
    }
    if (inRun && collecting)
        m_recentWord = word;
}

int Lexer::significantFrom(int c)
{
    for (;;) {
        if (isBlankChar(c)) {
            c = nextChar();
        } else if (c == '{') {
            skipComment(here());
            if (m_state.abort)
                return kEnd;
            c = nextChar();
        } else {
            return c;
        }
    }
}

int Lexer::nextSignificant()
{
    return significantFrom(nextChar());
}

std::string Lexer::readWord(int first, int& next, bool keyword)
{
    m_impliedProduct = false;
    m_parenthesisAdjoins = false;
    std::string word;
    if (first == kEnd) {
        next = kEnd;
        return word;
    }
    word.push_back(static_cast<char>(first));
    int c = nextChar();
    while (isWordChar(c)) {
        if (word.size() < kMaxWordLength)
            word.push_back(static_cast<char>(c));
        c = nextChar();
    }
    m_parenthesisAdjoins = c == '(';
    c = significantFrom(c);
    if (c == '(' && !keyword && lookupFunction(word) == 0 && lookupTwoArgumentFunction(word) == 0) {
        unget(c);
        c = '*';
        m_impliedProduct = true;
    }
    next = c;
    return word;
}

double Lexer::readNumber(int first, int& next)
{
    m_impliedProduct = false;
    const long start = here();
    std::string text;
    bool dot = first == '.';
    bool exponent = false;
    bool afterExponentMark = false;
    bool tooLong = false;
    if (first != kEnd)
        text.push_back(static_cast<char>(first));
    int c = nextChar();
    for (;;) {
        bool take = false;
        bool mark = false;
        if (isDigitChar(c)) {
            take = true;
        } else if (c == '.' && !dot) {
            take = dot = true;
        } else if ((c == 'E' || c == 'e') && !exponent) {
            take = exponent = mark = true;
        } else if ((c == '+' || c == '-') && afterExponentMark) {
            take = true;
        }
        if (!take)
            break;
        afterExponentMark = mark;
        if (text.size() < kMaxNumberLength)
            text.push_back(static_cast<char>(c));
        else
            tooLong = true;
        c = nextChar();
    }

    double value = 0.0;
    if (tooLong || !parseDecimal(text, value)) {
        errorAt("Numeric Format Error", start);
        value = 0.0;
    }
    if (c == kDegreeSign) {
        value = value * kPi * kDegreesToRadians;
        c = nextChar();
    }
    if (c == kPiSign) {
        value = value * kPi;
        c = nextChar();
    }
    m_recentWord = text.substr(0, kMaxRecentWordLength);

    c = significantFrom(c);
    if ((isNameStartChar(c) || c == '(') && c != 'T' && c != 'E') {
        unget(c);
        c = '*';
        m_impliedProduct = true;
    }
    next = c;
    return value;
}

void Lexer::error(std::string_view message)
{
    errorAt(message, lastPosition());
}

void Lexer::errorAt(std::string_view message, long position)
{
    m_state.errorMessage.assign(message.substr(0, ParseState::kMaxMessageLength));
    m_state.errorPosition = m_count;
    m_state.abort = true;
    m_reporter.send("\n");
    m_reporter.send(m_state.errorMessage);
    if (const std::string where = place(position); !where.empty()) {
        m_reporter.send("\n");
        m_reporter.send(where);
    }
    m_reporter.raiseError();
}

void Lexer::warn(std::string_view message, long position)
{
    m_reporter.send("\n");
    m_reporter.send(message);
    if (const std::string where = place(position); !where.empty()) {
        m_reporter.send("\n");
        m_reporter.send(where);
    }
    m_reporter.send("\n");
}

std::string Lexer::place(long position) const
{
    if (m_map == nullptr)
        return {};
    if (const Source* s = functionFile()) {
        SourceMap file;
        file.setOriginal(s->text);
        return s->name + ", " +
               SourceMap::describe(
                   file.locateOriginal(static_cast<std::size_t>(position < 0 ? 0 : position)));
    }
    const std::string where =
        SourceMap::describe(m_map->locate(static_cast<std::size_t>(position < 0 ? 0 : position)));
    return where.empty() || m_map->name().empty() ? where : m_map->name() + ", " + where;
}

} // namespace varnel
