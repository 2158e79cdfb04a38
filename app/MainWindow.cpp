// The main window's bars, docks, commands and document handling. Commands are built once in
// createActions; updateActions recomputes every enabled state from the active editor.
#include "MainWindow.h"

#include "AppSettings.h"
#include "AutosaveStore.h"
#include "EditorOptionsDialog.h"
#include "EditorPrinter.h"
#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "FindReplaceDialog.h"
#include "GoToDialog.h"
#include "OutputWindow.h"
#include "PageSetupDialog.h"
#include "PaletteDock.h"
#include "PropertiesTree.h"
#include "TabStopsDialog.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

// The icons live in a resource compiled into the static GUI library; it must be registered.
static void initResources()
{
    Q_INIT_RESOURCE(varnel);
}

namespace varnel {

namespace {

constexpr int kBarStateVersion = 1;
constexpr int kRecentFileCount = 4;
constexpr int kAutosaveMilliseconds = 30000;

// The desktop theme's icon, or the program's own.
QIcon themed(const char* themeName, const char* own)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName),
                            QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(own))));
}

// A file name as a menu item shows it: an "&" of the name is not a mnemonic.
QString menuText(QString name)
{
    return name.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString entryName(const PaletteEntry& entry)
{
    return QString::fromUtf8(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
}

} // namespace

MainWindow::MainWindow(AppSettings& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_mdi(new QMdiArea(this)),
      m_properties(new PropertiesTree(this)), m_output(new OutputWindow(this)),
      m_autosave(std::make_unique<AutosaveStore>()), m_autosaveTimer(new QTimer(this))
{
    initResources();
    setObjectName("MainWindow");
    setWindowTitle(QStringLiteral("Varnel"));
    setWindowIcon(QIcon(QStringLiteral(":/varnel.svg")));
    setAcceptDrops(true);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setDocumentMode(true);
    m_mdi->setViewMode(QMdiArea::SubWindowView);
    setCentralWidget(m_mdi);
    resize(1100, 760);

    createActions();
    createMenus();
    createSolveCommands();
    createOptionsCommands();
    createResultCommands();
    createAttachmentCommands();
    createBars();
    createDocks();
    m_position = new QLabel(this);
    m_position->setMinimumWidth(150);
    statusBar()->addPermanentWidget(m_position);
    statusBar()->showMessage(tr("Ready"));

    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (auto* window = qobject_cast<EquationWindow*>(w))
            m_properties->selectDocument(window->document());
        updateActions();
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &MainWindow::updateActions);
    connect(m_output, &QPlainTextEdit::copyAvailable, this, &MainWindow::updateActions);
    connect(m_autosaveTimer, &QTimer::timeout, this, &MainWindow::autosaveAll);
    m_autosaveTimer->start(kAutosaveMilliseconds);
    updateActions();
}

MainWindow::~MainWindow()
{
    // Windows go first, so that their documents leave the Properties tree while it exists.
    for (EquationWindow* window : equationWindows()) {
        window->disconnect(this);
        delete window;
    }
}

// ---------------------------------------------------------------------------------------
// Commands

QAction* MainWindow::addAction(const QString& name, const QString& text,
                               QKeySequence::StandardKey key, std::function<void()> handler)
{
    return addAction(name, text, QKeySequence(key), std::move(handler));
}

QAction* MainWindow::addAction(const QString& name, const QString& text, const QKeySequence& key,
                               std::function<void()> handler)
{
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    if (handler)
        connect(a, &QAction::triggered, this, std::move(handler));
    m_actions[name] = a;
    return a;
}

QMenu* MainWindow::menu(const QString& name) const
{
    auto found = m_menus.find(name);
    return found == m_menus.end() ? nullptr : found->second;
}

QAction* MainWindow::action(const QString& name) const
{
    auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

void MainWindow::createActions()
{
    auto editor = [this] { return activeEditor(); };

    addAction("new", tr("&New"), QKeySequence::New, [this] {
        newDocument();
    })->setIcon(themed("document-new", "new"));
    addAction("open", tr("&Open..."), QKeySequence::Open, [this] {
        const QStringList paths = QFileDialog::getOpenFileNames(
            this, tr("Open"), QString(), tr("Varnel Files (*.alg);;All Files (*)"));
        for (const QString& path : paths)
            openFile(path);
    })->setIcon(themed("document-open", "open"));
    addAction("close", tr("&Close"), QKeySequence::Close,
              [this] { m_mdi->closeActiveSubWindow(); });
    addAction("save", tr("&Save"), QKeySequence::Save, [this] {
        saveDocument(activeEquationWindow());
    })->setIcon(themed("document-save", "save"));
    addAction("saveAs", tr("Save &As..."), QKeySequence::SaveAs,
              [this] { saveDocument(activeEquationWindow(), true); });
    addAction("pageSetup", tr("Page Se&tup..."), QKeySequence(), [this] { pageSetup(); });
    addAction("printPreview", tr("Print Pre&view"), QKeySequence(), [this] { printPreview(); });
    addAction("print", tr("&Print..."), QKeySequence::Print, [this] {
        print();
    })->setIcon(themed("document-print", "print"));
    addAction("exportLatex", tr("Export to LaTEX"), QKeySequence(),
              [this] { notify(tr("Varnel"), QStringLiteral("Not finished...!")); });
    addAction("exit", tr("E&xit"), QKeySequence::Quit, [this] { close(); });

    addAction("undo", tr("&Undo"), QKeySequence::Undo, [editor] {
        if (auto* e = editor())
            e->undo();
    })->setIcon(QIcon::fromTheme("edit-undo"));
    addAction("redo", tr("&Redo"), QKeySequence::Redo, [editor] {
        if (auto* e = editor())
            e->redo();
    })->setIcon(QIcon::fromTheme("edit-redo"));
    addAction("cut", tr("Cu&t"), QKeySequence::Cut, [editor] {
        if (auto* e = editor())
            e->cutOrOutput();
    })->setIcon(themed("edit-cut", "cut"));
    addAction("copy", tr("&Copy"), QKeySequence::Copy, [this, editor] {
        if (auto* e = editor())
            e->copyOrOutput();
        else
            m_output->copy();
    })->setIcon(themed("edit-copy", "copy"));
    addAction("paste", tr("&Paste"), QKeySequence::Paste, [editor] {
        if (auto* e = editor())
            e->paste();
    })->setIcon(themed("edit-paste", "paste"));
    addAction("selectAll", tr("Select &All"), QKeySequence::SelectAll, [editor] {
        if (auto* e = editor())
            e->selectAll();
    });
    addAction("find", tr("&Find..."), QKeySequence::Find, [this] { m_find->showFor(false); });
    addAction("findNext", tr("Find &Next"), QKeySequence::FindNext, [this] { m_find->findNext(); });
    addAction("replace", tr("R&eplace..."), QKeySequence::Replace,
              [this] { m_find->showFor(true); });
    addAction("goTo", tr("Go To Pos"), QKeySequence(Qt::CTRL | Qt::Key_G),
              [this] { goToPosition(); });
    QAction* wrap = addAction("wordWrap", tr("&Word Wrap"), QKeySequence(), [this] {
        m_settings.wordWrap = action("wordWrap")->isChecked();
        applySettingsToEditors();
    });
    wrap->setCheckable(true);
    wrap->setChecked(m_settings.wordWrap);

    addAction("tabStops", tr("Set Ta&b Stops..."), QKeySequence(), [this] { setTabStops(); });
    addAction("font", tr("Set &Font..."), QKeySequence(), [this] { setDisplayFont(); });
    addAction("printerFont", tr("Set &Printer Font..."), QKeySequence(),
              [this] { setPrinterFont(); });
    addAction("mirrorFont", tr("&Mirror Display Font"), QKeySequence(), nullptr);
    addAction("refresh", tr("Refresh"), QKeySequence::Refresh, [this] {
        for (EquationWindow* w : equationWindows())
            w->editor()->refresh();
    });
    addAction("editorOptions", tr("Editor &Options..."), QKeySequence(),
              [this] { editorOptions(); });
    addAction("language", tr("Language"), QKeySequence(), nullptr);
    QAction* statusBarToggle = addAction("statusBar", tr("&Status Bar"), QKeySequence(), [this] {
        statusBar()->setVisible(action("statusBar")->isChecked());
    });
    statusBarToggle->setCheckable(true);
    statusBarToggle->setChecked(true);

    addAction("cascade", tr("&Cascade"), QKeySequence(), [this] { m_mdi->cascadeSubWindows(); });
    addAction("tile", tr("&Tile"), QKeySequence(), [this] { m_mdi->tileSubWindows(); });
    addAction("nextWindow", tr("Ne&xt"), QKeySequence::NextChild,
              [this] { m_mdi->activateNextSubWindow(); });
    addAction("previousWindow", tr("Pre&vious"), QKeySequence::PreviousChild,
              [this] { m_mdi->activatePreviousSubWindow(); });
    addAction("closeAll", tr("Close &All"), QKeySequence(),
              [this] { m_mdi->closeAllSubWindows(); });
    addAction("helpDesk", tr("&Help Desk"), QKeySequence::HelpContents, [this] { about(); });
    addAction("about", tr("&About Varnel..."), QKeySequence(), [this] { about(); });

    // One command per palette button, so that menus, palettes and accelerators share them.
    for (Palette palette : {Palette::OperatorsAndFunctions, Palette::Numbers, Palette::Alphabet,
                            Palette::SpecialFunctions, Palette::GreekAlphabet}) {
        for (const PaletteEntry& entry : paletteEntries(palette)) {
            // Menus name the symbol and show it; bars show only the symbol (the icon text).
            const QString glyph = paletteButtonText(entry);
            const QString name = entryName(entry);
            auto* a =
                new QAction(glyph == name ? name : QStringLiteral("%1  %2").arg(name, glyph), this);
            a->setIconText(glyph);
            a->setToolTip(entryName(entry));
            a->setStatusTip(entryName(entry));
            if (!entry.shortcut.empty())
                a->setShortcut(QKeySequence(QString::fromLatin1(
                    entry.shortcut.data(), static_cast<qsizetype>(entry.shortcut.size()))));
            const PaletteEntry* chosen = &entry;
            connect(a, &QAction::triggered, this, [this, chosen] { insertEntry(*chosen); });
            a->setData(static_cast<int>(palette));
            m_insertActions.append(a);
        }
    }
    m_find = new FindReplaceDialog([this]() -> QPlainTextEdit* { return activeEditor(); }, this);
}

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    for (const char* name : {"new", "open", "close", "save", "saveAs"})
        file->addAction(action(name));
    file->addSeparator();
    for (const char* name : {"pageSetup", "printPreview", "print"})
        file->addAction(action(name));
    file->addSeparator();
    m_menus["attachment"] = file->addMenu(tr("A&ttachment"));
    file->addSeparator();
    file->addAction(action("exportLatex"));
    file->addSeparator();
    m_recentMenu = file->addMenu(tr("Recent &Files"));
    file->addSeparator();
    file->addAction(action("exit"));

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    for (const char* name : {"undo", "redo"})
        edit->addAction(action(name));
    edit->addSeparator();
    for (const char* name : {"cut", "copy", "paste", "selectAll"})
        edit->addAction(action(name));
    edit->addSeparator();
    for (const char* name : {"find", "findNext", "replace", "goTo"})
        edit->addAction(action(name));
    edit->addSeparator();
    edit->addAction(action("wordWrap"));

    QMenu* insert = menuBar()->addMenu(tr("&Insert"));
    const std::pair<Palette, QString> groups[] = {
        {Palette::OperatorsAndFunctions, tr("&Operators and Functions")},
        {Palette::SpecialFunctions, tr("&Special Functions")},
        {Palette::GreekAlphabet, tr("&Greek Alphabet")},
        {Palette::Numbers, tr("&Numbers")},
        {Palette::Alphabet, tr("&Alphabet")}};
    for (const auto& [palette, title] : groups) {
        QMenu* sub = insert->addMenu(title);
        for (QAction* a : m_insertActions)
            if (a->data().toInt() == static_cast<int>(palette))
                sub->addAction(a);
    }

    QMenu* view = menuBar()->addMenu(tr("&View"));
    m_actions["viewMenuAnchor"] = view->menuAction();
    m_menus["file"] = file;
    m_menus["view"] = view;
    m_menus["results"] = view->addMenu(tr("&Results"));
    view->addSeparator();
    // Bar toggles are added in createDocks, once the bars exist.
    m_menus["solve"] = menuBar()->addMenu(tr("&Solve"));
    m_menus["advanced"] = menuBar()->addMenu(tr("&Advanced"));
    m_menus["graph"] = menuBar()->addMenu(tr("&Graph"));
    QMenu* window = menuBar()->addMenu(tr("&Window"));
    m_windowMenu = window;
    connect(window, &QMenu::aboutToShow, this, [this] {
        m_windowMenu->clear();
        for (const char* name : {"cascade", "tile", "nextWindow", "previousWindow", "closeAll"})
            m_windowMenu->addAction(action(name));
        m_windowMenu->addSeparator();
        int n = 1;
        for (QMdiSubWindow* w : m_mdi->subWindowList()) {
            QAction* a = m_windowMenu->addAction(
                QStringLiteral("&%1 %2").arg(n++).arg(menuText(w->windowTitle().remove("[*]"))));
            a->setCheckable(true);
            a->setChecked(w == m_mdi->activeSubWindow());
            connect(a, &QAction::triggered, this, [this, w] { m_mdi->setActiveSubWindow(w); });
        }
    });
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(action("helpDesk"));
    help->addAction(action("about"));
}

void MainWindow::createBars()
{
    m_operatorsBar = new QToolBar(tr("Operators and Functions"), this);
    m_operatorsBar->setObjectName("Operators and Functions");
    QFont face(QString::fromLatin1(kSymbolFace));
    face.setPointSize(10);
    for (QAction* a : m_insertActions)
        if (a->data().toInt() == static_cast<int>(Palette::OperatorsAndFunctions)) {
            m_operatorsBar->addAction(a);
            if (auto* button = qobject_cast<QToolButton*>(m_operatorsBar->widgetForAction(a)))
                button->setFont(face);
        }
    m_standardBar = new QToolBar(tr("Standard toolbar"), this);
    m_standardBar->setObjectName("Standard toolbar");
    for (const char* name : {"new", "open", "save"})
        m_standardBar->addAction(action(name));
    m_standardBar->addSeparator();
    for (const char* name : {"cut", "copy", "paste", "print"})
        m_standardBar->addAction(action(name));
    m_standardBar->addSeparator();
    for (const char* name : {"showResults", "graphFromResults", "options"})
        m_standardBar->addAction(action(name));
    m_standardBar->addSeparator();
    m_standardBar->addAction(action("stopRun"));
    addToolBar(Qt::TopToolBarArea, m_standardBar);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_operatorsBar);

    for (auto [palette, title] :
         {std::pair{Palette::Numbers, tr("Numbers")}, std::pair{Palette::Alphabet, tr("Alphabet")},
          std::pair{Palette::SpecialFunctions, tr("Spec. Functions")},
          std::pair{Palette::GreekAlphabet, tr("Greek Alphabet")}}) {
        auto* dock = new PaletteDock(title, palette, this);
        connect(dock, &PaletteDock::entryChosen, this, &MainWindow::insertEntry);
        m_palettes[palette] = dock;
    }
}

