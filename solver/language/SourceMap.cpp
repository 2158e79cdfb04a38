// Turning reading positions of the working copy back into lines and columns of the
// equation file, and the two message lines that show the place.
#include "SourceMap.h"

#include <algorithm>

namespace varnel {

namespace {
constexpr std::size_t kShownWidth = 100; // characters of a long line shown around the column
} // namespace

void SourceMap::setOriginal(std::string text)
{
    m_original = std::move(text);
    m_lineStarts.assign(1, 0);
    for (std::size_t i = 0; i < m_original.size(); ++i)
        if (m_original[i] == '\n')
            m_lineStarts.push_back(i + 1);
    m_pieces.clear();
}

void SourceMap::mapPiece(std::size_t copyOffset, std::size_t originalOffset)
{
    m_pieces.push_back({copyOffset, originalOffset});
}

SourceLocation SourceMap::locate(std::size_t copyOffset) const
{
    if (m_pieces.empty())
        return {};
    auto after = std::upper_bound(m_pieces.begin(), m_pieces.end(), copyOffset,
                                  [](std::size_t o, const Piece& p) { return o < p.copyOffset; });
    if (after == m_pieces.begin())
        return locateOriginal(m_pieces.front().originalOffset);
    const Piece& piece = *std::prev(after);
    return locateOriginal(piece.originalOffset + (copyOffset - piece.copyOffset));
}

SourceLocation SourceMap::locateOriginal(std::size_t originalOffset) const
{
    const std::size_t offset = std::min(originalOffset, m_original.size());
    const auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    std::size_t index = static_cast<std::size_t>(next - m_lineStarts.begin()) - 1;
    // The end of a file that ends with a line feed belongs to its last line.
    if (offset == m_original.size() && index > 0 && m_lineStarts[index] == offset)
        --index;
    const std::size_t start = m_lineStarts[index];
    std::size_t end = m_original.find('\n', start);
    if (end == std::string::npos)
        end = m_original.size();
    SourceLocation where;
    where.line = index + 1;
    where.column = std::min(offset, end) - start + 1;
    where.text = std::string_view(m_original).substr(start, end - start);
    return where;
}

std::string SourceMap::describe(const SourceLocation& where)
{
    if (where.line == 0)
        return {};
    std::string out =
        "line " + std::to_string(where.line) + ", column " + std::to_string(where.column) + ":\n";
    std::string_view text = where.text;
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    std::size_t caret = where.column - 1;
    std::string shown;
    if (text.size() > kShownWidth) {
        const std::size_t from = caret > kShownWidth / 2 ? caret - kShownWidth / 2 : 0;
        if (from > 0)
            shown = "...";
        shown += text.substr(from, kShownWidth);
        if (from + kShownWidth < text.size())
            shown += "...";
        caret = caret - from + (from > 0 ? 3 : 0);
    } else {
        shown.assign(text);
    }
    std::string marks(caret, ' ');
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto c = static_cast<unsigned char>(shown[i]);
        if (c < 32 && c != '\t')
            shown[i] = ' ';
        if (i < caret && c == '\t')
            marks[i] = '\t';
    }
    out += shown;
    out += '\n';
    out += marks;
    out += '^';
    return out;
}

} // namespace varnel
