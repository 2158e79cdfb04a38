// Standard dialogs behind the replaceable prompts of result tables and graphs.
#include "ResultPrompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace varnel {

void promptNotify(const ResultPrompts& prompts, QWidget* parent, const QString& title,
                  const QString& text)
{
    if (prompts.notify)
        prompts.notify(title, text);
    else
        QMessageBox::warning(parent, title, text);
}

QString promptFile(const ResultPrompts& prompts, QWidget* parent, const QString& caption,
                   const QString& start, const QString& filter, const QString& suffix, bool save)
{
    if (prompts.chooseFile)
        return prompts.chooseFile(caption, start, filter, suffix, save);
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The suffix is added before the dialog asks about replacing, so the question is about
    // the file that will really be written.
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QColor promptColour(const ResultPrompts& prompts, QWidget* parent, const QColor& start)
{
    if (prompts.chooseColour)
        return prompts.chooseColour(start);
    return QColorDialog::getColor(start, parent);
}

bool promptConfirm(const ResultPrompts& prompts, QWidget* parent, const QString& question)
{
    if (prompts.confirm)
        return prompts.confirm(question);
    return QMessageBox::question(parent, QStringLiteral("Varnel"), question,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

int promptDialog(const ResultPrompts& prompts, QDialog& dialog)
{
    if (prompts.runDialog)
        return prompts.runDialog(dialog);
    return dialog.exec();
}

} // namespace varnel
