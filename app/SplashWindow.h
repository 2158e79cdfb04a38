// The start-up splash: the program's name, version and purpose in a frameless window over
// the main window. It goes at the first key or mouse press, or once 2.5 s have passed.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

namespace varnel {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    /// Shows the splash centred over `over` and starts watching input and time.
    void showOver(QWidget* over);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void dismiss();
    QElapsedTimer m_started;
};

} // namespace varnel
