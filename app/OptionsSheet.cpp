// The options sheet: two pages in a tab widget, stored together on OK.
#include "OptionsSheet.h"

#include "AppSettings.h"
#include "GeneralPage.h"
#include "MethodPage.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace varnel {

OptionsSheet::OptionsSheet(const QString& title, SolverOptions& options, AppSettings& settings,
                           Notifier notifier, QWidget* parent)
    : QDialog(parent), m_options(options), m_settings(settings), m_notifier(std::move(notifier)),
      m_pages(new QTabWidget(this)), m_method(new MethodPage(this)),
      m_general(new GeneralPage(settings, this))
{
    setObjectName("optionsSheet");
    setWindowTitle(QStringLiteral("Settings: ") + title);
    m_method->setFields(methodFields(options));
    m_pages->addTab(m_method, tr("Method"));
    m_pages->addTab(m_general, tr("General"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_pages->widget(index) == m_general)
            m_generalShown = true;
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
}

void OptionsSheet::accept()
{
    SolverOptions updated = m_options;
    if (const auto problem = storeMethodFields(m_method->fields(), updated)) {
        m_pages->setCurrentWidget(m_method);
        m_method->focusField(problem->field);
        const QString message = QString::fromStdString(problem->message);
        if (m_notifier)
            m_notifier(QStringLiteral("Varnel"), message);
        return;
    }
    if (m_generalShown) {
        m_general->store(m_settings);
        updated.showIterations = m_settings.iterInf != 0;
        updated.showDerivatives = m_settings.derivInf != 0;
        updated.showResults = m_settings.resultsInf != 0;
    }
    m_options = updated;
    QDialog::accept();
}

} // namespace varnel
