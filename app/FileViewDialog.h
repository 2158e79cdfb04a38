// The file viewer: shows a text file the library produced (a symbolic Jacobian, linearized or
// simplified equations) read-only, and offers to turn it into a new equation document.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace varnel {

class FileViewDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows `path` (empty text when it cannot be read); "Convert to Main File" is offered
    /// only when `conversion` is set. The dialog is accepted by that button.
    FileViewDialog(const QString& path, bool conversion, QWidget* parent = nullptr);

    /// The text shown, decoded from the file's bytes like an opened equation file.
    QString text() const;
    QPushButton* convertButton() const { return m_convert; }
    QPushButton* closeButton() const { return m_close; }

private:
    QString m_decoded;
    QPlainTextEdit* m_text;
    QPushButton* m_convert;
    QPushButton* m_close;
};

} // namespace varnel
