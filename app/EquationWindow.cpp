// The equation child window.
#include "EquationWindow.h"

#include "EquationDocument.h"
#include "EquationEditor.h"

#include <QCloseEvent>

namespace varnel {

EquationWindow::EquationWindow(EquationDocument* document, EquationEditor* editor,
                               std::function<bool(EquationWindow*)> mayClose, QWidget* parent)
    : QMdiSubWindow(parent), m_document(document), m_editor(editor), m_mayClose(std::move(mayClose))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(editor);
    document->setParent(this);
    connect(document, &EquationDocument::modifiedChanged, this, &EquationWindow::updateCaption);
    connect(document, &EquationDocument::pathChanged, this, &EquationWindow::updateCaption);
    updateCaption();
}

EquationWindow::~EquationWindow()
{
    if (!m_closed)
        emit closing(this);
}

void EquationWindow::updateCaption()
{
    setWindowTitle(m_document->title() + QStringLiteral("[*]"));
    setWindowModified(m_document->isModified());
}

void EquationWindow::closeEvent(QCloseEvent* event)
{
    if (m_mayClose && !m_mayClose(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && !m_closed) {
        m_closed = true;
        emit closing(this);
    }
}

} // namespace varnel
