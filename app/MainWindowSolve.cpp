// The commands that run the library on a document: solving, the symbolic operations and
// graph generation.
#include "MainWindow.h"

#include "EquationWindow.h"

namespace varnel {

void MainWindow::createSolveCommands() {}

} // namespace varnel
