// The result-table window: the table's rows in a grid (the parameter line above it when the
// table has one), with "&Graph" to go on to the graph definition and "Close".
#pragma once

#include <QDialog>

class QTableWidget;

namespace varnel {

struct ResultSheet;

class ResultTableDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows `table` (read with its fields kept as text) from the file `path`.
    ResultTableDialog(const QString& path, const ResultSheet& table, QWidget* parent = nullptr);

    QTableWidget* grid() const { return m_grid; }

private:
    QTableWidget* m_grid;
};

} // namespace varnel