void MainWindow::createDocks()
{
    setDockNestingEnabled(true);
    m_propertiesDock = new QDockWidget(tr("Properties"), this);
    m_propertiesDock->setObjectName("Properties");
    m_propertiesDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_propertiesDock->setWidget(m_properties);
    addDockWidget(Qt::LeftDockWidgetArea, m_propertiesDock);

    m_outputDock = new QDockWidget(tr("Output"), this);
    m_outputDock->setObjectName("Output");
    m_outputDock->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    m_outputDock->setWidget(m_output);
    addDockWidget(Qt::BottomDockWidgetArea, m_outputDock);

    // Greek Alphabet stands left of Spec. Functions, Alphabet left of Numbers, all on the right.
    PaletteDock* greek = m_palettes[Palette::GreekAlphabet];
    PaletteDock* special = m_palettes[Palette::SpecialFunctions];
    PaletteDock* alphabet = m_palettes[Palette::Alphabet];
    PaletteDock* numbers = m_palettes[Palette::Numbers];
    addDockWidget(Qt::RightDockWidgetArea, greek);
    splitDockWidget(greek, special, Qt::Horizontal);
    addDockWidget(Qt::RightDockWidgetArea, alphabet);
    splitDockWidget(alphabet, numbers, Qt::Horizontal);
    numbers->hide();
    alphabet->hide();

    QMenu* view = m_actions["viewMenuAnchor"]->menu();
    const std::pair<QAction*, QString> toggles[] = {
        {m_standardBar->toggleViewAction(), tr("S&tandard")},
        {m_propertiesDock->toggleViewAction(), tr("&Properties")},
        {m_outputDock->toggleViewAction(), tr("&Output")},
        {m_operatorsBar->toggleViewAction(), tr("&Functions")},
        {numbers->toggleViewAction(), tr("&Numbers")},
        {alphabet->toggleViewAction(), tr("&Alphabet")},
        {greek->toggleViewAction(), tr("&Greek alphabet")},
        {special->toggleViewAction(), tr("Specia&l Functions")},
        {action("statusBar"), tr("&Status Bar")}};
    for (const auto& [toggle, text] : toggles) {
        toggle->setText(text);
        view->addAction(toggle);
    }
    view->addSeparator();
    for (const char* name :
         {"tabStops", "font", "printerFont", "mirrorFont", "refresh", "editorOptions", "language"})
        view->addAction(action(name));
}

