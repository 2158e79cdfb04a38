// Find and Replace for the active equation editor: a modeless dialog with the search text,
// the replacement, match case, whole words and direction. It acts on whichever editor the
// main window says is active.
#pragma once

#include <QDialog>
#include <QTextDocument>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace varnel {

class FindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    /// `activeEditor` gives the editor to search in (null: none).
    FindReplaceDialog(std::function<QPlainTextEdit*()> activeEditor, QWidget* parent = nullptr);

    /// Shows the dialog with or without the replace row.
    void showFor(bool replace);

    /// Finds the next match in `editor` from its caret; wraps around once. False when the
    /// text does not occur.
    static bool findIn(QPlainTextEdit* editor, const QString& text, QTextDocument::FindFlags flags);
    /// Replaces every match in `editor` as one undo step; returns how many.
    static int replaceAllIn(QPlainTextEdit* editor, const QString& text, const QString& with,
                            QTextDocument::FindFlags flags);

public slots:
    bool findNext();
    void replace();
    void replaceAll();

private:
    QTextDocument::FindFlags flags() const;

    std::function<QPlainTextEdit*()> m_activeEditor;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QLabel* m_replaceLabel;
    QCheckBox* m_case;
    QCheckBox* m_words;
    QCheckBox* m_up;
    QWidget* m_replaceButtons;
    QLabel* m_status;
};

} // namespace varnel
