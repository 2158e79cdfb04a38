// The "General" page of the options sheet: what a run prints in the Output window (each
// iteration, derivative information, the results) and the three editor colours. The
// switches are program-wide settings, also copied into the edited document's settings.
#pragma once

#include <QColor>
#include <QWidget>

class QCheckBox;

namespace varnel {

class AppSettings;
class ColourButton;

class GeneralPage : public QWidget {
    Q_OBJECT
public:
    /// Shows the display switches and colours of `settings`.
    explicit GeneralPage(const AppSettings& settings, QWidget* parent = nullptr);

    /// Writes the switches and colours into `settings`.
    void store(AppSettings& settings) const;

private:
    QCheckBox* m_iterations;
    QCheckBox* m_derivatives;
    QCheckBox* m_results;
    ColourButton* m_equation;
    ColourButton* m_comments;
    ColourButton* m_background;
};

} // namespace varnel
