// "Editor Options": the editor settings in one place - display and printer fonts (with a
// sample of equation text and symbols), the equation, comment and background colours, word
// wrap and tab stops.
#pragma once

#include "AppSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;

namespace varnel {

class ColourButton;

class EditorOptionsDialog : public QDialog {
    Q_OBJECT
public:
    EditorOptionsDialog(const AppSettings& settings, QWidget* parent = nullptr);
    /// Copies the dialog's values into the settings.
    void store(AppSettings& settings) const;

private:
    void updateSamples();

    AppSettings m_values;
    QLabel* m_displayName;
    QLabel* m_printName;
    QPlainTextEdit* m_sample;
    ColourButton* m_equation;
    ColourButton* m_comments;
    ColourButton* m_background;
    QCheckBox* m_wordWrap;
    QSpinBox* m_tabStops;
};

} // namespace varnel
