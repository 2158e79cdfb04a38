// The editor of an equation document: shows its text with comment colouring, inserts
// operators, function templates and symbols from the palettes and menus (each insertion one
// undo step), gives symbol characters the symbol face, and copies from the Output window
// when it has no selection of its own.
#pragma once

#include "PaletteTable.h"

#include <QPlainTextEdit>
#include <QPointer>

namespace varnel {

class AppSettings;
class CommentHighlighter;
class EquationDocument;

class EquationEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    /// `output` is the Output window whose selection Copy takes when the editor has none
    /// (may be null).
    EquationEditor(EquationDocument* document, const AppSettings& settings, QPlainTextEdit* output,
                   QWidget* parent = nullptr);

    EquationDocument* equationDocument() const { return m_document; }
    CommentHighlighter* highlighter() const { return m_highlighter; }

    /// Replaces the selection with `bytes` (equation-file bytes) and puts the caret after it.
    void insertEquationText(std::string_view bytes);
    /// As insertEquationText, with the caret one character before the end (between the
    /// parentheses of a function template).
    void insertFunction(std::string_view bytes);
    /// Replaces the selection with one byte; a special byte gets the symbol face.
    void insertCharacter(unsigned char byte);
    /// Runs the insertion of a palette entry.
    void insertEntry(const PaletteEntry& entry);

    /// Copies the selection, or the Output window's selection when there is none.
    void copyOrOutput();
    /// Copies as copyOrOutput, then cuts the editor's selection.
    void cutOrOutput();

    /// Applies colours, background, font and word wrap from the settings and recolours.
    void applySettings(const AppSettings& settings);
    /// Recolours the whole text.
    void refresh();
    /// Puts the caret at character position `position` (clamped to the text).
    void goToPosition(int position);

    /// Dropped or pasted data: local files are announced by filesDropped (and opened by the
    /// main window), never inserted as text; anything else goes in as text.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

signals:
    void focused(EquationDocument* document);
    /// Local files dropped onto the editor (they are opened, not inserted as text).
    void filesDropped(const QStringList& paths);

private:
    void insertDecoded(const QString& text, int caretBack);

    EquationDocument* m_document;
    CommentHighlighter* m_highlighter;
    QPointer<QPlainTextEdit> m_output;
};

} // namespace varnel
