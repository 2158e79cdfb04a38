// Colours an equation text as the user types: comments ("{" to the next "}", or to the end
// when none follows) in the comment colour, everything else in the equation colour. The
// open-comment state is carried from line to line, so a "{" typed on one line recolours
// the lines after it until a "}" closes it.
#pragma once

#include <QColor>
#include <QSyntaxHighlighter>

namespace varnel {

class CommentHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    CommentHighlighter(QTextDocument* document, const QColor& equation, const QColor& comment);

    /// Changes both colours and recolours the whole text.
    void setColours(const QColor& equation, const QColor& comment);
    QColor equationColour() const { return m_equation; }
    QColor commentColour() const { return m_comment; }

protected:
    void highlightBlock(const QString& text) override;

private:
    QColor m_equation;
    QColor m_comment;
};

} // namespace varnel
