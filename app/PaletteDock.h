// A palette of insertion buttons laid out three per row in a dockable bar ("Numbers",
// "Alphabet", "Spec. Functions", "Greek Alphabet"). Clicking a button emits its entry; the
// main window routes it to the active equation editor.
#pragma once

#include "PaletteTable.h"

#include <QDockWidget>

namespace varnel {

class PaletteDock : public QDockWidget {
    Q_OBJECT
public:
    PaletteDock(const QString& title, Palette palette, QWidget* parent = nullptr);

    /// Enables or disables every button (no equation window: nothing to insert into).
    void setButtonsEnabled(bool enabled);

signals:
    void entryChosen(const varnel::PaletteEntry& entry);

private:
    QWidget* m_grid;
};

/// Text shown on a palette button: the entry's face, else its bytes decoded.
QString paletteButtonText(const PaletteEntry& entry);

} // namespace varnel
