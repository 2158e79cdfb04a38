// The page-setup dialog.
#include "PageSetupDialog.h"

#include "AppSettings.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace varnel {

PageSetupDialog::PageSetupDialog(const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_header(new QLineEdit(settings.header, this)),
      m_footer(new QLineEdit(settings.footer, this)),
      m_headerSystem(new QRadioButton(tr("System Time"), this)),
      m_footerSystem(new QRadioButton(tr("System Time"), this))
{
    setWindowTitle(tr("Page Setup"));
    auto* layout = new QGridLayout(this);
    auto* headerFile = new QRadioButton(tr("File Time"), this);
    auto* footerFile = new QRadioButton(tr("File Time"), this);
    auto* headerGroup = new QButtonGroup(this);
    headerGroup->addButton(headerFile);
    headerGroup->addButton(m_headerSystem);
    auto* footerGroup = new QButtonGroup(this);
    footerGroup->addButton(footerFile);
    footerGroup->addButton(m_footerSystem);
    (settings.headerTime ? m_headerSystem : headerFile)->setChecked(true);
    (settings.footerTime ? m_footerSystem : footerFile)->setChecked(true);

    auto* headerLabel = new QLabel(tr("&Header:"), this);
    headerLabel->setBuddy(m_header);
    auto* footerLabel = new QLabel(tr("&Footer:"), this);
    footerLabel->setBuddy(m_footer);
    layout->addWidget(headerLabel, 0, 0);
    layout->addWidget(m_header, 0, 1, 1, 2);
    layout->addWidget(headerFile, 1, 1);
    layout->addWidget(m_headerSystem, 1, 2);
    layout->addWidget(footerLabel, 2, 0);
    layout->addWidget(m_footer, 2, 1, 1, 2);
    layout->addWidget(footerFile, 3, 1);
    layout->addWidget(m_footerSystem, 3, 2);
    auto* hint = new QLabel(tr("&&f file name, &&p page number, %d.%m.%Y %H:%M time codes"), this);
    hint->setEnabled(false);
    layout->addWidget(hint, 4, 0, 1, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 5, 0, 1, 3);
}

void PageSetupDialog::store(AppSettings& settings) const
{
    settings.header = m_header->text();
    settings.footer = m_footer->text();
    settings.headerTime = m_headerSystem->isChecked();
    settings.footerTime = m_footerSystem->isChecked();
}

} // namespace varnel
