// Line-by-line comment colouring over the comment scanner.
#include "CommentHighlighter.h"

#include "CommentScanner.h"

namespace varnel {

namespace {
constexpr int kInComment = 1;
}

CommentHighlighter::CommentHighlighter(QTextDocument* document, const QColor& equation,
                                       const QColor& comment)
    : QSyntaxHighlighter(document), m_equation(equation), m_comment(comment)
{
}

void CommentHighlighter::setColours(const QColor& equation, const QColor& comment)
{
    m_equation = equation;
    m_comment = comment;
    rehighlight();
}

void CommentHighlighter::highlightBlock(const QString& text)
{
    // The line end belongs to the text too: a comment open at the end of a line goes on.
    const bool open = previousBlockState() == kInComment;
    const std::u16string_view piece(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<size_t>(text.size()));
    const CommentScan scan = scanComments(piece, open);
    setFormat(0, static_cast<int>(text.size()), m_equation);
    for (const CommentSpan& span : scan.spans)
        setFormat(static_cast<int>(span.start), static_cast<int>(span.length), m_comment);
    setCurrentBlockState(scan.endsInComment ? kInComment : 0);
}

} // namespace varnel
