// A colour-picker button: shows the chosen colour; its drop-down offers a grid of common
// colours, an "Automatic" entry (the default colour) and "More Colours..." (the colour
// dialog).
#pragma once

#include <QColor>
#include <QToolButton>

namespace varnel {

class ColourButton : public QToolButton {
    Q_OBJECT
public:
    /// `automatic` is the colour "Automatic" stands for.
    ColourButton(const QString& text, const QColor& colour, const QColor& automatic,
                 QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

signals:
    void colourChanged(const QColor& colour);

private:
    QColor m_colour;
    QColor m_automatic;
};

} // namespace varnel
