// The result-table window.
#include "ResultTableDialog.h"

#include "ResultSheet.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace varnel {

namespace {

QString fromStd(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

ResultTableDialog::ResultTableDialog(const QString& path, const ResultSheet& table, QWidget* parent)
    : QDialog(parent), m_grid(new QTableWidget(this))
{
    setWindowTitle(tr("Results: %1").arg(path));
    auto* layout = new QVBoxLayout(this);
    if (table.hasParameterLine) {
        auto* parameter = new QLabel(this);
        QStringList values;
        for (float v : table.parameterValues)
            values << QString::number(static_cast<double>(v), 'g', 7);
        parameter->setText(
            tr("Parameter %1: %2")
                .arg(fromStd(table.parameterName), values.join(QStringLiteral(", "))));
        parameter->setWordWrap(true);
        layout->addWidget(parameter);
    }

    m_grid->setObjectName(QStringLiteral("resultGrid"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setColumnCount(table.columnCount());
    QStringList names;
    for (const std::string& name : table.names)
        names << fromStd(name);
    m_grid->setHorizontalHeaderLabels(names);
    m_grid->setRowCount(static_cast<int>(table.text.size()));
    for (int r = 0; r < static_cast<int>(table.text.size()); ++r) {
        const std::vector<std::string>& row = table.text[static_cast<std::size_t>(r)];
        for (int c = 0; c < table.columnCount() && c < static_cast<int>(row.size()); ++c) {
            auto* item = new QTableWidgetItem(fromStd(row[static_cast<std::size_t>(c)]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, item);
        }
    }
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_grid);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* graph = buttons->addButton(tr("&Graph"), QDialogButtonBox::AcceptRole);
    graph->setDefault(true);
    buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 480);
}

} // namespace varnel