void MainWindow::updateActions()
{
    EquationEditor* editor = activeEditor();
    const bool hasEditor = editor != nullptr;
    const bool selection = hasEditor && editor->textCursor().hasSelection();
    const bool outputSelection = m_output->textCursor().hasSelection();
    for (const char* name : {"save", "saveAs", "pageSetup", "printPreview", "print", "selectAll",
                             "find", "findNext", "replace", "goTo", "refresh", "exportLatex"})
        action(name)->setEnabled(hasEditor);
    // Window commands serve every child window, graphs included.
    const bool hasWindow = m_mdi->currentSubWindow() != nullptr;
    for (const char* name :
         {"close", "closeAll", "cascade", "tile", "nextWindow", "previousWindow"})
        action(name)->setEnabled(hasWindow);
    action("undo")->setEnabled(hasEditor && editor->equationDocument()->text()->isUndoAvailable());
    action("redo")->setEnabled(hasEditor && editor->equationDocument()->text()->isRedoAvailable());
    action("copy")->setEnabled(selection || outputSelection);
    action("cut")->setEnabled(selection || (hasEditor && outputSelection));
    action("paste")->setEnabled(hasEditor && editor->canPaste());
    action("wordWrap")->setChecked(m_settings.wordWrap);
    for (QAction* a : m_insertActions)
        a->setEnabled(hasEditor);
    for (auto& [palette, dock] : m_palettes)
        dock->setButtonsEnabled(hasEditor);
    updateAttachmentActions();
    setWindowTitle(hasEditor
                       ? QStringLiteral("Varnel - [%1]").arg(editor->equationDocument()->title())
                       : QStringLiteral("Varnel"));
    updateSolveActions();
}

