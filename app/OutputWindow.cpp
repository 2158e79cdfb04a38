// The read-only message pane.
#include "OutputWindow.h"

#include "AppSettings.h"

#include <QTextCursor>

namespace varnel {

OutputWindow::OutputWindow(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font(QString::fromLatin1(kFixedSymbolFace));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    setFont(font);
    setLineWrapMode(NoWrap);
    setMaximumBlockCount(kLines);
}

void OutputWindow::appendPiece(const QString& piece)
{
    // Lines that the block limit would drop at once are not inserted at all.
    qsizetype start = piece.size();
    for (int lines = 0; start > 0 && lines < kLines; ++lines)
        start = piece.lastIndexOf(QLatin1Char('\n'), start - 1);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(start > 0 ? piece.mid(start + 1) : piece);
    ensureCursorVisible();
}

} // namespace varnel
