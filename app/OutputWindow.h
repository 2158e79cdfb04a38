// The Output window: a read-only text pane that collects the library's messages piece by
// piece (the solve commands append to it) and whose selection the editor's Copy can take.
// It keeps the last kLines lines, so a run that prints millions of lines cannot exhaust
// memory or stall the window.
#pragma once

#include <QPlainTextEdit>

namespace varnel {

class OutputWindow : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kLines = 20000;

    explicit OutputWindow(QWidget* parent = nullptr);

    /// Appends a piece of a message at the end (no line break of its own); of a piece longer
    /// than the window keeps, only its last lines are inserted.
    void appendPiece(const QString& piece);
};

} // namespace varnel
