// The tab-stop dialog and its range check.
#include "TabStopsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>

namespace varnel {

TabStopsDialog::TabStopsDialog(int tabStops, QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(QString::number(tabStops), this)), m_value(tabStops)
{
    setWindowTitle(tr("Set Tab Stops"));
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("&Tab Stops:"), m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TabStopsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TabStopsDialog::reject);
    layout->addRow(buttons);
}

std::optional<int> TabStopsDialog::parse(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 16)
        return std::nullopt;
    return value;
}

void TabStopsDialog::accept()
{
    auto value = parse(m_edit->text());
    if (!value) {
        QMessageBox::warning(this, windowTitle(), tr("Please enter an integer between 1 and 16."));
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    m_value = *value;
    QDialog::accept();
}

} // namespace varnel
