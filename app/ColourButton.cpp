// The colour-picker button and its drop-down palette.
#include "ColourButton.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QWidgetAction>

namespace varnel {

namespace {

QIcon swatch(const QColor& colour)
{
    QPixmap pixmap(28, 14);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 27, 13);
    return QIcon(pixmap);
}

} // namespace

ColourButton::ColourButton(const QString& text, const QColor& colour, const QColor& automatic,
                           QWidget* parent)
    : QToolButton(parent), m_automatic(automatic)
{
    setText(text);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setPopupMode(QToolButton::InstantPopup);
    setIconSize(QSize(28, 14));
    setMinimumWidth(130);
    setColour(colour);

    auto* menu = new QMenu(this);
    auto* automaticAction = menu->addAction(swatch(automatic), tr("Automatic"));
    connect(automaticAction, &QAction::triggered, this, [this] { setColour(m_automatic); });
    auto* grid = new QWidget(menu);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(4, 4, 4, 4);
    static const QColor colours[] = {Qt::black,
                                     Qt::darkRed,
                                     Qt::darkGreen,
                                     Qt::darkYellow,
                                     Qt::darkBlue,
                                     Qt::darkMagenta,
                                     Qt::darkCyan,
                                     Qt::gray,
                                     Qt::darkGray,
                                     Qt::red,
                                     Qt::green,
                                     Qt::yellow,
                                     Qt::blue,
                                     Qt::magenta,
                                     Qt::cyan,
                                     Qt::white,
                                     QColor(255, 128, 0),
                                     QColor(128, 64, 0),
                                     QColor(0, 128, 255),
                                     QColor(255, 192, 203)};
    int i = 0;
    for (const QColor& c : colours) {
        auto* cell = new QPushButton(grid);
        cell->setFixedSize(18, 18);
        cell->setFlat(true);
        cell->setIcon(swatch(c));
        cell->setIconSize(QSize(16, 16));
        cell->setToolTip(c.name());
        connect(cell, &QPushButton::clicked, this, [this, c, menu] {
            setColour(c);
            menu->close();
        });
        layout->addWidget(cell, i / 5, i % 5);
        ++i;
    }
    auto* gridAction = new QWidgetAction(menu);
    gridAction->setDefaultWidget(grid);
    menu->addAction(gridAction);
    auto* more = menu->addAction(tr("More Colours..."));
    connect(more, &QAction::triggered, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_colour, this, this->text());
        if (chosen.isValid())
            setColour(chosen);
    });
    setMenu(menu);
}

void ColourButton::setColour(const QColor& colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    setIcon(swatch(colour));
    emit colourChanged(colour);
}

} // namespace varnel
