// Insertion operations, typing of symbol characters and the Copy rule of the equation
// editor. Colouring is the highlighter's; the symbol face is a character format of its own.
#include "EquationEditor.h"

#include "AppSettings.h"
#include "CommentHighlighter.h"
#include "EquationDocument.h"
#include "SymbolCodec.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

namespace varnel {

namespace {

QString decode(std::string_view bytes)
{
    const std::u32string symbols = decodeEquationBytes(bytes);
    return QString::fromUcs4(symbols.data(), static_cast<qsizetype>(symbols.size()));
}

QTextCharFormat symbolFormat()
{
    QTextCharFormat format;
    format.setFontFamilies({QString::fromLatin1(kSymbolFace)});
    return format;
}

// The byte of a typed character when it is a special character.
bool specialByte(const QString& text, unsigned char& byte)
{
    if (text.size() != 1)
        return false;
    auto b = byteForSymbol(text.at(0).unicode());
    if (!b || !isSpecialCharacter(*b))
        return false;
    byte = *b;
    return true;
}

} // namespace

EquationEditor::EquationEditor(EquationDocument* document, const AppSettings& settings,
                               QPlainTextEdit* output, QWidget* parent)
    : QPlainTextEdit(parent), m_document(document), m_output(output)
{
    setDocument(document->text());
    m_highlighter =
        new CommentHighlighter(document->text(), settings.equationColor, settings.commentsColor);
    applySettings(settings);
}

void EquationEditor::applySettings(const AppSettings& settings)
{
    setFont(settings.editorFont());
    QPalette p = palette();
    p.setColor(QPalette::Base, settings.backgroundColor);
    p.setColor(QPalette::Text, settings.equationColor);
    setPalette(p);
    setLineWrapMode(settings.wordWrap ? WidgetWidth : NoWrap);
    // Tab stops are kept in dialog units, four to an average character (16: four characters).
    setTabStopDistance(QFontMetricsF(font()).averageCharWidth() *
                       std::clamp(settings.tabStops, 1, 16) / 4.0);
    m_highlighter->setColours(settings.equationColor, settings.commentsColor);
}

void EquationEditor::refresh()
{
    m_highlighter->rehighlight();
}

void EquationEditor::insertDecoded(const QString& text, int caretBack)
{
    if (isReadOnly()) // the document of a run in progress
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    // Text keeps the editor's face; only special characters carry the symbol face.
    for (const QChar c : text) {
        unsigned char byte = 0;
        if (specialByte(QString(c), byte))
            cursor.insertText(QString(c), symbolFormat());
        else
            cursor.insertText(QString(c), QTextCharFormat());
    }
    cursor.endEditBlock();
    cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, caretBack);
    setTextCursor(cursor);
}

void EquationEditor::insertEquationText(std::string_view bytes)
{
    insertDecoded(decode(bytes), 0);
}

void EquationEditor::insertFunction(std::string_view bytes)
{
    insertDecoded(decode(bytes), bytes.empty() ? 0 : 1);
}

void EquationEditor::insertCharacter(unsigned char byte)
{
    const char c = static_cast<char>(byte);
    insertDecoded(decode(std::string_view(&c, 1)), 0);
}

void EquationEditor::insertEntry(const PaletteEntry& entry)
{
    switch (entry.kind) {
    case InsertKind::Text:
        insertEquationText(entry.bytes);
        break;
    case InsertKind::Function:
        insertFunction(entry.bytes);
        break;
    case InsertKind::Character:
        insertCharacter(static_cast<unsigned char>(entry.bytes.front()));
        break;
    }
    setFocus();
}

void EquationEditor::copyOrOutput()
{
    if (textCursor().hasSelection())
        copy();
    else if (m_output)
        m_output->copy();
}

void EquationEditor::cutOrOutput()
{
    copyOrOutput();
    if (textCursor().hasSelection())
        cut();
}

void EquationEditor::goToPosition(int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(position, 0, document()->characterCount() - 1));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void EquationEditor::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        copyOrOutput();
        return;
    }
    if (event == QKeySequence::Cut) {
        cutOrOutput();
        return;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable) {
        unsigned char byte = 0;
        if (specialByte(text, byte)) {
            insertCharacter(byte);
            return;
        }
        // Ordinary text typed after a symbol takes the editor's face again.
        if (!currentCharFormat().fontFamilies().toStringList().isEmpty())
            setCurrentCharFormat(QTextCharFormat());
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool EquationEditor::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasUrls() || QPlainTextEdit::canInsertFromMimeData(source);
}

void EquationEditor::insertFromMimeData(const QMimeData* source)
{
    QStringList files;
    for (const QUrl& url : source->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    if (!files.isEmpty()) {
        emit filesDropped(files);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void EquationEditor::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    emit focused(m_document);
}

} // namespace varnel
