// List files attached to a document (File - Attachment), and the power-flow generator command
// (Advanced - Read CF Format for Power Flow), which turns a network in the Common Data Format
// into an equation file beside it.
#include "MainWindow.h"

#include "AttachmentDialog.h"
#include "EquationDocument.h"
#include "EquationWindow.h"
#include "PowerFlowGenerator.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>

namespace varnel {

namespace {

const QString kPowerFlowTitle = QStringLiteral("Read CF Format for Power Flow");

} // namespace

void MainWindow::createAttachmentCommands()
{
    m_attachmentPrompts = std::make_shared<AttachmentPrompts>(AttachmentPrompts::standard());
    QMenu* attachment = menu("attachment");
    attachment->addAction(
        addAction("attachmentNew", tr("&New"), QKeySequence(), [this] { newAttachment(); }));
    attachment->addAction(addAction("attachmentAttach", tr("&Attach File"), QKeySequence(),
                                    [this] { attachFile(); }));
    attachment->addAction(addAction("attachmentEdit", tr("&Edit Attached File"), QKeySequence(),
                                    [this] { editAttachment(); }));
    attachment->addAction(addAction("attachmentRemove", tr("Remove"), QKeySequence(),
                                    [this] { removeAttachment(); }));

    QMenu* advanced = menu("advanced");
    if (!advanced->isEmpty())
        advanced->addSeparator();
    advanced->addAction(addAction("readCfFormat", tr("Read CF Format for Power Flow"),
                                  QKeySequence(), [this] { readCfFormat(); }));
}

void MainWindow::setAttachmentPrompts(const AttachmentPrompts& prompts)
{
    *m_attachmentPrompts = prompts;
}

AttachmentPrompts MainWindow::attachmentPrompts()
{
    AttachmentPrompts prompts = *m_attachmentPrompts;
    const auto tell = prompts.tell;
    prompts.tell = [this, tell](QWidget* parent, const QString& title, const QString& text) {
        if (m_notifier)
            m_notifier(title, text);
        else
            tell(parent, title, text);
    };
    return prompts;
}

void MainWindow::updateAttachmentActions()
{
    QAction* attachNew = action("attachmentNew");
    if (!attachNew)
        return;
    const EquationWindow* window = activeEquationWindow();
    const bool attached = window && !window->document()->attachment().isEmpty();
    attachNew->setEnabled(window && !attached);
    action("attachmentAttach")->setEnabled(window && !attached);
    action("attachmentEdit")->setEnabled(attached);
    action("attachmentRemove")->setEnabled(attached);
}

void MainWindow::newAttachment()
{
    EquationWindow* window = activeEquationWindow();
    if (!window)
        return;
    window->document()->setAttachment(QString(), 0);
    runAttachmentEditor(window, AttachmentDialog::kNoName);
}

void MainWindow::attachFile()
{
    EquationWindow* window = activeEquationWindow();
    if (!window)
        return;
    const QString path = m_attachmentPrompts->chooseFile(
        this, tr("Attachment File"), QFileInfo(window->document()->path()).absolutePath(),
        AttachmentDialog::kFilter, false);
    if (path.isEmpty())
        return;
    window->document()->setAttachment(QFileInfo(path).absoluteFilePath(), 0);
    runAttachmentEditor(window, window->document()->attachment());
}

void MainWindow::editAttachment()
{
    EquationWindow* window = activeEquationWindow();
    if (window && !window->document()->attachment().isEmpty())
        runAttachmentEditor(window, window->document()->attachment());
}

void MainWindow::removeAttachment()
{
    if (EquationWindow* window = activeEquationWindow())
        window->document()->setAttachment(QString(), 0);
    updateActions();
}

void MainWindow::runAttachmentEditor(EquationWindow* window, const QString& name)
{
    QPointer<EquationWindow> alive(window);
    const AttachmentPrompts prompts = attachmentPrompts();
    const QString folder = window->document()->path().isEmpty()
                               ? QString()
                               : QFileInfo(window->document()->path()).absolutePath();
    AttachmentDialog dialog(name, prompts, folder, this);
    if (!dialog.loadError().isEmpty())
        prompts.tell(&dialog, dialog.windowTitle(), dialog.loadError());
    const int result = prompts.runEditor(dialog);
    if (alive) {
        EquationDocument* document = window->document();
        // "Save" attaches what it stored; otherwise an attached file keeps its name, with the
        // count of data lines it holds on disk, and a new list stays unattached.
        if (result == QDialog::Accepted)
            document->setAttachment(QFileInfo(dialog.fileName()).absoluteFilePath(),
                                    dialog.count());
        else if (!document->attachment().isEmpty())
            document->setAttachment(document->attachment(), dialog.count());
    }
    updateActions();
}

void MainWindow::readCfFormat()
{
    const QString input =
        m_attachmentPrompts->chooseFile(this, tr("Read CF File"), QString(),
                                        QStringLiteral("Common Format Data Files (*.CF)"), false);
    if (input.isEmpty())
        return;
    const std::string outputBytes = powerFlowOutputName(QFile::encodeName(input).toStdString());
    const QString output = QFile::decodeName(QByteArray::fromStdString(outputBytes));
    const QString absolute = QFileInfo(output).absoluteFilePath();
    for (EquationWindow* w : equationWindows())
        if (w->document()->path() == absolute) {
            notify(kPowerFlowTitle,
                   tr("The file \"%1\" is open in a window. Close it before its equations are "
                      "formed again.")
                       .arg(QDir::toNativeSeparators(output)));
            return;
        }
    if (QFileInfo::exists(output) &&
        !m_attachmentPrompts->ask(this, kPowerFlowTitle,
                                  tr("The file \"%1\" exists already.\nReplace it?")
                                      .arg(QDir::toNativeSeparators(output))))
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PowerFlowResult result =
        convertCdfFile(QFile::encodeName(input).toStdString(), outputBytes);
    QApplication::restoreOverrideCursor();
    const QString message = QString::fromLocal8Bit(result.message);
    if (!result.ok) {
        notify(kPowerFlowTitle, message);
        return;
    }
    statusBar()->showMessage(message, 5000);
    if (m_attachmentPrompts->ask(this, kPowerFlowTitle, message + tr("\n\nOpen it now?")))
        openFile(output);
}

} // namespace varnel
