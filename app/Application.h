// Start-up and shut-down of the desktop program: reads the settings, builds the main window,
// shows the splash, opens the files named on the command line (or a new document), offers
// autosave copies left by a crash, and writes the settings when the program ends.
#pragma once

#include "AppSettings.h"

#include <QStringList>

#include <memory>

namespace varnel {

class MainWindow;

class Application {
public:
    Application();
    ~Application();

    /// Starts the program with the command-line arguments (without the program name): file
    /// paths to open; "--no-splash" leaves the splash out. False when start-up fails.
    bool start(const QStringList& arguments);
    /// Writes the settings (called once when the event loop ends).
    void shutDown();

    MainWindow* mainWindow() const { return m_window.get(); }
    AppSettings& settings() { return m_settings; }

private:
    AppSettings m_settings;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace varnel
