// Line breaking of printed equation text and verbatim copying of the user's text, with the
// column count that both share.
#include "LineWriter.h"

#include "CharClasses.h"
#include "Symbols.h"

namespace varnel {

namespace {

int byteOf(char c)
{
    return static_cast<unsigned char>(c);
}

/// Characters after which a line may break once the column exceeds kSoftColumn.
bool breaksSoft(char c)
{
    return isBlankChar(byteOf(c)) || c == '=' || c == '+' || c == '-' || c == ')';
}

/// Characters after which a line may break once the column exceeds kOperatorColumn.
bool breaksAtOperator(char c)
{
    return breaksSoft(c) || c == '*' || c == '/' || c == '^' || c == '(' || c == '@';
}

/// Length of the name or number that starts text[i], or 0 when text[i] begins neither.
std::size_t atomLength(std::string_view text, std::size_t i)
{
    const std::size_t n = text.size();
    std::size_t j = i;
    const int first = byteOf(text[i]);
    if (isNameStartChar(first) || first == '?') {
        // Names that complex expansion makes end in the angle or magnitude byte.
        while (j < n && (isWordChar(byteOf(text[j])) || byteOf(text[j]) == symbol::Degree ||
                         byteOf(text[j]) == symbol::Magnitude))
            ++j;
        return j - i;
    }
    if (first == symbol::ImaginaryUnit && j + 1 < n &&
        (isDigitChar(byteOf(text[j + 1])) || text[j + 1] == '.'))
        ++j;
    else if (!isDigitChar(first) && first != '.')
        return 0;
    while (j < n && (isDigitChar(byteOf(text[j])) || text[j] == '.'))
        ++j;
    if (j < n && (text[j] == 'e' || text[j] == 'E')) {
        ++j;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        while (j < n && isDigitChar(byteOf(text[j])))
            ++j;
    }
    if (j < n && byteOf(text[j]) == symbol::Degree)
        ++j;
    return j - i;
}

} // namespace

void LineWriter::count(char c)
{
    if (!m_inComment && c != '}' && !isBlankChar(byteOf(c)))
        ++m_column;
}

bool LineWriter::breaksAfter(char c) const
{
    return m_column >= kHardColumn || (m_column > kOperatorColumn && breaksAtOperator(c)) ||
           (m_column > kSoftColumn && breaksSoft(c));
}

void LineWriter::writePrinted(std::string_view text)
{
    // Text is appended in runs; a run ends where a line breaks.
    m_afterCarriageReturn = false;
    std::size_t done = 0;
    const auto breakAt = [&](std::size_t end) {
        m_out.append(text.data() + done, end - done);
        done = end;
        newLine();
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = atomLength(text, i);
        if (length == 0) {
            const char c = text[i++];
            count(c);
            if (breaksAfter(c))
                breakAt(i);
            continue;
        }
        if (!m_inComment) {
            if (m_column > 0 && m_column + static_cast<int>(length) > kHardColumn)
                breakAt(i);
            m_column += static_cast<int>(length);
        }
        i += length;
        if (m_column >= kHardColumn)
            breakAt(i);
    }
    m_out.append(text.data() + done, text.size() - done);
}

void LineWriter::copy(std::string_view text)
{
    for (const char c : text) {
        if (c == '\n' && m_afterCarriageReturn) {
            m_afterCarriageReturn = false;
            continue;
        }
        if (c == '\r' || c == '\n') {
            newLine();
            m_afterCarriageReturn = c == '\r';
            continue;
        }
        m_afterCarriageReturn = false;
        m_out.push_back(c);
        if (!m_inComment && c == '{')
            m_inComment = true;
        else if (m_inComment && c == '}')
            m_inComment = false;
        else
            count(c);
    }
}

void LineWriter::newLine()
{
    m_afterCarriageReturn = false;
    m_out.append(m_lineEnd);
    m_column = 0;
}

void LineWriter::closeComment()
{
    if (!m_inComment)
        return;
    m_out.push_back('}');
    m_inComment = false;
}

} // namespace varnel
