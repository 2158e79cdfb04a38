// The dialogs that answer the library's requests during a run: "FFT" (the columns and range
// of a Fourier transform) and "Graph Generation" (the variable, range and steps of a graph,
// optionally parametric or made for a Fourier transform). Each takes the record the library
// filled and writes the user's choice back into it.
#pragma once

#include "varnel/Requests.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace varnel {

class FftDialog : public QDialog {
    Q_OBJECT
public:
    /// Offers the record's names with the usual pre-selection and its sample count as "To:".
    explicit FftDialog(const FourierRequest& request, QWidget* parent = nullptr);
    /// Writes the choices into `request`.
    void store(FourierRequest& request) const;

    QComboBox* independent() const { return m_independent; }
    QComboBox* real() const { return m_real; }
    QComboBox* imaginary() const { return m_imaginary; }
    QComboBox* axis() const { return m_axis; }
    QSpinBox* samplesFrom() const { return m_from; }
    QSpinBox* samplesTo() const { return m_to; }

private:
    QComboBox* m_independent;
    QComboBox* m_real;
    QComboBox* m_imaginary;
    QComboBox* m_axis;
    QSpinBox* m_from;
    QSpinBox* m_to;
};

class GraphGenerationDialog : public QDialog {
    Q_OBJECT
public:
    /// `refuse` shows a refusal (title and text) while the dialog stays open.
    GraphGenerationDialog(const GraphRequest& request,
                          std::function<void(const QString&, const QString&)> refuse,
                          QWidget* parent = nullptr);
    /// Writes the choices into `request`.
    void store(GraphRequest& request) const;

    QComboBox* independent() const { return m_independent; }
    QDoubleSpinBox* from() const { return m_from; }
    QDoubleSpinBox* to() const { return m_to; }
    QSpinBox* steps() const { return m_steps; }
    QComboBox* sampleCounts() const { return m_samples; }
    QCheckBox* forFft() const { return m_forFft; }
    QCheckBox* parametric() const { return m_parametric; }
    QComboBox* parameter() const { return m_parameter; }
    QDoubleSpinBox* parameterFrom() const { return m_parameterFrom; }
    QDoubleSpinBox* parameterTo() const { return m_parameterTo; }
    QSpinBox* parameterSteps() const { return m_parameterSteps; }

public slots:
    /// Closes the dialog only when the ranges can be used.
    void accept() override;

private:
    void forFftToggled(bool on);
    void parametricToggled(bool on);
    int stepCount() const;

    std::function<void(const QString&, const QString&)> m_refuse;
    std::vector<std::string> m_names;
    QComboBox* m_independent;
    QDoubleSpinBox* m_from;
    QDoubleSpinBox* m_to;
    QLabel* m_stepsLabel;
    QSpinBox* m_steps;
    QLabel* m_samplesLabel;
    QComboBox* m_samples;
    QCheckBox* m_forFft;
    QCheckBox* m_parametric;
    QComboBox* m_parameter;
    QDoubleSpinBox* m_parameterFrom;
    QDoubleSpinBox* m_parameterTo;
    QSpinBox* m_parameterSteps;
};

} // namespace varnel
