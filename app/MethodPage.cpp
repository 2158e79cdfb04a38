// The Method page: a form of plain text fields, read back only when the sheet is accepted.
#include "MethodPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace varnel {

namespace {

template <std::size_t N>
QComboBox* list(const char* const (&entries)[N], const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    for (const char* entry : entries)
        box->addItem(QString::fromLatin1(entry));
    return box;
}

QLineEdit* field(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaximumWidth(140);
    return edit;
}

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string bytes(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

} // namespace

MethodPage::MethodPage(QWidget* parent)
    : QWidget(parent), m_method(list(kSolvingMethods, "solvingMethod", this)),
      m_jacobian(list(kJacobianMethods, "jacobianMethod", this)),
      m_differential(list(kDifferentialMethods, "differentialMethod", this)),
      m_tolerance(field("tolerance", this)), m_deltaJ(field("deltaJ", this)),
      m_maxIterations(field("maxIterations", this)), m_repetitions(field("repetitions", this)),
      m_guessMin(field("guessMin", this)), m_guessMax(field("guessMax", this)),
      m_deltaT(field("deltaT", this)), m_solveInGroups(new QCheckBox(tr("Solve in Groups"), this)),
      m_autoHomotopy(new QCheckBox(tr("Automatic Homotopy"), this)),
      m_autoSimplify(new QCheckBox(tr("Auto Simplify Equations"), this))
{
    setObjectName("methodPage");
    m_solveInGroups->setObjectName("solveInGroups");
    m_autoHomotopy->setObjectName("autoHomotopy");
    m_autoSimplify->setObjectName("autoSimplify");
    m_tolerance->setMaximumWidth(60);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(tr("Solving Method:"), m_method);
    form->addRow(tr("Jacobian Method:"), m_jacobian);
    // The tolerance reads "10 - n": the field holds the magnitude of the exponent.
    auto* tolerance = new QHBoxLayout;
    auto* ten = new QLabel(QStringLiteral("10"), this);
    auto* minus = new QLabel(QStringLiteral("-"), this);
    minus->setAlignment(Qt::AlignTop);
    tolerance->addWidget(ten);
    tolerance->addWidget(minus);
    tolerance->addWidget(m_tolerance);
    tolerance->addStretch();
    form->addRow(tr("Min. Tolerance:"), tolerance);
    form->addRow(tr("Delta J:"), m_deltaJ);
    form->addRow(tr("Max Iterations:"), m_maxIterations);
    form->addRow(tr("Repetitions:"), m_repetitions);
    layout->addLayout(form);

    auto* groups = new QHBoxLayout;
    auto* guess = new QGroupBox(tr("Initial Guess"), this);
    auto* guessForm = new QFormLayout(guess);
    guessForm->addRow(tr("Minimum"), m_guessMin);
    guessForm->addRow(tr("Maximum"), m_guessMax);
    groups->addWidget(guess);
    auto* differential = new QGroupBox(tr("Differential Equations"), this);
    auto* differentialForm = new QFormLayout(differential);
    differentialForm->addRow(m_differential);
    differentialForm->addRow(tr("Delta T:"), m_deltaT);
    groups->addWidget(differential);
    layout->addLayout(groups);

    layout->addWidget(m_solveInGroups);
    layout->addWidget(m_autoHomotopy);
    layout->addWidget(m_autoSimplify);
    layout->addStretch();
}

void MethodPage::setFields(const MethodFields& f)
{
    m_method->setCurrentIndex(f.method);
    m_jacobian->setCurrentIndex(f.jacobianMethod);
    m_differential->setCurrentIndex(f.differentialMethod);
    m_tolerance->setText(text(f.tolerance));
    m_deltaJ->setText(text(f.deltaJ));
    m_maxIterations->setText(text(f.maxIterations));
    m_repetitions->setText(text(f.repetitions));
    m_guessMin->setText(text(f.guessMin));
    m_guessMax->setText(text(f.guessMax));
    m_deltaT->setText(text(f.deltaT));
    m_solveInGroups->setChecked(f.solveInGroups);
    m_autoHomotopy->setChecked(f.autoHomotopy);
    m_autoSimplify->setChecked(f.autoSimplify);
}

MethodFields MethodPage::fields() const
{
    MethodFields f;
    f.method = m_method->currentIndex();
    f.jacobianMethod = m_jacobian->currentIndex();
    f.differentialMethod = m_differential->currentIndex();
    f.tolerance = bytes(m_tolerance);
    f.deltaJ = bytes(m_deltaJ);
    f.maxIterations = bytes(m_maxIterations);
    f.repetitions = bytes(m_repetitions);
    f.guessMin = bytes(m_guessMin);
    f.guessMax = bytes(m_guessMax);
    f.deltaT = bytes(m_deltaT);
    f.solveInGroups = m_solveInGroups->isChecked();
    f.autoHomotopy = m_autoHomotopy->isChecked();
    f.autoSimplify = m_autoSimplify->isChecked();
    return f;
}

QLineEdit* MethodPage::edit(MethodField field) const
{
    switch (field) {
    case MethodField::Tolerance:
        return m_tolerance;
    case MethodField::DeltaJ:
        return m_deltaJ;
    case MethodField::MaxIterations:
        return m_maxIterations;
    case MethodField::Repetitions:
        return m_repetitions;
    case MethodField::GuessMin:
        return m_guessMin;
    case MethodField::GuessMax:
        return m_guessMax;
    case MethodField::DeltaT:
        return m_deltaT;
    }
    return m_tolerance;
}

void MethodPage::focusField(MethodField field)
{
    QLineEdit* e = edit(field);
    e->setFocus(Qt::OtherFocusReason);
    e->selectAll();
}

} // namespace varnel
