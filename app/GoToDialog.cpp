// The go-to-position dialog.
#include "GoToDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace varnel {

GoToDialog::GoToDialog(int position, int maximum, QWidget* parent)
    : QDialog(parent), m_position(new QSpinBox(this))
{
    setWindowTitle(tr("Move Cursor"));
    m_position->setRange(0, std::max(0, maximum));
    m_position->setValue(position);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Jump to Position No:"), m_position);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
}

int GoToDialog::position() const
{
    return m_position->value();
}

} // namespace varnel
