// The "Method" page of the options sheet: solving and Jacobian methods, tolerance, Delta J,
// iteration and repetition limits, the range of generated initial values, the method and
// step of differential equations, and the three solution switches.
#pragma once

#include "OptionFields.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace varnel {

class MethodPage : public QWidget {
    Q_OBJECT
public:
    explicit MethodPage(QWidget* parent = nullptr);

    /// Shows `fields` in the controls.
    void setFields(const MethodFields& fields);
    /// The controls' current texts, list positions and ticks.
    MethodFields fields() const;
    /// Gives the keyboard focus to a text field, its text selected.
    void focusField(MethodField field);
    /// The edit control of a text field.
    QLineEdit* edit(MethodField field) const;

private:
    QComboBox* m_method;
    QComboBox* m_jacobian;
    QComboBox* m_differential;
    QLineEdit* m_tolerance;
    QLineEdit* m_deltaJ;
    QLineEdit* m_maxIterations;
    QLineEdit* m_repetitions;
    QLineEdit* m_guessMin;
    QLineEdit* m_guessMax;
    QLineEdit* m_deltaT;
    QCheckBox* m_solveInGroups;
    QCheckBox* m_autoHomotopy;
    QCheckBox* m_autoSimplify;
};

} // namespace varnel