// ---------------------------------------------------------------------------------------
// Documents

EquationWindow* MainWindow::addWindow(EquationDocument* document)
{
    document->setAutosaveFolder(m_autosave->folder());
    auto* editor = new EquationEditor(document, m_settings, m_output);
    auto* window =
        new EquationWindow(document, editor, [this](EquationWindow* w) { return mayClose(w); });
    m_mdi->addSubWindow(window);
    window->setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
    connect(window, &EquationWindow::closing, this, [this](EquationWindow* w) {
        m_properties->removeDocument(w->document());
        QTimer::singleShot(0, this, &MainWindow::updateActions);
    });
    connect(editor, &EquationEditor::focused, m_properties, &PropertiesTree::selectDocument);
    connect(document, &EquationDocument::pathChanged, this, &MainWindow::updateActions);
    connect(editor, &QPlainTextEdit::copyAvailable, this, &MainWindow::updateActions);
    connect(editor, &QPlainTextEdit::cursorPositionChanged, this, &MainWindow::showCaretPosition);
    connect(editor, &QPlainTextEdit::undoAvailable, this, &MainWindow::updateActions);
    connect(editor, &QPlainTextEdit::redoAvailable, this, &MainWindow::updateActions);
    connect(editor, &EquationEditor::filesDropped, this, [this](const QStringList& paths) {
        for (const QString& path : paths)
            openFile(path);
    });
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this, window](Qt::WindowStates, Qt::WindowStates now) {
                if (!window->isVisible() || (now & Qt::WindowMinimized))
                    return;
                m_settings.showCmd = (now & Qt::WindowMaximized) ? 3 : 1;
            });
    if (m_settings.showCmd == 3)
        window->showMaximized();
    else
        window->show();
    editor->setFocus();
    return window;
}

