// List files attached to a document, and the power-flow generator command.
#include "MainWindow.h"

#include "EquationWindow.h"

namespace varnel {

void MainWindow::createAttachmentCommands() {}

} // namespace varnel
