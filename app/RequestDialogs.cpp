// The "FFT" and "Graph Generation" dialogs.
#include "RequestDialogs.h"

#include "SolveCommands.h"
#include "SymbolCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstring>

namespace varnel {

namespace {

constexpr double kLargestValue = 1e15;
constexpr int kLargestSteps = 10000000;

std::vector<std::string> namesOf(const char* const* names, int count)
{
    std::vector<std::string> list;
    for (int i = 0; names && i < count; ++i)
        list.emplace_back(names[i] ? names[i] : "");
    return list;
}

QComboBox* nameList(const std::vector<std::string>& names, int selected, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (const std::string& name : names) {
        const std::u32string text = decodeEquationBytes(name);
        box->addItem(QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())));
    }
    if (!names.empty())
        box->setCurrentIndex(selected);
    return box;
}

QDoubleSpinBox* valueBox(double value, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(6);
    box->setRange(-kLargestValue, kLargestValue);
    box->setValue(value);
    return box;
}

QSpinBox* countBox(int value, int maximum, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, maximum);
    box->setValue(value);
    return box;
}

// Copies the name at `index` (its bytes, as the library gave them) into a fixed field.
template <std::size_t N>
void copyName(char (&field)[N], const std::vector<std::string>& names, int index)
{
    std::memset(field, 0, N);
    if (index < 0 || index >= static_cast<int>(names.size()))
        return;
    const std::string& name = names[static_cast<std::size_t>(index)];
    std::memcpy(field, name.data(), std::min(name.size(), N - 1));
}

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

// ---------------------------------------------------------------------------------------
// FFT

