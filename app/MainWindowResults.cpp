// Result tables and graphs made from a document's results: View - Results, the Graph menu's
// table commands, the graph windows' File and View commands, and the refresh of every graph
// of a document after its runs.
#include "MainWindow.h"

#include "EquationDocument.h"
#include "EquationWindow.h"
#include "GraphDefinitionDialog.h"
#include "GraphWindow.h"
#include "ResultSheet.h"
#include "ResultTableDialog.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace varnel {

namespace {

const QString kNoTable = QStringLiteral("There is no PRN file available!!");
const QString kNoFile = QStringLiteral("File does not exist!!");
const QString kTableFilter =
    QStringLiteral("Result Files (*.PRN *.prn);;Fourier Tables (*.FFT *.fft);;All Files (*)");

std::string localPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Small drawn icons for the two toolbar buttons: a table and a graph.
QIcon tableIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(255, 255, 224));
    p.drawRect(4, 5, 24, 22);
    p.fillRect(5, 6, 23, 5, QColor(120, 150, 200));
    for (int y : {16, 21})
        p.drawLine(4, y, 28, y);
    for (int x : {12, 20})
        p.drawLine(x, 11, x, 27);
    return QIcon(pixmap);
}

QIcon graphIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawLine(5, 4, 5, 27);
    p.drawLine(5, 27, 29, 27);
    p.setPen(QPen(QColor(0, 0, 192), 2.5));
    const QPointF curve[] = {{6, 24}, {11, 14}, {16, 18}, {21, 8}, {27, 12}};
    p.drawPolyline(curve, 5);
    return QIcon(pixmap);
}

} // namespace

void MainWindow::createResultCommands()
{
    m_resultPrompts.notify = [this](const QString& title, const QString& text) {
        notify(title, text);
    };

    QAction* results = addAction("showResults", tr("&Results"), QKeySequence(Qt::Key_F12),
                                 [this] { showResults(resultOwner()); });
    results->setToolTip(tr("Show Results"));
    results->setIcon(tableIcon());
    addAction("resultsFromFile", tr("From File ..."), QKeySequence(), [this] {
        const QString path = promptFile(m_resultPrompts, this, tr("Open Results"), QString(),
                                        kTableFilter, QString(), false);
        if (!path.isEmpty())
            openResultTable(resultOwner(), path);
    });
    QAction* newGraph = addAction("graphFromResults", tr("From &Results"), QKeySequence(), [this] {
        EquationWindow* owner = resultOwner();
        const QString path = resultTableFor(owner);
        if (!path.isEmpty())
            defineGraph(owner, path);
    });
    newGraph->setToolTip(tr("New Graph"));
    newGraph->setIcon(graphIcon());
    addAction("graphFromFile", tr("From File ..."), QKeySequence(), [this] {
        const QString path = promptFile(m_resultPrompts, this, tr("Open Results"), QString(),
                                        kTableFilter, QString(), false);
        if (!path.isEmpty())
            defineGraph(resultOwner(), path);
    });
    addAction("updateAllGraphs", tr("&Update All Graphs"), QKeySequence(),
              [this] { updateAllGraphs(resultOwner()); });
    addAction("updateGraph", tr("&Update Graph"), QKeySequence(), [this] {
        if (GraphWindow* graph = activeGraphWindow())
            graph->updateGraph();
    });
    addAction("saveGraph", tr("Save Graph"), QKeySequence(), [this] {
        if (GraphWindow* graph = activeGraphWindow())
            graph->saveGraph();
    });
    addAction("saveGraphAs", tr("Save Graph &As..."), QKeySequence(), [this] {
        if (GraphWindow* graph = activeGraphWindow())
            graph->saveGraphAs();
    });
    addAction("exportTableCsv", tr("Export Table as CSV..."), QKeySequence(), [this] {
        if (GraphWindow* graph = activeGraphWindow())
            graph->exportTableCsv();
    });

    menu("results")->addAction(action("showResults"));
    menu("results")->addAction(action("resultsFromFile"));
    QMenu* graphMenu = menu("graph");
    if (!graphMenu->isEmpty())
        graphMenu->addSeparator();
    for (const char* name : {"graphFromResults", "graphFromFile"})
        graphMenu->addAction(action(name));
    graphMenu->addSeparator();
    graphMenu->addAction(action("updateAllGraphs"));

    // The graph window's own commands sit beside the document's in File and View.
    QMenu* file = menu("file");
    const QList<QAction*> fileActions = file->actions();
    const qsizetype afterSaveAs = fileActions.indexOf(action("saveAs")) + 1;
    QAction* before =
        afterSaveAs > 0 && afterSaveAs < fileActions.size() ? fileActions[afterSaveAs] : nullptr;
    file->insertSeparator(before);
    for (const char* name : {"saveGraph", "saveGraphAs", "exportTableCsv"})
        file->insertAction(before, action(name));
    menu("view")->insertAction(menu("results")->menuAction(), action("updateGraph"));

    // The guard goes with the members, so the document area's last signals while the window
    // is taken down never reach them.
    m_resultGuard = std::make_unique<QObject>();
    connect(m_mdi, &QMdiArea::subWindowActivated, m_resultGuard.get(),
            [this] { updateResultActions(); });
    updateResultActions();
}

