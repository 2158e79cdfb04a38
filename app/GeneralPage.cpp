// The General page: three switches and three colour buttons.
#include "GeneralPage.h"

#include "AppSettings.h"
#include "ColourButton.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace varnel {

GeneralPage::GeneralPage(const AppSettings& settings, QWidget* parent)
    : QWidget(parent),
      m_iterations(new QCheckBox(tr("Show results for each iteration (converg.)"), this)),
      m_derivatives(new QCheckBox(tr("Show derivative information"), this)),
      m_results(new QCheckBox(tr("Show results in output view"), this)),
      m_equation(new ColourButton(tr("Equation"), settings.equationColor, QColor(255, 0, 0), this)),
      m_comments(
          new ColourButton(tr("Comments"), settings.commentsColor, QColor(128, 128, 128), this)),
      m_background(new ColourButton(tr("Background"), settings.backgroundColor, Qt::white, this))
{
    setObjectName("generalPage");
    m_iterations->setObjectName("iterInf");
    m_derivatives->setObjectName("derivInf");
    m_results->setObjectName("resultsInf");
    m_equation->setObjectName("equationColour");
    m_comments->setObjectName("commentsColour");
    m_background->setObjectName("backgroundColour");
    m_iterations->setChecked(settings.iterInf != 0);
    m_derivatives->setChecked(settings.derivInf != 0);
    m_results->setChecked(settings.resultsInf != 0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_iterations);
    layout->addWidget(m_derivatives);
    layout->addWidget(m_results);
    auto* colours = new QGroupBox(this);
    auto* form = new QFormLayout(colours);
    form->addRow(tr("Equation Color:"), m_equation);
    form->addRow(tr("Comments Color:"), m_comments);
    form->addRow(tr("Background Color:"), m_background);
    layout->addWidget(colours);
    layout->addStretch();
}

void GeneralPage::store(AppSettings& settings) const
{
    settings.iterInf = m_iterations->isChecked() ? 1 : 0;
    settings.derivInf = m_derivatives->isChecked() ? 1 : 0;
    settings.resultsInf = m_results->isChecked() ? 1 : 0;
    settings.equationColor = m_equation->colour();
    settings.commentsColor = m_comments->colour();
    settings.backgroundColor = m_background->colour();
}

} // namespace varnel
