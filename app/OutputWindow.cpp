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
}

void OutputWindow::appendPiece(const QString& piece)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece);
    ensureCursorVisible();
}

} // namespace varnel
