// Tests of the main window and the program settings: the first start's bars and defaults,
// settings and bar state carried from one start to the next, the nine-number placement rule,
// the Properties tree's nodes, the save prompt, and autosave copies offered after a crash.
#include "GuiTestSupport.h"

#include "AppSettings.h"
#include "AutosaveStore.h"
#include "EquationDocument.h"
#include "EquationEditor.h"
#include "EquationWindow.h"
#include "MainWindow.h"
#include "PaletteDock.h"
#include "PropertiesTree.h"

#include <QAction>
#include <QDockWidget>
#include <QLockFile>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QToolBar>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

namespace {

QStringList childTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;

    // One start of the program: settings read, main window built and placed.
    struct Start {
        AppSettings settings;
        std::unique_ptr<MainWindow> window;
        Start()
        {
            settings.readSettings();
            window = std::make_unique<MainWindow>(settings);
            window->readSettings();
            window->setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
            window->setNotifier([](const QString&, const QString&) {});
            window->showPlaced();
        }
        void end()
        {
            window->close();
            settings.writeSettings();
        }
    };

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }
    void init() { varnel::testing::isolateProfile(m_profile); }

    void firstStartUsesTheDefaults()
    {
        Start start;
        MainWindow& w = *start.window;
        QCOMPARE(start.settings.derivInf, 0);
        QCOMPARE(start.settings.iterInf, 0);
        QCOMPARE(start.settings.resultsInf, 1);
        QCOMPARE(start.settings.showCmd, 3);
        QVERIFY(!w.isMaximized());
        QVERIFY(w.standardBar()->isVisible());
        QVERIFY(w.operatorsBar()->isVisible());
        QCOMPARE(w.operatorsBar()->actions().size(), 28);
        QVERIFY(w.propertiesDock()->isVisible());
        QVERIFY(w.outputDock()->isVisible());
        QVERIFY(w.palette(Palette::GreekAlphabet)->isVisible());
        QVERIFY(w.palette(Palette::SpecialFunctions)->isVisible());
        QVERIFY(!w.palette(Palette::Numbers)->isVisible());
        QVERIFY(!w.palette(Palette::Alphabet)->isVisible());
        QCOMPARE(w.dockWidgetArea(w.palette(Palette::GreekAlphabet)), Qt::RightDockWidgetArea);
        QCOMPARE(w.dockWidgetArea(w.outputDock()), Qt::BottomDockWidgetArea);

        EquationWindow* child = w.newDocument();
        QVERIFY(child->isMaximized());
        QCOMPARE(child->document()->options().showResults, std::uint8_t(1));
        start.end();
    }

    void settingsOfOneStartAreReadByTheNext()
    {
        {
            Start first;
            MainWindow& w = *first.window;
            first.settings.wordWrap = true;
            first.settings.equationColor = QColor(0, 0, 200);
            first.settings.header = "Equations &f";
            first.settings.footerTime = true;
            first.settings.resultsInf = 0;
            first.settings.displayFont = {true, QFont("DejaVu Sans Mono", 13)};
            w.palette(Palette::Numbers)->show();
            w.palette(Palette::GreekAlphabet)->hide();
            w.outputDock()->hide();
            w.setGeometry(40, 50, 900, 640);
            const QString path = m_files.filePath("recent.alg");
            QVERIFY(writeBytes(path, "r = 1;"));
            QVERIFY(w.openFile(path));
            w.equationWindows().first()->showNormal(); // child windows now start normal
            first.end();
        }
        QSettings raw;
        QCOMPARE(raw.value("Settings/WordWrap").toInt(), 1);
        QCOMPARE(raw.value("Settings/EquationColor").toInt(), 200 << 16);
        QCOMPARE(raw.value("General/ResultsInf").toInt(), 0);
        QCOMPARE(raw.value("Settings/ShowCmd").toInt(), 1);
        QCOMPARE(raw.value("Font/FaceName").toString(), QString("DejaVu Sans Mono"));
        QCOMPARE(raw.value("Settings/WindowPos").toString().split(',').size(), 10);

        Start second;
        MainWindow& w = *second.window;
        QVERIFY(second.settings.wordWrap);
        QCOMPARE(second.settings.equationColor, QColor(0, 0, 200));
        QCOMPARE(second.settings.header, QString("Equations &f"));
        QVERIFY(second.settings.footerTime);
        QCOMPARE(second.settings.resultsInf, 0);
        QCOMPARE(second.settings.showCmd, 1);
        QCOMPARE(second.settings.displayFont.font.family(), QString("DejaVu Sans Mono"));
        QVERIFY(w.palette(Palette::Numbers)->isVisible());
        QVERIFY(!w.palette(Palette::GreekAlphabet)->isVisible());
        QVERIFY(!w.outputDock()->isVisible());
        QCOMPARE(w.geometry().topLeft(), QPoint(40, 50));
        QCOMPARE(w.recentFiles(), QStringList{m_files.filePath("recent.alg")});
        QFile::remove(m_files.filePath("recent.alg"));
        QVERIFY(!w.openFile(m_files.filePath("recent.alg")));
        QVERIFY(w.recentFiles().isEmpty());
        EquationWindow* child = w.newDocument();
        QVERIFY(!child->isMaximized());
        QCOMPARE(child->editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(child->document()->options().showResults, std::uint8_t(0));
        second.end();
    }

    void placementOfNineNumbersIsIgnored()
    {
        QSettings().setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,10,20,810");
        Start nine;
        QCOMPARE(nine.window->size(), QSize(1100, 760));
        nine.end();

        QSettings().setValue("Settings/WindowPos", "2,3,-1,-1,-1,-1,10,20,810,620");
        Start ten;
        QVERIFY(ten.window->isMaximized());
        QCOMPARE(ten.window->normalGeometry().size(), QSize(800, 600));
        ten.end();
    }

    void hostileProfileValuesGiveAUsableWindow()
    {
        for (const qint64 height : {-2147483648LL, 2000000000LL}) {
            QSettings raw;
            raw.setValue("Font/Height", height);
            raw.setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,-9000,-9000,-8200,-8400");
            raw.sync();
            Start start;
            const int pixels = start.settings.displayFont.font.pixelSize();
            QVERIFY2(pixels >= 1 && pixels <= 1000, qPrintable(QString::number(pixels)));
            // A placement from a screen that is gone opens where it can be reached.
            const QRect desktop = start.window->screen()->availableVirtualGeometry();
            QVERIFY(desktop.contains(start.window->geometry().topLeft()));
            start.end();
        }
    }

    void propertiesTreeFollowsTheDocuments()
    {
        Start start;
        MainWindow& w = *start.window;
        PropertiesTree* tree = w.properties();
        EquationWindow* first = w.newDocument();
        EquationWindow* second = w.newDocument();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->text(0), QString("Untitled"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QString("Untitled2"));
        QStringList lines = childTexts(tree->topLevelItem(0));
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[0], QString("Results: NOT FOUND"));
        QCOMPARE(lines[1], QString("Method = Newton"));

        // Saving rebuilds the node with the path; a first node moves to the end.
        first->document()->options().method = 3;
        const QString path = m_files.filePath("tree.alg");
        QVERIFY(w.saveDocumentAs(first, path));
        QCOMPARE(tree->topLevelItem(0)->text(0), QString("Untitled2"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QFileInfo(path).absoluteFilePath());
        QCOMPARE(childTexts(tree->topLevelItem(1))[1], QString("Method = Homotopy"));
        QCOMPARE(tree->currentItem(), tree->topLevelItem(1));

        // Closing a document removes its node.
        second->close();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->text(0), QFileInfo(path).absoluteFilePath());
        start.end();
        QCOMPARE(tree->topLevelItemCount(), 0);
    }

    void changedOptionsAskToSave()
    {
        Start start;
        MainWindow& w = *start.window;
        const QString path = m_files.filePath("ask.alg");
        QVERIFY(writeBytes(path, "a = 1;"));
        EquationWindow* child = w.openFile(path);
        QVERIFY(child);
        int asked = 0;
        w.setSavePrompt([&asked](EquationDocument*) {
            ++asked;
            return QMessageBox::Cancel;
        });
        QVERIFY(child->close()); // unmodified: no question
        QCOMPARE(asked, 0);

        child = w.openFile(path);
        child->document()->options().maxIterations = 40;
        child->document()->setOptionsModified();
        QVERIFY(!child->close()); // cancelled
        QCOMPARE(asked, 1);
        w.setSavePrompt([&asked](EquationDocument*) {
            ++asked;
            return QMessageBox::Save;
        });
        QVERIFY(child->close());
        QCOMPARE(asked, 2);
        QCOMPARE(readBytes(m_files.filePath("ask.SQP")).mid(56, 1), QByteArray("\x28"));
        start.end();
    }

    void autosaveIsOfferedBackAfterACrash()
    {
        const QString path = m_files.filePath("crash.alg");
        QVERIFY(writeBytes(path, "p = 1;"));
        {
            Start crashed;
            MainWindow& w = *crashed.window;
            EquationWindow* fresh = w.newDocument();
            fresh->document()->text()->setPlainText(QString::fromUtf8("q = 2; \u03b1 = 1;"));
            EquationWindow* edited = w.openFile(path);
            edited->document()->text()->setPlainText("p = 3;");
            w.autosaveAll();
            // No close, no prompts: the session ends the way a crash does.
            crashed.window->setSavePrompt({});
            for (EquationWindow* child : w.equationWindows())
                child->document()->text()->setModified(true);
        }
        Start next;
        MainWindow& w = *next.window;
        QStringList offered;
        const int recovered = w.recoverAutosaves([&offered](const QString& origin) {
            offered << origin;
            return true;
        });
        QCOMPARE(recovered, 2);
        QVERIFY(offered.contains(QFileInfo(path).absoluteFilePath()));
        QVERIFY(offered.contains(QString()));
        QStringList texts;
        for (EquationWindow* child : w.equationWindows()) {
            QVERIFY(child->document()->isModified());
            texts << child->document()->text()->toPlainText();
        }
        texts.sort();
        QCOMPARE(texts, (QStringList{"p = 3;", QString::fromUtf8("q = 2; \u03b1 = 1;")}));
        QCOMPARE(readBytes(path), QByteArray("p = 1;")); // the file itself is untouched

        // A program that is still running keeps its copies to itself.
        Start other;
        QCOMPARE(other.window->recoverAutosaves([](const QString&) { return true; }), 0);
        other.end();

        // Discarding the recovered changes removes the copies for good.
        next.end();
        Start third;
        QCOMPARE(third.window->recoverAutosaves([](const QString&) { return true; }), 0);
        third.end();
    }

    void copiesBehindAStaleLockAreFound()
    {
        // A session folder whose lock names a process that has ended: a crashed program.
        QProcess gone;
        gone.start("sleep", {"0"});
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());

        const QString root = AutosaveStore::root();
        const QString session = root + "/crashed-session";
        QVERIFY(QDir().mkpath(session));
        QVERIFY(writeBytes(session + "/x.autosave", "\nlost = 1;"));
        {
            QLockFile model(root + "/model.lock");
            QVERIFY(model.tryLock(0));
            QByteArray lock = readBytes(root + "/model.lock");
            lock = QByteArray::number(deadPid) + lock.mid(lock.indexOf('\n'));
            QVERIFY(writeBytes(session + ".lock", lock));
        }
        Start start;
        QStringList texts;
        QCOMPARE(start.window->recoverAutosaves([](const QString&) { return true; }), 1);
        for (EquationWindow* child : start.window->equationWindows())
            texts << child->document()->text()->toPlainText();
        QCOMPARE(texts, QStringList{"lost = 1;"});
        start.end();
    }

    void fileChangedOnDiskIsNotOverwrittenUnasked()
    {
        Start start;
        MainWindow& w = *start.window;
        int asked = 0;
        bool overwrite = false;
        w.setOverwritePrompt([&](EquationDocument*) {
            ++asked;
            return overwrite;
        });
        const QString path = m_files.filePath("shared.alg");
        QVERIFY(writeBytes(path, "mine = 1;"));
        EquationWindow* child = w.openFile(path);
        QVERIFY(child);
        QTest::keyClicks(child->editor(), "x");
        QVERIFY(w.saveDocument(child)); // unchanged on disk: saved without a question
        QCOMPARE(asked, 0);

        QVERIFY(writeBytes(path, "theirs = 2; { another program }"));
        QTest::keyClicks(child->editor(), "y");
        QVERIFY(!w.saveDocument(child));
        QCOMPARE(asked, 1);
        QCOMPARE(readBytes(path), QByteArray("theirs = 2; { another program }"));
        QVERIFY(child->document()->isModified());

        overwrite = true;
        QVERIFY(w.saveDocument(child));
        QCOMPARE(asked, 2);
        QCOMPARE(readBytes(path), QByteArray("xymine = 1;"));
        QVERIFY(w.saveDocument(child));
        QCOMPARE(asked, 2);
        start.end();
    }

    void recentFilesKeepTheLastFour()
    {
        Start start;
        MainWindow& w = *start.window;
        QStringList paths;
        for (const char* name : {"r1.alg", "r2.alg", "r3.alg", "r&4.alg", "r5.alg", "r6.alg"}) {
            paths.prepend(m_files.filePath(name));
            QVERIFY(writeBytes(paths.first(), "r = 1;"));
            QVERIFY(w.openFile(paths.first()));
        }
        QCOMPARE(w.recentFiles(), paths.mid(0, 4));
        QMenu* file = w.menu("file");
        QMenu* recent = nullptr;
        for (QAction* a : file->actions())
            if (a->menu() && a->text() == "Recent &Files")
                recent = a->menu();
        QVERIFY(recent);
        QCOMPARE(recent->actions().size(), 4);
        // A "&" in a file name is shown, not taken as the item's mnemonic.
        QCOMPARE(recent->actions().at(2)->text(),
                 QStringLiteral("&3 %1").arg(m_files.filePath("r&&4.alg")));
        start.end();
    }

    void droppedFilesAreOpened()
    {
        Start start;
        MainWindow& w = *start.window;
        const QString path = m_files.filePath("dropped.alg");
        QVERIFY(writeBytes(path, "d = 1;"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        EquationWindow* child = w.newDocument();
        child->editor()->insertFromMimeData(&data); // onto an editor: opened, not pasted
        QCOMPARE(w.equationWindows().size(), 2);
        QCOMPARE(child->document()->text()->toPlainText(), QString());
        QCOMPARE(w.activeEquationWindow()->document()->path(), QFileInfo(path).absoluteFilePath());
        start.end();
    }

    void commandsFollowTheActiveEditor()
    {
        Start start;
        MainWindow& w = *start.window;
        QVERIFY(!w.action("save")->isEnabled());
        QVERIFY(!w.action("undo")->isEnabled());
        EquationWindow* child = w.newDocument();
        QVERIFY(w.action("save")->isEnabled());
        QVERIFY(!w.action("undo")->isEnabled());
        QTest::keyClicks(child->editor(), "x");
        QVERIFY(w.action("undo")->isEnabled());
        // The Pi accelerator inserts the pi byte into the active editor.
        QAction* pi = nullptr;
        for (QAction* a : w.findChildren<QAction*>())
            if (a->shortcut() == QKeySequence("Alt+P"))
                pi = a;
        QVERIFY(pi);
        pi->trigger();
        QByteArray bytes;
        QString error;
        QVERIFY(child->document()->encodedText(bytes, error));
        QCOMPARE(bytes, QByteArray("x\xF0"));
        start.end();
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
