// The graph definition dialog: the table's variables, the grid of curves (x and y variable,
// axis titles, title, colour), the grid lines, "One Graph" and the graph type. Accepting it
// with no curve tells "There is nothing to be drawn".
#pragma once

#include "GraphModel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QTableWidget;

namespace varnel {

struct ResultPrompts;

class GraphDefinitionDialog : public QDialog {
    Q_OBJECT
public:
    /// The columns of the "Graphs:" grid.
    enum Column { No, XAxis, YAxis, XTitle, YTitle, Title, Colour, ColumnCount };

    /// A dialog for the table at `tablePath` whose header is `names`; `prompts` answers the
    /// messages and the colour choice and must outlive the dialog.
    GraphDefinitionDialog(const QString& tablePath, const std::vector<std::string>& names,
                          const ResultPrompts& prompts, QWidget* parent = nullptr);

    QListWidget* variables() const { return m_variables; }
    QTableWidget* curvesGrid() const { return m_grid; }

    /// Appends a curve row (the grid's current row becomes it).
    void addCurve(const GraphCurve& curve);
    /// The curves of the grid's rows that name both variables.
    std::vector<GraphCurve> curves() const;
    GraphOptions options() const;
    void setOptions(const GraphOptions& options);

    /// Puts the selected variable into the current curve's x (or y) column, making a new
    /// curve when there is none.
    void useSelectedVariable(bool asX);
    void newCurve();
    void insertCurve();
    void deleteCurve();
    void chooseColour();
    /// Reads the variable names from the table again.
    void refresh();

    void accept() override;

private:
    void fillVariables(const std::vector<std::string>& names);
    void setRow(int row, const GraphCurve& curve);
    void renumber();
    std::uint32_t nextColour() const;

    QString m_tablePath;
    const ResultPrompts& m_prompts;
    QListWidget* m_variables;
    QTableWidget* m_grid;
    QCheckBox* m_horizontal;
    QCheckBox* m_vertical;
    QCheckBox* m_oneGraph;
    QComboBox* m_type;
};

} // namespace varnel
