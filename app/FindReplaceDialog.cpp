// Searching and replacing in the equation editor.
#include "FindReplaceDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace varnel {

FindReplaceDialog::FindReplaceDialog(std::function<QPlainTextEdit*()> activeEditor, QWidget* parent)
    : QDialog(parent), m_activeEditor(std::move(activeEditor)), m_find(new QLineEdit(this)),
      m_replace(new QLineEdit(this)), m_replaceLabel(new QLabel(tr("Re&place with:"), this)),
      m_case(new QCheckBox(tr("Match &case"), this)),
      m_words(new QCheckBox(tr("Match &whole word only"), this)),
      m_up(new QCheckBox(tr("Search &up"), this)), m_replaceButtons(new QWidget(this)),
      m_status(new QLabel(this))
{
    setWindowTitle(tr("Find"));
    auto* layout = new QGridLayout(this);
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findLabel->setBuddy(m_find);
    m_replaceLabel->setBuddy(m_replace);
    layout->addWidget(findLabel, 0, 0);
    layout->addWidget(m_find, 0, 1);
    layout->addWidget(m_replaceLabel, 1, 0);
    layout->addWidget(m_replace, 1, 1);
    layout->addWidget(m_case, 2, 0, 1, 2);
    layout->addWidget(m_words, 3, 0, 1, 2);
    layout->addWidget(m_up, 4, 0, 1, 2);
    layout->addWidget(m_status, 5, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    auto* next = new QPushButton(tr("&Find Next"), this);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &FindReplaceDialog::findNext);
    buttons->addWidget(next);
    auto* replaceLayout = new QVBoxLayout(m_replaceButtons);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    auto* replaceOne = new QPushButton(tr("&Replace"), m_replaceButtons);
    auto* replaceEvery = new QPushButton(tr("Replace &All"), m_replaceButtons);
    connect(replaceOne, &QPushButton::clicked, this, &FindReplaceDialog::replace);
    connect(replaceEvery, &QPushButton::clicked, this, &FindReplaceDialog::replaceAll);
    replaceLayout->addWidget(replaceOne);
    replaceLayout->addWidget(replaceEvery);
    buttons->addWidget(m_replaceButtons);
    auto* close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    buttons->addWidget(close);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 2, 6, 1);
}

void FindReplaceDialog::showFor(bool replace)
{
    setWindowTitle(replace ? tr("Replace") : tr("Find"));
    m_replace->setVisible(replace);
    m_replaceLabel->setVisible(replace);
    m_replaceButtons->setVisible(replace);
    if (QPlainTextEdit* editor = m_activeEditor(); editor && editor->textCursor().hasSelection())
        m_find->setText(editor->textCursor().selectedText());
    m_status->clear();
    show();
    raise();
    activateWindow();
    m_find->setFocus();
    m_find->selectAll();
}

QTextDocument::FindFlags FindReplaceDialog::flags() const
{
    QTextDocument::FindFlags f;
    if (m_case->isChecked())
        f |= QTextDocument::FindCaseSensitively;
    if (m_words->isChecked())
        f |= QTextDocument::FindWholeWords;
    if (m_up->isChecked())
        f |= QTextDocument::FindBackward;
    return f;
}

bool FindReplaceDialog::findIn(QPlainTextEdit* editor, const QString& text,
                               QTextDocument::FindFlags flags)
{
    if (!editor || text.isEmpty())
        return false;
    if (editor->find(text, flags))
        return true;
    // Wrap around once from the other end.
    QTextCursor start(editor->document());
    start.movePosition(flags & QTextDocument::FindBackward ? QTextCursor::End : QTextCursor::Start);
    QTextCursor found = editor->document()->find(text, start, flags);
    if (found.isNull())
        return false;
    editor->setTextCursor(found);
    return true;
}

int FindReplaceDialog::replaceAllIn(QPlainTextEdit* editor, const QString& text,
                                    const QString& with, QTextDocument::FindFlags flags)
{
    if (!editor || editor->isReadOnly() || text.isEmpty())
        return 0;
    flags &= ~QTextDocument::FindBackward;
    QTextDocument* document = editor->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    QTextCursor found = document->find(text, 0, flags);
    while (!found.isNull()) {
        found.insertText(with);
        ++count;
        found = document->find(text, found.position(), flags);
    }
    edit.endEditBlock();
    return count;
}

bool FindReplaceDialog::findNext()
{
    const bool found = findIn(m_activeEditor(), m_find->text(), flags());
    m_status->setText(found ? QString() : tr("Cannot find \"%1\".").arg(m_find->text()));
    return found;
}

void FindReplaceDialog::replace()
{
    QPlainTextEdit* editor = m_activeEditor();
    if (!editor || editor->isReadOnly())
        return;
    QTextCursor cursor = editor->textCursor();
    const Qt::CaseSensitivity cs = m_case->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection() && cursor.selectedText().compare(m_find->text(), cs) == 0)
        cursor.insertText(m_replace->text());
    findNext();
}

void FindReplaceDialog::replaceAll()
{
    const int count = replaceAllIn(m_activeEditor(), m_find->text(), m_replace->text(), flags());
    m_status->setText(tr("%n replacement(s).", nullptr, count));
}

} // namespace varnel
