// The Options command: the solution settings of the active document.
#include "MainWindow.h"

#include "EquationWindow.h"

namespace varnel {

void MainWindow::createOptionsCommands() {}

} // namespace varnel
