// The Output window: a read-only text pane that collects the library's messages piece by
// piece (the solve commands append to it) and whose selection the editor's Copy can take.
#pragma once

#include <QPlainTextEdit>

namespace varnel {

class OutputWindow : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OutputWindow(QWidget* parent = nullptr);

    /// Appends a piece of a message at the end (no line break of its own).
    void appendPiece(const QString& piece);
};

} // namespace varnel
