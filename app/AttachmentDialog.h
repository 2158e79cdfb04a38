// The "Attachment" editor: a grid of the list file attached to a document, with a header row
// of variable names and one numbered row per case. Loads the file, edits rows, columns and
// names, and stores the grid atomically in the layout a repeated run reads. Its questions go
// through replaceable prompts so that nothing blocks in tests.
#pragma once

#include "ListFile.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace varnel {

class AttachmentDialog;

/// The modal questions of the attachment and power-flow commands. `standard()` shows the
/// platform's dialogs; tests replace them.
struct AttachmentPrompts {
    /// A file dialog (`save`: choose a name to write); returns the path, empty when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                          const QString& filter, bool save)>
        chooseFile;
    /// A yes/no question; true for yes.
    std::function<bool(QWidget* parent, const QString& title, const QString& text)> ask;
    /// A message.
    std::function<void(QWidget* parent, const QString& title, const QString& text)> tell;
    /// Shows the editor modally and returns its result (QDialog::Accepted after "Save").
    std::function<int(AttachmentDialog& dialog)> runEditor;

    static AttachmentPrompts standard();
};

class AttachmentDialog : public QDialog {
    Q_OBJECT
public:
    /// The name of a new, unnamed list.
    static inline const QString kNoName = QStringLiteral("NoName");
    /// The file filter of list files.
    static inline const QString kFilter = QStringLiteral("Varnel Attachment Files (*.LST)");

    /// An editor on `fileName`: loaded when it names a file, a new list when it is empty or
    /// "NoName". `folder` is where the save dialog of a new list starts.
    AttachmentDialog(const QString& fileName, AttachmentPrompts prompts,
                     const QString& folder = QString(), QWidget* parent = nullptr);

    /// The file the grid was loaded from or stored to ("NoName" for a new list).
    QString fileName() const { return m_fileName; }
    /// The data lines of the file as loaded, or as stored by "Save".
    int count() const { return m_count; }
    /// Why the file could not be read; empty when it was read (or is new or missing).
    QString loadError() const { return m_loadError; }
    /// True when the grid differs from what was loaded or stored.
    bool isEdited() const { return m_edited; }

    QTableWidget* grid() const { return m_grid; }
    QLineEdit* nameField() const { return m_name; }
    QCheckBox* approxBox() const { return m_approx; }
    /// The dialog's button with the text `text` (mnemonics included), or null.
    QPushButton* button(const QString& text) const;

    /// The column that "Get VarName", "RefreshVar", "Inser&t Column" and "Delete &Column" act on
    /// (-1 when the grid has no column).
    int focusedColumn() const;
    void setFocusedColumn(int column);

    /// The grid's names and rows as bytes of the file; false with `error` naming the first
    /// character that has no byte.
    bool table(ListTable& table, QString& error) const;

    /// "Save": checks the grid, asks for a name when the list has none, writes the file
    /// atomically and ends the dialog with Accepted. False, with the dialog left open and the
    /// grid untouched, when the grid is unfit, the name dialog is cancelled or the file
    /// cannot be written (the reason is told).
    bool save();
    /// "Don't Save" (and Escape or closing the window): asks before discarding an edited grid.
    void reject() override;

    void addRow();
    void addColumn();
    void insertRow();
    void insertColumn();
    void deleteColumn();
    void deleteRow();
    /// Copies the focused column's name into the name field; a trailing starting-value sign
    /// is left out and ticks "Approx:".
    void getVarName();
    /// Writes the name field into the focused column's header, with the starting-value sign
    /// when "Approx:" is ticked.
    void refreshVar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void setColumnName(int column, const QString& name);
    QString columnName(int column) const;
    void edited();

    AttachmentPrompts m_prompts;
    QString m_fileName;
    QString m_folder;
    QString m_loadError;
    int m_count = 0;
    int m_column = -1;
    bool m_edited = false;
    QTableWidget* m_grid;
    QAbstractButton* m_corner = nullptr;
    QLineEdit* m_name;
    QCheckBox* m_approx;
    QList<QPushButton*> m_buttons;
};

} // namespace varnel
