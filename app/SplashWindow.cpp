// The splash window and its dismissal rules.
#include "SplashWindow.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QTimer>

namespace varnel {

namespace {
constexpr int kSplashMilliseconds = 2500;
}

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(420, 200);
}

void SplashWindow::showOver(QWidget* over)
{
    if (over)
        move(over->geometry().center() - rect().center());
    m_started.start();
    qApp->installEventFilter(this);
    QTimer::singleShot(kSplashMilliseconds, this, &SplashWindow::dismiss);
    show();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        dismiss();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::dismiss()
{
    qApp->removeEventFilter(this);
    close();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(250, 250, 246));
    p.setPen(QColor(60, 60, 60));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QPixmap icon = QIcon(QStringLiteral(":/varnel.svg")).pixmap(72, 72);
    p.drawPixmap(24, 40, icon);
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(160, 20, 20));
    p.drawText(QRect(112, 36, 290, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Varnel"));
    QFont body = font();
    body.setPointSize(10);
    p.setFont(body);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(112, 84, 290, 90), Qt::AlignLeft | Qt::TextWordWrap,
               tr("Version %1\nEquations, differential equations, optimisation and "
                  "symbolic work from plain text.")
                   .arg(QApplication::applicationVersion()));
}

} // namespace varnel
