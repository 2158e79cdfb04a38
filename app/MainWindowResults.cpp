// Result tables and graphs made from a document's results.
#include "MainWindow.h"

#include "EquationWindow.h"

namespace varnel {

void MainWindow::createResultCommands() {}

void MainWindow::showResults(EquationWindow* window)
{
    Q_UNUSED(window);
    notify(tr("Results"), tr("Result tables are not built in this version of the program."));
}

void MainWindow::updateAllGraphs(EquationWindow* window)
{
    Q_UNUSED(window);
}

} // namespace varnel
