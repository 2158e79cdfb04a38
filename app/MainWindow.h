// The main window: the document area with equation windows, the standard toolbar, the
// operators toolbar and four palettes, the status bar, and the Properties and Output docks.
// It owns the commands (built in createActions, enabled in updateActions), routes palette
// buttons to the active editor, keeps recent files and autosave copies, and saves its
// placement and bar state in readSettings/writeSettings.
#pragma once

#include "PaletteTable.h"
#include "ResultPrompts.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QDialog;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QTimer;

namespace varnel {

class AppSettings;
class AttachmentDialog;
struct AttachmentPrompts;
class AutosaveStore;
class EquationDocument;
class EquationEditor;
class EquationWindow;
class FindReplaceDialog;
class GraphWindow;
class OptionsSheet;
class OutputWindow;
class PaletteDock;
class PropertiesTree;
class SolverRun;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppSettings& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// A new, empty equation document in its own window.
    EquationWindow* newDocument();
    /// Opens an equation file (or activates its window when it is open already); null when
    /// the file cannot be read (the reason is shown).
    EquationWindow* openFile(const QString& path);
    /// Saves the window's document (asking for a name when it has none or `saveAs`).
    bool saveDocument(EquationWindow* window, bool saveAs = false);
    /// Saves the document under `path`; false (with the reason shown) when it fails.
    bool saveDocumentAs(EquationWindow* window, const QString& path);

    EquationWindow* activeEquationWindow() const;
    EquationEditor* activeEditor() const;
    QList<EquationWindow*> equationWindows() const;
    PropertiesTree* properties() const { return m_properties; }
    OutputWindow* output() const { return m_output; }
    QMdiArea* documentArea() const { return m_mdi; }
    PaletteDock* palette(Palette palette) const;
    QToolBar* standardBar() const { return m_standardBar; }
    QToolBar* operatorsBar() const { return m_operatorsBar; }
    QDockWidget* propertiesDock() const { return m_propertiesDock; }
    QDockWidget* outputDock() const { return m_outputDock; }
    QStringList recentFiles() const { return m_recentFiles; }
    QAction* action(const QString& name) const;

    /// Restores placement, bar state and recent files from the profile.
    void readSettings();
    /// Writes placement ("Settings"/"WindowPos"), bar state ("General") and recent files.
    void writeSettings();
    /// Shows the window as the stored placement says (maximised or normal).
    void showPlaced();

    /// Offers every autosave copy left by a program that did not end cleanly (never those
    /// of programs still running); `accept` answers for each (its argument is the file's
    /// original path, empty for a new document). Returns how many documents were recovered.
    int recoverAutosaves(const std::function<bool(const QString&)>& accept);
    /// Writes the autosave copies of all modified documents now.
    void autosaveAll();

    /// Replaces the save prompt (tests): returns Save, Discard or Cancel for a document.
    void setSavePrompt(std::function<QMessageBox::StandardButton(EquationDocument*)> prompt);
    /// Replaces the message boxes (tests): receives each title and text instead.
    void setNotifier(std::function<void(const QString&, const QString&)> notifier);
    /// Replaces the question asked before saving over a file that was changed on disk since
    /// it was opened (tests): true overwrites it.
    void setOverwritePrompt(std::function<bool(EquationDocument*)> prompt);

    /// The menu of the main menu bar called `name` ("file", "view", "solve", "advanced",
    /// "graph", "results" (View - Results), "attachment" (File - Attachment)).
    QMenu* menu(const QString& name) const;

    // Command groups that live in their own source files.
    /// Opens the result table of the window's document (View - Results - Results, F12).
    void showResults(EquationWindow* window);
    /// Re-reads and redraws every graph made from the window's results.
    void updateAllGraphs(EquationWindow* window);

signals:
    /// A run of the library on the window's document has ended (emitted on the interface
    /// thread, after the run's output is in the Output window).
    void runFinished(varnel::EquationWindow* window, const QString& mode, bool result);

public slots:
    void updateActions();
    /// Prints the active document on `printer` with the page setup's header and footer.
    void paintDocument(QPrinter* printer);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createBars();
    void createDocks();
    QAction* addAction(const QString& name, const QString& text, QKeySequence::StandardKey key,
                       std::function<void()> handler);
    QAction* addAction(const QString& name, const QString& text, const QKeySequence& key,
                       std::function<void()> handler);
    EquationWindow* addWindow(EquationDocument* document);
    bool mayClose(EquationWindow* window);
    void notify(const QString& title, const QString& text);
    void addRecentFile(const QString& path);
    void updateRecentMenu();
    void insertEntry(const PaletteEntry& entry);
    void applySettingsToEditors();
    void print();
    void printPreview();
    void pageSetup();
    void setTabStops();
    void setDisplayFont();
    void setPrinterFont();
    void editorOptions();
    void goToPosition();
    void about();
    void showCaretPosition();

    // Each command group adds its actions to the menus made by createMenus.
    void createSolveCommands();      // MainWindowSolve.cpp: solve, symbolic and graph runs
    void createOptionsCommands();    // MainWindowOptions.cpp: the options sheet
    void createResultCommands();     // MainWindowResults.cpp: result tables and graphs
    void createAttachmentCommands(); // MainWindowAttachment.cpp: list files, power flow

