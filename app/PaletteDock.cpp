// Builds a palette's button grid from its table.
#include "PaletteDock.h"

#include "AppSettings.h"
#include "SymbolCodec.h"

#include <QGridLayout>
#include <QToolButton>

namespace varnel {

QString paletteButtonText(const PaletteEntry& entry)
{
    if (!entry.face.empty())
        return QString::fromUtf8(entry.face.data(), static_cast<qsizetype>(entry.face.size()));
    const std::u32string symbols = decodeEquationBytes(entry.bytes);
    QString text = QString::fromUcs4(symbols.data(), static_cast<qsizetype>(symbols.size()));
    if (entry.kind == InsertKind::Function && text.endsWith(QLatin1String("()")))
        text.chop(2);
    return text;
}

PaletteDock::PaletteDock(const QString& title, Palette palette, QWidget* parent)
    : QDockWidget(title, parent), m_grid(new QWidget(this))
{
    setObjectName(title);
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);
    auto* layout = new QGridLayout(m_grid);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    QFont face(QString::fromLatin1(kSymbolFace));
    face.setPointSize(10);
    int index = 0;
    for (const PaletteEntry& entry : paletteEntries(palette)) {
        auto* button = new QToolButton(m_grid);
        button->setText(paletteButtonText(entry));
        button->setToolTip(
            QString::fromUtf8(entry.name.data(), static_cast<qsizetype>(entry.name.size())) +
            (entry.shortcut.empty()
                 ? QString()
                 : QStringLiteral(" (%1)").arg(QString::fromLatin1(
                       entry.shortcut.data(), static_cast<qsizetype>(entry.shortcut.size())))));
        button->setFont(face);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumWidth(palette == Palette::SpecialFunctions ? 56 : 28);
        const PaletteEntry* chosen = &entry;
        connect(button, &QToolButton::clicked, this, [this, chosen] { emit entryChosen(*chosen); });
        layout->addWidget(button, index / 3, index % 3);
        ++index;
    }
    layout->setRowStretch(index / 3 + 1, 1);
    setWidget(m_grid);
    // Wide enough for the title and its two buttons.
    setMinimumWidth(fontMetrics().horizontalAdvance(title) + 64);
}

void PaletteDock::setButtonsEnabled(bool enabled)
{
    m_grid->setEnabled(enabled);
}

} // namespace varnel
