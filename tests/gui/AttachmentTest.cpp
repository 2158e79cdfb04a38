// Tests of the attachment editor and the File - Attachment and power-flow commands: a grid
// filled through the dialog's own buttons and stored byte for byte, names through "Get
// VarName" and "RefreshVar", the refusals that keep the dialog and its grid, the enabled
// states of the commands, and the power-flow file formed beside a network file.
#include "GuiTestSupport.h"

#include "AttachmentDialog.h"
#include "EquationDocument.h"
#include "EquationWindow.h"
#include "MainWindow.h"
#include "SymbolCodec.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

namespace {

/// Prompts that record what they are asked and answer from fields the test sets.
struct Script {
    QString chosenFile;
    bool answer = true;
    QStringList asked;
    QStringList told;
    QStringList fileTitles;
    std::function<int(AttachmentDialog&)> editor = [](AttachmentDialog&) {
        return int(QDialog::Rejected);
    };

    AttachmentPrompts prompts()
    {
        AttachmentPrompts p;
        p.chooseFile = [this](QWidget*, const QString& title, const QString&, const QString& filter,
                              bool) {
            fileTitles << title + " | " + filter;
            return chosenFile;
        };
        p.ask = [this](QWidget*, const QString&, const QString& text) {
            asked << text;
            return answer;
        };
        p.tell = [this](QWidget*, const QString&, const QString& text) { told << text; };
        p.runEditor = [this](AttachmentDialog& dialog) { return editor(dialog); };
        return p;
    }
};

void setCell(QTableWidget* grid, int row, int column, const QString& text)
{
    grid->setItem(row, column, new QTableWidgetItem(text));
}

QString headerText(QTableWidget* grid, int column)
{
    return grid->horizontalHeaderItem(column) ? grid->horizontalHeaderItem(column)->text()
                                              : QString();
}

QString cellText(QTableWidget* grid, int row, int column)
{
    return grid->item(row, column) ? grid->item(row, column)->text() : QString();
}

/// Names a column through the name field, "Approx:" and "RefreshVar".
void nameColumn(AttachmentDialog& dialog, int column, const QString& name, bool approx)
{
    dialog.setFocusedColumn(column);
    dialog.nameField()->setText(name);
    dialog.approxBox()->setChecked(approx);
    QTest::mouseClick(dialog.button("RefreshVar"), Qt::LeftButton);
}

// The starting-value sign as the grid shows it.
const QString kSign = QString(QChar(static_cast<char16_t>(symbolForByte(0xBB))));

} // namespace

class AttachmentTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void gridFilledThroughTheButtonsIsStoredByteForByte()
    {
        Script script;
        script.chosenFile = m_files.filePath("cases"); // no extension: ".LST" is added
        AttachmentDialog dialog(AttachmentDialog::kNoName, script.prompts());
        QTableWidget* grid = dialog.grid();
        QCOMPARE(grid->columnCount(), 1);
        QTest::mouseClick(dialog.button("Add &Column"), Qt::LeftButton);
        QTest::mouseClick(dialog.button("Add &Row"), Qt::LeftButton);
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(grid->rowCount(), 2);
        nameColumn(dialog, 0, "x", false);
        nameColumn(dialog, 1, "y", true);
        QCOMPARE(headerText(grid, 1), "y" + kSign);
        setCell(grid, 0, 0, "1");
        setCell(grid, 0, 1, "2.5");
        setCell(grid, 1, 0, "-3");
        setCell(grid, 1, 1, "4e-2");
        QTest::mouseClick(dialog.button("Add &Row"), Qt::LeftButton); // an empty row

        QTest::mouseClick(dialog.button("Save"), Qt::LeftButton);
        QVERIFY2(script.told.isEmpty(), qPrintable(script.told.join('\n')));
        QCOMPARE(script.fileTitles,
                 QStringList{"Attachment File - Save | Varnel Attachment Files (*.LST)"});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.fileName(), m_files.filePath("cases.LST"));
        QCOMPARE(dialog.count(), 2);
        QCOMPARE(readBytes(m_files.filePath("cases.LST")), QByteArray("x y\xBB\n1 2.5\n-3 4e-2\n"));
        QCOMPARE(script.asked, QStringList());

        // Loading the stored file shows the same grid; "Get VarName" reads the names back.
        AttachmentDialog again(dialog.fileName(), script.prompts());
        QCOMPARE(again.count(), 2);
        QCOMPARE(again.grid()->rowCount(), 2);
        QCOMPARE(cellText(again.grid(), 1, 1), QString("4e-2"));
        again.setFocusedColumn(1);
        again.getVarName();
        QCOMPARE(again.nameField()->text(), QString("y"));
        QVERIFY(again.approxBox()->isChecked());
        again.setFocusedColumn(0);
        again.getVarName();
        QCOMPARE(again.nameField()->text(), QString("x"));
        QVERIFY(!again.approxBox()->isChecked());
        QVERIFY(!again.isEdited());
    }

    void loadingAnySeparatorAndSymbolBytesKeepsTheFile()
    {
        // Greek names are bytes of the symbol table; tabs and ";" separate like blanks.
        const QString path = m_files.filePath("greek.LST");
        QVERIFY(writeBytes(path, "\xE1\t\xE2\xBB;c\r\n1;2 3\n\n4\t5\t6\n"));
        Script script;
        AttachmentDialog dialog(path, script.prompts());
        QCOMPARE(dialog.grid()->columnCount(), 3);
        QCOMPARE(dialog.grid()->rowCount(), 2);
        QCOMPARE(dialog.count(), 2);
        QCOMPARE(headerText(dialog.grid(), 0), QString(QChar(0x03B1)));
        QCOMPARE(cellText(dialog.grid(), 1, 2), QString("6"));
        QVERIFY(dialog.save());
        QCOMPARE(script.fileTitles, QStringList()); // a named list is not asked for a name
        QCOMPARE(readBytes(path), QByteArray("\xE1 \xE2\xBB c\n1 2 3\n4 5 6\n"));
    }

    void refusalsKeepTheDialogAndTheGrid()
    {
        struct Case {
            const char* name;
            QString chosenFile;   // the answer of the name dialog
            QString column0;      // name of the first column
            QString cell;         // value of row 1, column 1
            QString expectedTold; // start of the message told, empty for none
        };
        const QString locked = m_files.filePath("no-such-folder/cases.LST");
        const Case cases[] = {
            {"cancelled name dialog", "", "x", "1", ""},
            {"unwritable folder", locked, "x", "1",
             "The list file \"" + locked + "\" cannot be written: "},
            {"no names", m_files.filePath("n.LST"), "", "1",
             "The list has no variable names: give each column a name in the header row."},
            {"character without a byte", m_files.filePath("c.LST"), "x",
             QString::fromUtf8("\xE4\xB8\xAD"),
             "The character \"" + QString::fromUtf8("\xE4\xB8\xAD") +
                 "\" (U+4E2D) in row 1, column 1 cannot be stored in a list file."},
            {"separator in a value", m_files.filePath("s.LST"), "x", "1 2",
             "The value \"1 2\" in row 1, column 1 holds a blank"},
        };
        for (const Case& c : cases) {
            Script script;
            script.chosenFile = c.chosenFile;
            AttachmentDialog dialog(AttachmentDialog::kNoName, script.prompts());
            nameColumn(dialog, 0, c.column0, false);
            setCell(dialog.grid(), 0, 0, c.cell);
            QVERIFY2(!dialog.save(), c.name);
            QCOMPARE(dialog.result(), int(QDialog::Rejected)); // not ended
            QCOMPARE(dialog.fileName(), AttachmentDialog::kNoName);
            QCOMPARE(cellText(dialog.grid(), 0, 0), c.cell);
            if (c.expectedTold.isEmpty())
                QVERIFY2(script.told.isEmpty(), c.name);
            else
                QVERIFY2(script.told.size() == 1 && script.told[0].startsWith(c.expectedTold),
                         qPrintable(script.told.join('\n')));
            if (!c.chosenFile.isEmpty())
                QVERIFY2(!QFile::exists(c.chosenFile), c.name);
        }
    }

    void dontSaveAsksOnlyForAnEditedGrid()
    {
        Script script;
        {
            AttachmentDialog dialog(AttachmentDialog::kNoName, script.prompts());
            dialog.show();
            QTest::mouseClick(dialog.button("Don't Save"), Qt::LeftButton);
            QVERIFY(script.asked.isEmpty());
            QVERIFY(!dialog.isVisible());
        }
        AttachmentDialog dialog(AttachmentDialog::kNoName, script.prompts());
        dialog.show();
        setCell(dialog.grid(), 0, 0, "7");
        script.answer = false;
        QTest::mouseClick(dialog.button("Don't Save"), Qt::LeftButton);
        QCOMPARE(script.asked.size(), 1);
        QVERIFY(dialog.isVisible());
        QCOMPARE(cellText(dialog.grid(), 0, 0), QString("7"));
        script.answer = true;
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(script.asked.size(), 2);
        QVERIFY(!dialog.isVisible());
    }

    void rowAndColumnButtonsActWhereTheFocusIs()
    {
        const QString path = m_files.filePath("edit.LST");
        QVERIFY(writeBytes(path, "a b\n1 2\n3 4\n"));
        Script script;
        AttachmentDialog dialog(path, script.prompts());
        QTableWidget* grid = dialog.grid();
        dialog.setFocusedColumn(1);
        QTest::mouseClick(dialog.button("Inser&t Column"), Qt::LeftButton);
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(headerText(grid, 2), QString("b"));
        QCOMPARE(headerText(grid, 1), QString());
        QTest::mouseClick(dialog.button("Delete &Column"), Qt::LeftButton);
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(headerText(grid, 1), QString("b"));
        grid->setCurrentCell(1, 0);
        QTest::mouseClick(dialog.button("&Insert Row"), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(cellText(grid, 2, 0), QString("3"));
        grid->setCurrentCell(0, 0);
        QTest::mouseClick(dialog.button("&Delete Row"), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 2);
        QVERIFY(dialog.isEdited());
        QVERIFY(dialog.save());
        QCOMPARE(readBytes(path), QByteArray("a b\n3 4\n"));
        QCOMPARE(dialog.count(), 1);
    }

    void attachmentCommandsFollowTheDocument()
    {
        AppSettings settings;
        settings.readSettings();
        MainWindow w(settings);
        QStringList notes;
        w.setNotifier([&](const QString&, const QString& text) { notes << text; });
        w.setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        Script script;
        w.setAttachmentPrompts(script.prompts());
        auto enabled = [&] {
            QString states;
            for (const char* name :
                 {"attachmentNew", "attachmentAttach", "attachmentEdit", "attachmentRemove"})
                states += w.action(name)->isEnabled() ? '1' : '0';
            return states;
        };
        QCOMPARE(w.menu("attachment")->actions().size(), 4);
        QCOMPARE(enabled(), QString("0000"));
        EquationWindow* window = w.newDocument();
        EquationDocument* document = window->document();
        QCOMPARE(enabled(), QString("1100"));

        // New, with the name dialog cancelled: nothing is attached, nothing written.
        script.editor = [](AttachmentDialog& dialog) {
            dialog.nameField()->setText("x");
            dialog.refreshVar();
            dialog.grid()->setItem(0, 0, new QTableWidgetItem("1"));
            return dialog.save() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        script.chosenFile.clear();
        w.action("attachmentNew")->trigger();
        QCOMPARE(document->attachment(), QString());
        QCOMPARE(document->options().listFileCount, 0);
        QCOMPARE(enabled(), QString("1100"));

        // New, saved under a name: attached with its count.
        script.chosenFile = m_files.filePath("new");
        w.action("attachmentNew")->trigger();
        QCOMPARE(document->attachment(), m_files.filePath("new.LST"));
        QCOMPARE(document->options().listFileCount, 1);
        QCOMPARE(QByteArray(document->options().listFile.chars),
                 QFile::encodeName(m_files.filePath("new.LST")));
        QCOMPARE(enabled(), QString("0011"));

        // Edit, left with "Don't Save": still attached, with the count on disk.
        QVERIFY(writeBytes(m_files.filePath("new.LST"), "x\n1\n2\n3\n"));
        script.editor = [](AttachmentDialog&) { return int(QDialog::Rejected); };
        w.action("attachmentEdit")->trigger();
        QCOMPARE(document->attachment(), m_files.filePath("new.LST"));
        QCOMPARE(document->options().listFileCount, 3);

        w.action("attachmentRemove")->trigger();
        QCOMPARE(document->attachment(), QString());
        QCOMPARE(document->options().listFileCount, 0);
        QCOMPARE(enabled(), QString("1100"));

        // Attach File: the chosen file is attached even when the editor is left unsaved.
        QVERIFY(writeBytes(m_files.filePath("old.LST"), "p q\xBB\n1 2\n3 4\n"));
        script.chosenFile = m_files.filePath("old.LST");
        w.action("attachmentAttach")->trigger();
        QCOMPARE(script.fileTitles.last(),
                 QString("Attachment File | Varnel Attachment Files (*.LST)"));
        QCOMPARE(document->attachment(), m_files.filePath("old.LST"));
        QCOMPARE(document->options().listFileCount, 2);
        QCOMPARE(enabled(), QString("0011"));
        QVERIFY(notes.isEmpty());
        window->close();
    }

    void powerFlowFileIsFormedBesideTheNetwork()
    {
        AppSettings settings;
        settings.readSettings();
        MainWindow w(settings);
        QStringList notes;
        w.setNotifier([&](const QString&, const QString& text) { notes << text; });
        w.setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        Script script;
        w.setAttachmentPrompts(script.prompts());
        QVERIFY(w.menu("advanced")->actions().contains(w.action("readCfFormat")));

        // A dot in a folder name does not cut the output name.
        QVERIFY(QDir(m_files.path()).mkpath("grid.v2"));
        const QString input = m_files.filePath("grid.v2/ieee14.cf");
        const QString output = m_files.filePath("grid.v2/ieee14.ALG");
        QVERIFY(QFile::copy(VARNEL_SOURCE_DIR "/tests/data/ieee14.cf", input));
        script.chosenFile = input;
        script.answer = false;
        w.action("readCfFormat")->trigger();
        QCOMPARE(script.fileTitles.last(),
                 QString("Read CF File | Common Format Data Files (*.CF)"));
        QCOMPARE(script.asked.size(), 1);
        QVERIFY(script.asked[0].startsWith("Power Flow equations formed and stored to the file \"" +
                                           output + "\""));
        const QByteArray formed = readBytes(output);
        QVERIFY(formed.startsWith("{Generated from CF File Format}\n"));
        QVERIFY(formed.contains("v14\xBB"
                                "1.000000;\n"));
        QVERIFY(w.equationWindows().isEmpty());

        // An existing file is replaced only when the user agrees; then it may be opened.
        QVERIFY(writeBytes(output, "kept"));
        script.asked.clear();
        w.action("readCfFormat")->trigger();
        QCOMPARE(script.asked.size(), 1);
        QVERIFY(script.asked[0].contains("exists already"));
        QCOMPARE(readBytes(output), QByteArray("kept"));
        script.answer = true;
        script.asked.clear();
        w.action("readCfFormat")->trigger();
        QCOMPARE(script.asked.size(), 2);
        QCOMPARE(readBytes(output), formed);
        QCOMPARE(w.equationWindows().size(), 1);
        QCOMPARE(w.equationWindows().first()->document()->path(), output);

        // Malformed input is told, and no file is formed.
        const QString broken = m_files.filePath("broken.CF");
        QVERIFY(writeBytes(broken, "BUS DATA FOLLOWS\n1 A 1 1 3 1 0 0 0 0 0 0 0\n"));
        script.chosenFile = broken;
        w.action("readCfFormat")->trigger();
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes[0].contains("BUS"), qPrintable(notes[0]));
        QVERIFY(!QFile::exists(m_files.filePath("broken.ALG")));
        w.equationWindows().first()->close();
    }
};

QTEST_MAIN(AttachmentTest)
#include "AttachmentTest.moc"