EquationWindow* MainWindow::newDocument()
{
    ++m_untitledCount;
    const QString title = m_untitledCount == 1 ? QStringLiteral("Untitled")
                                               : QStringLiteral("Untitled%1").arg(m_untitledCount);
    auto* document = new EquationDocument(title, m_settings);
    EquationWindow* window = addWindow(document);
    m_properties->addDocument(document, document->displayName());
    updateActions();
    return window;
}

EquationWindow* MainWindow::openFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (EquationWindow* w : equationWindows())
        if (w->document()->path() == absolute) {
            m_mdi->setActiveSubWindow(w);
            return w;
        }
    auto* document = new EquationDocument(QFileInfo(path).fileName(), m_settings);
    const DocumentReport report = document->open(path);
    if (!report.ok) {
        delete document;
        if (m_recentFiles.removeAll(absolute) > 0)
            updateRecentMenu(); // a recent file that has gone leaves the list
        notify(tr("Varnel"), report.error);
        return nullptr;
    }
    for (const QString& notice : report.notices)
        notify(tr("Varnel"), notice);
    EquationWindow* window = addWindow(document);
    m_properties->addDocument(document, document->displayName());
    addRecentFile(document->path());
    statusBar()->showMessage(tr("Opened %1").arg(document->path()), 3000);
    updateActions();
    return window;
}