FftDialog::FftDialog(const FourierRequest& request, QWidget* parent) : QDialog(parent)
{
    setObjectName("FftDialog");
    setWindowTitle(QStringLiteral("FFT"));
    const std::vector<std::string> names = namesOf(request.names, request.nameCount);
    const FourierChoice choice = preselectFourier(names);
    m_independent = nameList(names, choice.independent, this);
    m_real = nameList(names, choice.real, this);
    m_imaginary = nameList(names, choice.imaginary, this);
    m_axis = new QComboBox(this);
    m_axis->addItems({QStringLiteral("Frequency"), QStringLiteral("Angular Frequency"),
                      QStringLiteral("Sample")});
    const int samples = std::max(0, request.sampleCount);
    m_from = countBox(0, std::max(samples, kLargestSteps), this);
    m_to = countBox(samples, std::max(samples, kLargestSteps), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Independent Variable:"), m_independent);
    form->addRow(QStringLiteral("Re ( Y ):"), m_real);
    form->addRow(QStringLiteral("Im ( Y ):"), m_imaginary);
    form->addRow(QStringLiteral("X axis show as:"), m_axis);
    form->addRow(QStringLiteral("X Samples From:"), m_from);
    form->addRow(QStringLiteral("X Samples To:"), m_to);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void FftDialog::store(FourierRequest& request) const
{
    const std::vector<std::string> names = namesOf(request.names, request.nameCount);
    request.independentIndex = m_independent->currentIndex();
    request.realIndex = m_real->currentIndex();
    request.imagIndex = m_imaginary->currentIndex();
    request.axisUnit = m_axis->currentIndex();
    copyName(request.realText, names, request.realIndex);
    copyName(request.imagText, names, request.imagIndex);
    request.samplesFrom = m_from->value();
    request.samplesTo = m_to->value();
}

// ---------------------------------------------------------------------------------------
// Graph Generation

GraphGenerationDialog::GraphGenerationDialog(
    const GraphRequest& request, std::function<void(const QString&, const QString&)> refuse,
    QWidget* parent)
    : QDialog(parent), m_refuse(std::move(refuse)),
      m_names(namesOf(request.names, request.nameCount))
{
    setObjectName("GraphGenerationDialog");
    setWindowTitle(QStringLiteral("Graph Generation"));

    m_independent = nameList(m_names, 0, this);
    m_from = valueBox(-10.0, this);
    m_to = valueBox(10.0, this);
    m_stepsLabel = new QLabel(QStringLiteral("No of Steps:"), this);
    m_steps = countBox(100, kLargestSteps, this);
    m_samplesLabel = new QLabel(QStringLiteral("No of Samples:"), this);
    m_samples = new QComboBox(this);
    for (int count : fftSampleCounts()) {
        m_samples->addItem(QString::number(count), count);
        if (count == kDefaultFftSampleCount)
            m_samples->setCurrentIndex(m_samples->count() - 1);
    }
    m_samplesLabel->hide();
    m_samples->hide();
    m_forFft = new QCheckBox(QStringLiteral("For FFT"), this);
    m_parametric = new QCheckBox(QStringLiteral("Parametric Graph"), this);
    m_parameter = nameList(m_names, 0, this);
    m_parameterFrom = valueBox(0.0, this);
    m_parameterTo = valueBox(5.0, this);
    m_parameterSteps = countBox(50, kLargestSteps, this);

    auto* independentBox = new QGroupBox(QStringLiteral("Independent Variable"), this);
    auto* independentForm = new QFormLayout(independentBox);
    independentForm->addRow(m_independent);
    independentForm->addRow(QStringLiteral("From:"), m_from);
    independentForm->addRow(QStringLiteral("To:"), m_to);
    independentForm->addRow(m_stepsLabel, m_steps);
    independentForm->addRow(m_samplesLabel, m_samples);
    independentForm->addRow(m_forFft);

    auto* parameterBox = new QGroupBox(QStringLiteral("Parameter"), this);
    auto* parameterForm = new QFormLayout(parameterBox);
    parameterForm->addRow(m_parametric);
    parameterForm->addRow(QStringLiteral("Parameter Variable:"), m_parameter);
    parameterForm->addRow(QStringLiteral("From:"), m_parameterFrom);
    parameterForm->addRow(QStringLiteral("To:"), m_parameterTo);
    parameterForm->addRow(QStringLiteral("No of Steps:"), m_parameterSteps);
    parametricToggled(false);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(independentBox);
    boxes->addWidget(parameterBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addWidget(okCancel(this));

    connect(m_forFft, &QCheckBox::toggled, this, &GraphGenerationDialog::forFftToggled);
    connect(m_parametric, &QCheckBox::toggled, this, &GraphGenerationDialog::parametricToggled);
}

void GraphGenerationDialog::forFftToggled(bool on)
{
    m_stepsLabel->setVisible(!on);
    m_steps->setVisible(!on);
    m_samplesLabel->setVisible(on);
    m_samples->setVisible(on);
    if (!on)
        return;
    m_from->setValue(0.0);
    m_to->setValue(6.283185);
    if (!m_names.empty())
        m_independent->setCurrentIndex(independentVariableChoice(m_names));
}

void GraphGenerationDialog::parametricToggled(bool on)
{
    for (QWidget* w :
         {static_cast<QWidget*>(m_parameter), static_cast<QWidget*>(m_parameterFrom),
          static_cast<QWidget*>(m_parameterTo), static_cast<QWidget*>(m_parameterSteps)})
        w->setEnabled(on);
}

int GraphGenerationDialog::stepCount() const
{
    return m_forFft->isChecked() ? m_samples->currentData().toInt() : m_steps->value();
}

void GraphGenerationDialog::accept()
{
    const bool accepted = graphRangeAccepted(m_from->value(), m_to->value(), stepCount());
    if (!accepted) {
        if (m_refuse)
            m_refuse(windowTitle(), QString::fromLatin1(kFromMustBeLessThanTo));
        return;
    }
    QDialog::accept();
}

void GraphGenerationDialog::store(GraphRequest& request) const
{
    request.independentIndex = m_independent->currentIndex();
    request.parameterIndex = m_parameter->currentIndex();
    request.forFft = m_forFft->isChecked() ? 1 : 0;
    request.parametric = m_parametric->isChecked() ? 1 : 0;
    if (request.parametric)
        copyName(request.parameterName, m_names, request.parameterIndex);
    request.parameterFrom = m_parameterFrom->value();
    request.independentFrom = m_from->value();
    request.independentTo = m_to->value();
    request.stepCount = stepCount();
    request.parameterTo = m_parameterTo->value();
    request.parameterSteps = m_parameterSteps->value();
}

} // namespace varnel
