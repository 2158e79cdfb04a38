// The commands that run the library on a document: solving, the symbolic operations and
// graph generation. A run saves the document, then goes to a worker thread (SolverRun) while
// the window stays live; the document is read-only until the run ends, one run goes at a
// time, and Stop (Esc) asks the library to end it. Requests for the user's choice are
// answered here with the FFT, Graph Generation and file dialogs.
#include "MainWindow.h"

#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "FileViewDialog.h"
#include "OutputWindow.h"
#include "PaletteDock.h"
#include "PropertiesTree.h"
#include "RequestDialogs.h"
#include "SolveCommands.h"
#include "SolverRun.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <cstring>

namespace varnel {

void MainWindow::createSolveCommands()
{
    SolverRun::installHandlers();
    for (const SolveCommand& command : solveCommands()) {
        const QString name = QString::fromLatin1(command.name);
        QAction* a =
            addAction(name, tr(command.text), QKeySequence(QLatin1String(command.shortcut)),
                      [this, name] { runCommand(name, activeEquationWindow()); });
        a->setData(command.id);
        QMenu* target = menu(QString::fromLatin1(command.menu));
        if (command.separatorBefore)
            target->addSeparator();
        target->addAction(a);
    }
    // F5 solves; the editor's Refresh keeps its menu entry but gives up the key.
    if (QAction* refresh = action("refresh"))
        refresh->setShortcut(QKeySequence());

    QAction* stop =
        addAction("stopRun", tr("S&top"), QKeySequence(Qt::Key_Escape), [this] { stopRun(); });
    stop->setIcon(QIcon::fromTheme(QStringLiteral("process-stop"),
                                   style()->standardIcon(QStyle::SP_BrowserStop)));
    stop->setToolTip(tr("Stop the run (Esc)"));
    stop->setEnabled(false);
    menu("solve")->addSeparator();
    menu("solve")->addAction(stop);

    addAction("tempFiles", tr("&Temp Files"), QKeySequence(), [this] { viewTempFiles(); });
    menu("view")->addSeparator();
    menu("view")->addAction(action("tempFiles"));

    m_runProgress = new QLabel(this);
    m_runProgress->setMinimumWidth(220);
    m_runProgress->hide();
    statusBar()->addPermanentWidget(m_runProgress);
}

void MainWindow::setDialogRunner(std::function<int(QDialog&)> runner)
{
    m_dialogRunner = std::move(runner);
}

int MainWindow::execDialog(QDialog& dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog.exec();
}

bool MainWindow::runCommand(const QString& name, EquationWindow* window)
{
    const SolveCommand* command = findSolveCommand(name.toStdString());
    if (!command || !window || m_run)
        return false;
    EquationDocument* document = window->document();
    const ModeChoice choice = chooseMode(*command, !document->attachment().isEmpty(),
                                         document->options().differentialMethod);
    if (choice.mode.empty()) {
        QApplication::beep();
        notify(tr("Varnel"), QString::fromStdString(choice.refusal));
        return false;
    }
    // The library reads the file on disk: a modified or never-saved document is saved first,
    // and a save that is cancelled or fails runs nothing.
    if ((document->isModified() || document->path().isEmpty()) && !saveDocument(window))
        return false;
    if (document->path().isEmpty() || document->isModified())
        return false;

    SolverRun::Job job;
    job.path = document->path();
    job.mode = choice.mode;
    job.options = document->options();
    const HostString& list = document->options().listFile;
    if (list.chars && list.length > 0)
        job.listFile.assign(list.chars, static_cast<std::size_t>(list.length));
    job.readVariables = command->after == AfterRun::AlgebraicResults;

    m_output->clear();
    m_runWindow = window;
    m_runCommand = name;
    m_runMode = QString::fromStdString(choice.mode);
    m_run = new SolverRun(
        std::move(job),
        [this](unsigned code, void* record) -> LRESULT { return answerRequest(code, record); },
        this);
    connect(m_run, &SolverRun::output, this,
            [this](const QString& text) { m_output->appendPiece(text); });
    connect(m_run, &SolverRun::progress, this, [this](int iteration, int exponent) {
        m_runProgress->setText(tr("Iter: %1  Tol: E%2").arg(iteration).arg(exponent));
    });
    connect(m_run, &SolverRun::finished, this, &MainWindow::runEnded);
    // A document closed during its run stops the run and waits for it, while it still exists.
    // Its results then go nowhere: the window is on its way out.
    SolverRun* run = m_run;
    connect(window, &EquationWindow::closing, run, [this, run] {
        run->stopAndWait();
        if (m_run == run)
            m_runWindow = nullptr;
    });

    window->editor()->setReadOnly(true);
    window->editor()->viewport()->setCursor(Qt::BusyCursor);
    m_runProgress->setText(tr("Running %1...").arg(tr(command->text).remove(QLatin1Char('&'))));
    m_runProgress->show();
    statusBar()->showMessage(tr("Running - press Esc to stop"));
    m_run->start();
    updateActions();
    return true;
}

EquationWindow* MainWindow::runningWindow() const
{
    return qobject_cast<EquationWindow*>(m_runWindow.data());
}

void MainWindow::stopRun()
{
    if (!m_run)
        return;
    m_run->stop();
    statusBar()->showMessage(tr("Stopping..."));
}

void MainWindow::runEnded(bool result, const QStringList& solution)
{
    SolverRun* run = m_run;
    m_run = nullptr;
    if (run)
        run->deleteLater();
    const QPointer<EquationWindow> window = runningWindow();
    m_runWindow = nullptr;
    const QString mode = m_runMode;
    const SolveCommand* command = findSolveCommand(m_runCommand.toStdString());
    m_runProgress->hide();
    statusBar()->showMessage(tr("Ready"));
    if (window) {
        window->editor()->setReadOnly(false);
        window->editor()->viewport()->unsetCursor();
    }
    updateActions();
    if (!window || !command)
        return;

    EquationDocument* document = window->document();
    if (command->after == AfterRun::AlgebraicResults) {
        document->options().resultsFound = result ? 1 : 0;
        m_properties->rebuildDocument(document, document->displayName(), &solution);
    } else {
        updateAllGraphs(window);
        if (command->after == AfterRun::ShowResults ||
            (command->after == AfterRun::ShowResultsWhenTrue && result))
            showResults(window);
        if (command->offer)
            viewProducedFile(
                QString::fromStdString(symbolicFileName(document->path().toStdString())), true);
    }
    emit runFinished(window, mode, result);
}

int MainWindow::answerRequest(unsigned code, void* record)
{
    switch (code) {
    case RequestFourier: {
        auto* request = static_cast<FourierRequest*>(record);
        FftDialog dialog(*request, this);
        if (execDialog(dialog) != QDialog::Accepted)
            return 0;
        dialog.store(*request);
        return 1;
    }
    case RequestGraph: {
        auto* request = static_cast<GraphRequest*>(record);
        GraphGenerationDialog dialog(
            *request, [this](const QString& title, const QString& text) { notify(title, text); },
            this);
        if (execDialog(dialog) != QDialog::Accepted)
            return 0;
        dialog.store(*request);
        return 1;
    }
    case RequestFile: {
        auto* request = static_cast<FileRequest*>(record);
        const QString folder = runningWindow()
                                   ? QFileInfo(runningWindow()->document()->path()).absolutePath()
                                   : QString();
        QFileDialog dialog(this, tr("FFT From File"), folder, QStringLiteral("FFT Files (*.FFT)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return 0;
        const QByteArray path = QFile::encodeName(dialog.selectedFiles().first());
        if (static_cast<std::size_t>(path.size()) >= sizeof request->path) {
            notify(tr("Varnel"), tr("The path of the chosen file is too long."));
            return 0;
        }
        std::memset(request->path, 0, sizeof request->path);
        std::memcpy(request->path, path.constData(), static_cast<std::size_t>(path.size()));
        return 1;
    }
    default:
        return 0;
    }
}

void MainWindow::viewProducedFile(const QString& path, bool conversion)
{
    FileViewDialog viewer(path, conversion, this);
    if (execDialog(viewer) != QDialog::Accepted || !conversion)
        return;
    EquationWindow* window = newDocument();
    window->document()->restoreFrom(viewer.text(), QString());
    m_properties->rebuildDocument(window->document(), window->document()->displayName());
}

void MainWindow::viewTempFiles()
{
    EquationWindow* window = activeEquationWindow();
    const QString folder = window && !window->document()->path().isEmpty()
                               ? QFileInfo(window->document()->path()).absolutePath()
                               : QString();
    QFileDialog dialog(this, tr("Temp Files"), folder,
                       QStringLiteral("Symbolic Jacobian Files (*.SJC)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    viewProducedFile(path, offersConversion(path.toStdString()));
}

void MainWindow::updateSolveActions()
{
    const bool idle = m_run == nullptr;
    const bool hasWindow = activeEquationWindow() != nullptr;
    for (const SolveCommand& command : solveCommands())
        if (QAction* a = action(QString::fromLatin1(command.name)))
            a->setEnabled(idle && hasWindow);
    action("stopRun")->setEnabled(!idle);
    // The running document is read-only: the commands that write into it wait as well.
    if (idle || activeEquationWindow() != runningWindow())
        return;
    for (const char* name : {"undo", "redo", "cut", "paste", "replace"})
        action(name)->setEnabled(false);
    for (QAction* a : m_insertActions)
        a->setEnabled(false);
    for (auto& [palette, dock] : m_palettes)
        dock->setButtonsEnabled(false);
}

} // namespace varnel