bool MainWindow::saveDocument(EquationWindow* window, bool saveAs)
{
    if (!window)
        return false;
    QString path = window->document()->path();
    if (saveAs || path.isEmpty()) {
        const QString start =
            path.isEmpty() ? window->document()->title() + QStringLiteral(".alg") : path;
        QFileDialog dialog(this, tr("Save As"), start, tr("Varnel Files (*.alg)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("alg"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        path = dialog.selectedFiles().first();
    }
    return saveDocumentAs(window, path);
}

bool MainWindow::saveDocumentAs(EquationWindow* window, const QString& path)
{
    EquationDocument* document = window->document();
    // Another program's changes to the file are never overwritten unasked.
    if (QFileInfo(path).absoluteFilePath() == document->path() && document->changedOnDisk()) {
        const bool overwrite =
            m_overwritePrompt
                ? m_overwritePrompt(document)
                : QMessageBox::warning(this, tr("Varnel"),
                                       tr("%1 has been changed on disk since it was opened "
                                          "here. Overwrite it with this version?")
                                           .arg(document->path()),
                                       QMessageBox::Yes | QMessageBox::No,
                                       QMessageBox::No) == QMessageBox::Yes;
        if (!overwrite)
            return false;
    }
    const DocumentReport report = document->save(path);
    if (!report.ok) {
        notify(tr("Varnel"), report.error);
        return false;
    }
    for (const QString& notice : report.notices)
        notify(tr("Varnel"), notice);
    m_properties->rebuildDocument(document, document->displayName());
    addRecentFile(document->path());
    statusBar()->showMessage(tr("Saved %1").arg(document->path()), 3000);
    return true;
}

bool MainWindow::mayClose(EquationWindow* window)
{
    EquationDocument* document = window->document();
    if (!document->isModified()) {
        document->discardAutosave();
        return true;
    }
    QMessageBox::StandardButton answer;
    if (m_savePrompt) {
        answer = m_savePrompt(document);
    } else {
        m_mdi->setActiveSubWindow(window);
        answer = QMessageBox::warning(
            this, tr("Varnel"), tr("Save changes to %1?").arg(document->title()),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    }
    switch (answer) {
    case QMessageBox::Save:
        return saveDocument(window);
    case QMessageBox::Discard:
        document->discardAutosave();
        return true;
    default:
        return false;
    }
}

EquationWindow* MainWindow::activeEquationWindow() const
{
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    if (!active && !m_mdi->subWindowList().isEmpty())
        active = m_mdi->currentSubWindow();
    return qobject_cast<EquationWindow*>(active);
}

EquationEditor* MainWindow::activeEditor() const
{
    EquationWindow* window = activeEquationWindow();
    return window ? window->editor() : nullptr;
}

QList<EquationWindow*> MainWindow::equationWindows() const
{
    QList<EquationWindow*> windows;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (auto* window = qobject_cast<EquationWindow*>(w))
            windows.append(window);
    return windows;
}

PaletteDock* MainWindow::palette(Palette palette) const
{
    auto found = m_palettes.find(palette);
    return found == m_palettes.end() ? nullptr : found->second;
}

void MainWindow::insertEntry(const PaletteEntry& entry)
{
    if (EquationEditor* editor = activeEditor())
        editor->insertEntry(entry);
}

void MainWindow::showCaretPosition()
{
    EquationEditor* editor = activeEditor();
    if (!editor) {
        m_position->clear();
        return;
    }
    const QTextCursor cursor = editor->textCursor();
    m_position->setText(tr("Ln %1, Col %2  Pos %3")
                            .arg(cursor.blockNumber() + 1)
                            .arg(cursor.positionInBlock() + 1)
                            .arg(cursor.position()));
}

void MainWindow::setSavePrompt(std::function<QMessageBox::StandardButton(EquationDocument*)> prompt)
{
    m_savePrompt = std::move(prompt);
}

void MainWindow::setNotifier(std::function<void(const QString&, const QString&)> notifier)
{
    m_notifier = std::move(notifier);
}

void MainWindow::setOverwritePrompt(std::function<bool(EquationDocument*)> prompt)
{
    m_overwritePrompt = std::move(prompt);
}

void MainWindow::notify(const QString& title, const QString& text)
{
    if (m_notifier)
        m_notifier(title, text);
    else
        QMessageBox::warning(this, title, text);
}

// ---------------------------------------------------------------------------------------
// Recent files, drops, autosave

void MainWindow::addRecentFile(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    updateRecentMenu();
}

void MainWindow::updateRecentMenu()
{
    m_recentMenu->clear();
    int n = 1;
    for (const QString& path : m_recentFiles) {
        QAction* a = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(n++).arg(menuText(path)));
        connect(a, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    m_recentMenu->setEnabled(!m_recentFiles.isEmpty());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            openFile(url.toLocalFile());
    event->acceptProposedAction();
}

void MainWindow::autosaveAll()
{
    for (EquationWindow* w : equationWindows())
        w->document()->writeAutosave();
}

int MainWindow::recoverAutosaves(const std::function<bool(const QString&)>& accept)
{
    int recovered = 0;
    for (const OrphanedCopy& copy : m_autosave->takeOrphans()) {
        QFile::remove(copy.file);
        if (!accept(copy.originalPath))
            continue;
        EquationWindow* window = nullptr;
        if (!copy.originalPath.isEmpty() && QFileInfo::exists(copy.originalPath))
            window = openFile(copy.originalPath);
        if (!window)
            window = newDocument();
        window->document()->restoreFrom(copy.text, copy.originalPath);
        m_properties->rebuildDocument(window->document(), window->document()->displayName());
        window->document()->writeAutosave();
        ++recovered;
    }
    return recovered;
}

// ---------------------------------------------------------------------------------------
// Editor settings, printing, dialogs

void MainWindow::applySettingsToEditors()
{
    for (EquationWindow* w : equationWindows())
        w->editor()->applySettings(m_settings);
    updateActions();
}

void MainWindow::pageSetup()
{
    PageSetupDialog dialog(m_settings, this);
    if (dialog.exec() == QDialog::Accepted)
        dialog.store(m_settings);
}

void MainWindow::paintDocument(QPrinter* printer)
{
    EquationEditor* editor = activeEditor();
    if (!editor)
        return;
    PrintJob job;
    job.header = m_settings.header;
    job.footer = m_settings.footer;
    job.headerSystemTime = m_settings.headerTime;
    job.footerSystemTime = m_settings.footerTime;
    job.path = editor->equationDocument()->displayName();
    job.font = m_settings.printFont.stored ? m_settings.printFont.font : editor->font();
    job.equationColour = m_settings.equationColor;
    job.commentColour = m_settings.commentsColor;
    job.caretPosition = editor->textCursor().position();
    printEquationText(printer, editor->equationDocument()->text(), job);
}

void MainWindow::print()
{
    if (!activeEditor())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        paintDocument(&printer);
}

void MainWindow::printPreview()
{
    if (!activeEditor())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &MainWindow::paintDocument);
    preview.exec();
}

void MainWindow::setTabStops()
{
    TabStopsDialog dialog(std::clamp(m_settings.tabStops, 1, 16), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_settings.tabStops = dialog.tabStops();
    applySettingsToEditors();
}

void MainWindow::setDisplayFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_settings.editorFont(), this, tr("Font"));
    if (!ok)
        return;
    m_settings.displayFont = {true, font};
    applySettingsToEditors();
}

void MainWindow::setPrinterFont()
{
    bool ok = false;
    const QFont start =
        m_settings.printFont.stored ? m_settings.printFont.font : m_settings.editorFont();
    const QFont font = QFontDialog::getFont(&ok, start, this, tr("Printer Font"));
    if (ok)
        m_settings.printFont = {true, font};
}

void MainWindow::editorOptions()
{
    EditorOptionsDialog dialog(m_settings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.store(m_settings);
    applySettingsToEditors();
}

void MainWindow::goToPosition()
{
    EquationEditor* editor = activeEditor();
    if (!editor)
        return;
    GoToDialog dialog(editor->textCursor().position(),
                      editor->equationDocument()->text()->characterCount() - 1, this);
    if (dialog.exec() == QDialog::Accepted)
        editor->goToPosition(dialog.position());
}

void MainWindow::about()
{
    QMessageBox::about(this, tr("About Varnel"),
                       tr("<b>Varnel %1</b><br>An equation solver: write equations as text, "
                          "solve them and read the results.<br><br>"
                          "Palettes insert operators, functions and symbols; comments are "
                          "written in braces { }.")
                           .arg(QApplication::applicationVersion()));
}

// ---------------------------------------------------------------------------------------
// Settings and closing

void MainWindow::readSettings()
{
    QSettings s;
    const QByteArray state = s.value("General/BarState").toByteArray();
    if (!state.isEmpty())
        restoreState(state, kBarStateVersion);
    const bool statusVisible = s.value("General/StatusBar", true).toBool();
    statusBar()->setVisible(statusVisible);
    action("statusBar")->setChecked(statusVisible);

    auto placement = parseWindowPlacement(s.value("Settings/WindowPos").toString().toStdString());
    if (placement) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect desktop = screen->availableVirtualGeometry();
            placement =
                keepOnDesktop(*placement, desktop.left(), desktop.top(),
                              desktop.left() + desktop.width(), desktop.top() + desktop.height());
        }
        setGeometry(placement->left, placement->top, placement->right - placement->left,
                    placement->bottom - placement->top);
        m_startMaximized =
            placement->showCmd == kShowMaximized ||
            (placement->showCmd == kShowMinimized && (placement->flags & kRestoreToMaximized));
    }

    s.beginGroup("Recent File List");
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = s.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            m_recentFiles.append(path);
    }
    s.endGroup();
    updateRecentMenu();
}

void MainWindow::writeSettings()
{
    QSettings s;
    s.setValue("General/BarState", saveState(kBarStateVersion));
    s.setValue("General/StatusBar", statusBar()->isVisible());

    WindowPlacement p;
    const bool maximized = isMaximized();
    const QRect normal = maximized || isMinimized() ? normalGeometry() : geometry();
    p.flags = maximized ? kRestoreToMaximized : 0;
    p.showCmd = maximized ? kShowMaximized : isMinimized() ? kShowMinimized : kShowNormal;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    s.setValue("Settings/WindowPos", QString::fromStdString(formatWindowPlacement(p)));

    s.beginGroup("Recent File List");
    s.remove("");
    for (int i = 0; i < m_recentFiles.size(); ++i)
        s.setValue(QStringLiteral("File%1").arg(i + 1), m_recentFiles[i]);
    s.endGroup();
}

void MainWindow::showPlaced()
{
    if (m_startMaximized)
        showMaximized();
    else
        show();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_mdi->closeAllSubWindows();
    const QList<QMdiSubWindow*> left = m_mdi->subWindowList();
    if (std::any_of(left.begin(), left.end(), [](QMdiSubWindow* w) { return w->isVisible(); })) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

} // namespace varnel
