// The questions that result tables and graphs put to the user: messages, file names,
// colours, yes/no questions and the modal dialogs themselves. Each one can be replaced
// (tests answer them without showing a window); unset ones use the standard dialogs.
#pragma once

#include <QColor>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace varnel {

struct ResultPrompts {
    /// Shows a message (title, text).
    std::function<void(const QString&, const QString&)> notify;
    /// Asks for a file: caption, starting name, filter, default suffix, save (true) or open.
    /// A save answer has had its overwriting confirmed. Empty when cancelled.
    std::function<QString(const QString&, const QString&, const QString&, const QString&, bool)>
        chooseFile;
    /// Asks for a colour starting from the given one; invalid when cancelled.
    std::function<QColor(const QColor&)> chooseColour;
    /// Asks a yes/no question; true for yes.
    std::function<bool(const QString&)> confirm;
    /// Runs a modal dialog; returns its result code (QDialog::Accepted or Rejected).
    std::function<int(QDialog&)> runDialog;
};

/// The prompts' answers, with the standard dialogs (parented to `parent`) for unset ones.
void promptNotify(const ResultPrompts& prompts, QWidget* parent, const QString& title,
                  const QString& text);
QString promptFile(const ResultPrompts& prompts, QWidget* parent, const QString& caption,
                   const QString& start, const QString& filter, const QString& suffix, bool save);
QColor promptColour(const ResultPrompts& prompts, QWidget* parent, const QColor& start);
bool promptConfirm(const ResultPrompts& prompts, QWidget* parent, const QString& question);
int promptDialog(const ResultPrompts& prompts, QDialog& dialog);

} // namespace varnel
