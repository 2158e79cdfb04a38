// The program's start-up sequence and its end.
#include "Application.h"

#include "EquationDocument.h"
#include "MainWindow.h"
#include "SplashWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

namespace varnel {

Application::Application() = default;
Application::~Application() = default;

bool Application::start(const QStringList& arguments)
{
    registerSymbolFaces();
    m_settings.readSettings();
    m_window = std::make_unique<MainWindow>(m_settings);
    m_window->readSettings();
    m_window->showPlaced();

    bool splash = true;
    QStringList files;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--no-splash"))
            splash = false;
        else if (!argument.startsWith(QLatin1String("--")))
            files << argument;
    }
    if (splash && !m_window->isMinimized())
        (new SplashWindow(m_window.get()))->showOver(m_window.get());

    int opened = 0;
    for (const QString& file : files)
        opened += m_window->openFile(file) ? 1 : 0;
    const int recovered = m_window->recoverAutosaves([this](const QString& origin) {
        const QString name =
            origin.isEmpty() ? QObject::tr("a new document") : QFileInfo(origin).fileName();
        return QMessageBox::question(m_window.get(), QObject::tr("Varnel"),
                                     QObject::tr("Varnel did not end normally. Recover the "
                                                 "unsaved changes of %1?")
                                         .arg(name)) == QMessageBox::Yes;
    });
    if (opened == 0 && recovered == 0 && files.isEmpty())
        m_window->newDocument();
    return true;
}

void Application::shutDown()
{
    m_settings.writeSettings();
}

} // namespace varnel
