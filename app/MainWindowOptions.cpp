// The Options command: the solution settings of the active document, the display switches
// and the editor colours in the options sheet.
#include "MainWindow.h"

#include "AppSettings.h"
#include "EquationDocument.h"
#include "EquationWindow.h"
#include "OptionsSheet.h"
#include "PropertiesTree.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QTreeWidgetItem>

namespace varnel {

namespace {

/// The solution lines shown under a document's results node, kept across a rebuild.
QStringList resultLines(const QTreeWidgetItem* node)
{
    QStringList lines;
    if (node == nullptr || node->childCount() == 0)
        return lines;
    const QTreeWidgetItem* results = node->child(0);
    for (int i = 0; i < results->childCount(); ++i)
        lines << results->child(i)->text(0);
    return lines;
}

} // namespace

void MainWindow::createOptionsCommands()
{
    QAction* options = addAction("options", tr("&Options"), QKeySequence(Qt::Key_F10),
                                 [this] { editOptions(activeEquationWindow()); });
    options->setIcon(QIcon::fromTheme(QStringLiteral("preferences-system"),
                                      QIcon(QStringLiteral(":/icons/options.svg"))));
    options->setStatusTip(tr("Solution settings of the document, output and colours"));
    menu("solve")->addAction(options);
    options->setEnabled(false);
    connect(m_mdi, &QMdiArea::subWindowActivated, options,
            [this, options] { options->setEnabled(activeEquationWindow() != nullptr); });
}

void MainWindow::setOptionsSheetRunner(std::function<int(OptionsSheet&)> runner)
{
    m_optionsSheetRunner = std::move(runner);
}

void MainWindow::editOptions(EquationWindow* window)
{
    if (window == nullptr)
        return;
    EquationDocument* document = window->document();
    OptionsSheet sheet(
        document->title(), document->options(), m_settings,
        [this](const QString& title, const QString& text) { notify(title, text); }, this);
    const int result = m_optionsSheetRunner ? m_optionsSheetRunner(sheet) : sheet.exec();
    if (result != QDialog::Accepted)
        return;
    document->setOptionsModified();
    if (sheet.generalShown()) {
        // The switches are program-wide: every open document runs with them from now on,
        // as documents opened later will. The colours go to every editor.
        for (EquationWindow* w : equationWindows()) {
            SolverOptions& o = w->document()->options();
            o.showIterations = m_settings.iterInf != 0;
            o.showDerivatives = m_settings.derivInf != 0;
            o.showResults = m_settings.resultsInf != 0;
        }
        applySettingsToEditors();
    }
    const QStringList results = resultLines(m_properties->nodeOf(document));
    m_properties->rebuildDocument(document, document->displayName(),
                                  results.isEmpty() ? nullptr : &results);
}

} // namespace varnel