void MainWindow::setResultPrompts(const ResultPrompts& prompts)
{
    auto notifier = m_resultPrompts.notify;
    m_resultPrompts = prompts;
    if (!m_resultPrompts.notify)
        m_resultPrompts.notify = notifier;
}

void MainWindow::updateResultActions()
{
    const bool graph = activeGraphWindow() != nullptr;
    for (const char* name : {"updateGraph", "saveGraph", "saveGraphAs", "exportTableCsv"})
        action(name)->setEnabled(graph);
}

GraphWindow* MainWindow::activeGraphWindow() const
{
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    if (!active)
        active = m_mdi->currentSubWindow();
    return qobject_cast<GraphWindow*>(active);
}

EquationWindow* MainWindow::resultOwner() const
{
    if (EquationWindow* window = activeEquationWindow())
        return window;
    GraphWindow* graph = activeGraphWindow();
    return graph ? graph->owner() : nullptr;
}

QList<GraphWindow*> MainWindow::graphWindows(EquationWindow* owner) const
{
    QList<GraphWindow*> graphs;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (auto* graph = qobject_cast<GraphWindow*>(w); graph && graph->owner() == owner)
            graphs.append(graph);
    return graphs;
}

QString MainWindow::resultTableFor(EquationWindow* window)
{
    if (!window || window->document()->path().isEmpty()) {
        notify(tr("Varnel"), kNoTable);
        return {};
    }
    const std::string table = resultTableName(localPath(window->document()->path()));
    const QString path = QFile::decodeName(table.c_str());
    if (table.empty() || !QFileInfo(path).isFile()) {
        QApplication::beep();
        notify(tr("Varnel"), kNoFile);
        return {};
    }
    return path;
}

void MainWindow::showResults(EquationWindow* window)
{
    const QString path = resultTableFor(window);
    if (!path.isEmpty())
        openResultTable(window, path);
}

void MainWindow::openResultTable(EquationWindow* owner, const QString& path)
{
    ResultSheet table;
    if (!readResultSheet(localPath(path), table, true)) {
        QApplication::beep();
        notify(tr("Varnel"), kNoFile);
        return;
    }
    QPointer<EquationWindow> guard(owner);
    if (m_resultPrompts.runDialog) {
        ResultTableDialog dialog(path, table, this);
        if (promptDialog(m_resultPrompts, dialog) == QDialog::Accepted && (guard || !owner))
            defineGraph(guard, path);
        return;
    }
    // The table stays open beside the documents (runs show it when they end, and the
    // program must not wait for it); "Graph" goes on to the graph definition.
    auto* dialog = new ResultTableDialog(path, table, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (owner)
        connect(owner, &EquationWindow::closing, dialog, &QWidget::close);
    connect(dialog, &QDialog::accepted, this, [this, guard, hadOwner = owner != nullptr, path] {
        if (guard || !hadOwner)
            defineGraph(guard, path);
    });
    dialog->show();
}

GraphWindow* MainWindow::defineGraph(EquationWindow* owner, const QString& path)
{
    ResultSheet table;
    if (!readResultSheet(localPath(path), table)) {
        QApplication::beep();
        notify(tr("Varnel"), kNoFile);
        return nullptr;
    }
    GraphDefinitionDialog dialog(path, table.names, m_resultPrompts, this);
    QPointer<EquationWindow> guard(owner);
    if (promptDialog(m_resultPrompts, dialog) != QDialog::Accepted || (owner && !guard))
        return nullptr;

    auto* graph = new GraphWindow(GraphModel(localPath(path), dialog.curves(), dialog.options()),
                                  owner, m_resultPrompts);
    switch (graph->updateGraph()) {
    case GraphUpdate::Updated:
    case GraphUpdate::Unchanged:
        break;
    case GraphUpdate::CannotOpen:
        notify(tr("Varnel"), kNoFile);
        [[fallthrough]];
    case GraphUpdate::MissingVariable: // already told
        delete graph;
        return nullptr;
    }
    m_mdi->addSubWindow(graph);
    graph->setWindowIcon(graphIcon());
    graph->show();
    m_mdi->setActiveSubWindow(graph);
    updateResultActions();
    return graph;
}

void MainWindow::updateAllGraphs(EquationWindow* window)
{
    for (GraphWindow* graph : graphWindows(window))
        graph->updateGraph();
}

} // namespace varnel