    AppSettings& m_settings;
    QMdiArea* m_mdi;
    PropertiesTree* m_properties;
    OutputWindow* m_output;
    QDockWidget* m_propertiesDock = nullptr;
    QDockWidget* m_outputDock = nullptr;
    QToolBar* m_standardBar = nullptr;
    QToolBar* m_operatorsBar = nullptr;
    std::map<Palette, PaletteDock*> m_palettes;
    std::map<QString, QAction*> m_actions;
    QList<QAction*> m_insertActions;
    QLabel* m_position = nullptr;
    QMenu* m_recentMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QStringList m_recentFiles;
    FindReplaceDialog* m_find = nullptr;
    std::unique_ptr<AutosaveStore> m_autosave;
    QTimer* m_autosaveTimer;
    int m_untitledCount = 0;
    bool m_startMaximized = false;
    std::function<QMessageBox::StandardButton(EquationDocument*)> m_savePrompt;
    std::function<void(const QString&, const QString&)> m_notifier;
    std::function<bool(EquationDocument*)> m_overwritePrompt;
    std::map<QString, QMenu*> m_menus;

    // Solve commands (MainWindowSolve.cpp)
public:
    /// Runs the command called `name` ("solveAlgebraic", "symbolicJacobian", ...) on the
    /// window's document: saves it first, then starts the library on a worker thread. False
    /// when no run was started (refused, save cancelled, or a run already busy).
    bool runCommand(const QString& name, EquationWindow* window);
    /// True while a run is going on (only one runs at a time in the whole program).
    bool runBusy() const { return m_run != nullptr; }
    /// The window whose document is being run, or null.
    EquationWindow* runningWindow() const;
    /// Asks the run to stop; it ends with the library's interruption message.
    void stopRun();
    /// Replaces how the run commands' dialogs are shown (tests): receives each dialog and
    /// returns what exec() would (QDialog::Accepted or Rejected).
    void setDialogRunner(std::function<int(QDialog&)> runner);

private:
    void runEnded(bool result, const QStringList& solution);
    int answerRequest(unsigned code, void* record);
    int execDialog(QDialog& dialog);
    void viewProducedFile(const QString& path, bool conversion);
    void viewTempFiles();
    void updateSolveActions();

    SolverRun* m_run = nullptr;
    QPointer<QObject> m_runWindow; // the EquationWindow of the run
    QString m_runCommand;
    QString m_runMode;
    QLabel* m_runProgress = nullptr;
    std::function<int(QDialog&)> m_dialogRunner;

    // Options sheet (MainWindowOptions.cpp)
public:
    /// Solve - Options: edits the window's document settings and the display settings in
    /// the modal options sheet; OK marks the document modified and rebuilds its tree node.
    void editOptions(EquationWindow* window);
    /// Replaces the modal run of the options sheet (tests): gets the sheet, returns its result.
    void setOptionsSheetRunner(std::function<int(OptionsSheet&)> runner);

private:
    std::function<int(OptionsSheet&)> m_optionsSheetRunner;

    // Result tables and graphs (MainWindowResults.cpp)
public:
    /// Replaces the file, colour, question and modal dialogs of result tables and graphs
    /// (tests); unset prompts use the standard dialogs, and messages go to the notifier.
    void setResultPrompts(const ResultPrompts& prompts);
    /// The graph windows made from `owner`'s results (null: those made with no equation
    /// window open).
    QList<GraphWindow*> graphWindows(EquationWindow* owner) const;
    /// Opens the graph definition dialog on the table `path` and, when it is accepted, a
    /// graph window owned by `owner`; returns that window, null when none was made.
    GraphWindow* defineGraph(EquationWindow* owner, const QString& path);
    /// Shows the result-table window on the table `path` (then, on "Graph", the graph
    /// definition); the window is modeless unless the prompts run dialogs.
    void openResultTable(EquationWindow* owner, const QString& path);

private:
    QString resultTableFor(EquationWindow* window);
    GraphWindow* activeGraphWindow() const;
    EquationWindow* resultOwner() const;
    void updateResultActions();
    ResultPrompts m_resultPrompts;
    std::unique_ptr<QObject> m_resultGuard;

    // Attachments and power flow (MainWindowAttachment.cpp)
public:
    /// Replaces the file dialogs, questions and the attachment editor's modal run (tests).
    /// Messages still go through the notifier.
    void setAttachmentPrompts(const AttachmentPrompts& prompts);

private:
    void updateAttachmentActions();
    void newAttachment();
    void attachFile();
    void editAttachment();
    void removeAttachment();
    /// Runs the editor on `name` for the window's document and takes its file and count.
    void runAttachmentEditor(EquationWindow* window, const QString& name);
    /// Advanced - Read CF Format for Power Flow.
    void readCfFormat();
    /// The prompts with messages routed through the notifier.
    AttachmentPrompts attachmentPrompts();
    std::shared_ptr<AttachmentPrompts> m_attachmentPrompts;
};

} // namespace varnel
