// Every run command of the Solve and Advanced menus through the window, on the bundled
// example written for its mode: the run ends in success, leaves its product beside the file,
// and the commands that offer the derived equations show them. (Graph generation and the
// Fourier commands, which ask through dialogs, are driven in SolveTest and EndToEndTest.)
#include "GuiTestSupport.h"

#include "EquationDocument.h"
#include "EquationWindow.h"
#include "MainWindow.h"
#include "OutputWindow.h"

#include <QDialog>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

namespace {

struct Row {
    const char* command;
    const char* example;  // in examples/, or empty for `text`
    const char* text;     // the equations when there is no example
    const char* listFile; // attached list file in examples/, or empty
    const char* product;  // extension of the file the run must leave
    bool offered;         // the derived equations are shown after the run
};

const Row kRows[] = {
    {"solveRepetitive", "equilibrium_pressures", "", "equilibrium_pressures.LST", "PRN", false},
    {"solveDifferential", "rc_transient", "", "", "PRN", false},
    {"solveIntegral", "integral_equation", "", "", "PRN", false},
    {"solveUnconstrained", "minimum_bowl", "", "", "SJC", false},
    {"solveConstrained", "fence_design", "", "", "KTK", false},
    {"solveEstimation", "spring_fit", "", "spring_fit.LST", "SJC", false},
    {"linearizedEquations", "linearize_diode", "", "", "SJC", true},
    {"symbolicLinearized", "linearize_diode", "", "", "SJC", true},
    {"symbolicJacobian", "chemical_equilibrium", "", "", "SJC", true},
    {"symbolicElimination", "", "{Options: 50 -12}\ny \x85 2*x + 1;\nx*y = 3;\nx \xbb 0.8;\n", "",
     "SJC", true},
    {"simplification", "simplify_long", "", "", "SJC", true},
    {"complexForm", "ac_bridge_afc", "", "", "SJC", true},
};

} // namespace

class CommandTableTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    AppSettings m_settings;

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void everyCommandRunsItsMode()
    {
        for (const Row& row : kRows) {
            QTemporaryDir files;
            const QString name =
                row.example[0] ? QString::fromLatin1(row.example) : QStringLiteral("derived");
            const QString path = files.filePath(name + QStringLiteral(".alg"));
            if (row.example[0])
                QVERIFY(QFile::copy(QStringLiteral(VARNEL_SOURCE_DIR "/examples/") + name +
                                        QStringLiteral(".alg"),
                                    path));
            else
                QVERIFY(writeBytes(path, row.text));

            MainWindow window(m_settings);
            window.setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
            QStringList notices;
            window.setNotifier([&](const QString&, const QString& text) { notices << text; });
            QStringList dialogs;
            window.setDialogRunner([&](QDialog& dialog) {
                dialogs << dialog.objectName();
                return int(QDialog::Rejected); // "Close"
            });
            window.show();
            EquationWindow* document = window.openFile(path);
            QVERIFY2(document, row.command);
            if (row.listFile[0]) {
                const QString list = files.filePath(QString::fromLatin1(row.listFile));
                QVERIFY(QFile::copy(QStringLiteral(VARNEL_SOURCE_DIR "/examples/") +
                                        QString::fromLatin1(row.listFile),
                                    list));
                const int cases = static_cast<int>(readBytes(list).count('\n')) - 1;
                document->document()->setAttachment(list, cases);
            }

            QSignalSpy finished(&window, &MainWindow::runFinished);
            QVERIFY2(window.runCommand(QString::fromLatin1(row.command), document), row.command);
            QVERIFY2(!finished.isEmpty() || finished.wait(60000), row.command);
            const QString output = window.output()->toPlainText();
            QVERIFY2(finished.first().at(2).toBool(),
                     qPrintable(QString::fromLatin1(row.command) + "\n" + output));
            const QString product = files.filePath(name + "." + QString::fromLatin1(row.product));
            QVERIFY2(QFileInfo::exists(product), qPrintable(product));
            QCOMPARE(dialogs.contains(QStringLiteral("FileViewDialog")), row.offered);
            QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
            window.setSavePrompt([](EquationDocument*) { return QMessageBox::Discard; });
        }
    }
};

QTEST_MAIN(CommandTableTest)
#include "CommandTableTest.moc"
