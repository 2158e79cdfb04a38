// Tests of equation documents on disk: every symbol byte survives open-edit-save, CR LF files
// stay CR LF, the settings file is written and read as laid out (short files reported), the
// run's temporaries are removed on open and close (never the equation file itself), and a
// failed save leaves the file intact.
#include "GuiTestSupport.h"

#include "AppSettings.h"
#include "EquationDocument.h"
#include "EquationEditor.h"

#include <QTest>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace varnel;
using varnel::testing::readBytes;
using varnel::testing::writeBytes;

class DocumentTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    AppSettings m_settings;

    QString file(const QString& name) const { return m_files.filePath(name); }

private slots:
    void initTestCase() { varnel::testing::isolateProfile(m_profile); }

    void everySymbolByteSurvivesAnEdit()
    {
        QByteArray original = "{ every byte }\nx = 1;\n";
        for (int b = 0x00; b <= 0xFF; ++b) {
            original.append(static_cast<char>(b));
            if (b % 16 == 15)
                original.append('\n');
        }
        original.append("y = 2;");
        const QString path = file("bytes.alg");
        QVERIFY(writeBytes(path, original));

        EquationDocument document("bytes.alg", m_settings);
        QVERIFY(document.open(path).ok);
        EquationEditor editor(&document, m_settings, nullptr);
        QTextCursor end(document.text());
        end.movePosition(QTextCursor::End);
        editor.setTextCursor(end);
        QTest::keyClicks(&editor, " z");
        QVERIFY(document.isModified());
        QVERIFY(document.save(path).ok);
        QCOMPARE(readBytes(path), original + " z");
        QVERIFY(!document.isModified());
    }

    void crlfLinesStayCrlf()
    {
        const QString path = file("dos.alg");
        QVERIFY(writeBytes(path, "a = 1;\r\nb = 2;\r\n"));
        EquationDocument document("dos.alg", m_settings);
        QVERIFY(document.open(path).ok);
        QCOMPARE(document.text()->toPlainText(), QString("a = 1;\nb = 2;\n"));
        QTextCursor end(document.text());
        end.movePosition(QTextCursor::End);
        end.insertText("c = 3;\n");
        QVERIFY(document.save(path).ok);
        QCOMPARE(readBytes(path), QByteArray("a = 1;\r\nb = 2;\r\nc = 3;\r\n"));

        // A lone CR is a character of the text and is written back as it was.
        QVERIFY(writeBytes(path, "a\rb\nc\r\n"));
        EquationDocument mixed("dos.alg", m_settings);
        QVERIFY(mixed.open(path).ok);
        QVERIFY(mixed.save(path).ok);
        QCOMPARE(readBytes(path), QByteArray("a\rb\nc\r\n"));
    }

    void settingsFileIsWrittenBesideTheStem()
    {
        const QString path = file("pump.v2.alg");
        EquationDocument document("x", m_settings);
        document.text()->setPlainText("p = 1;");
        document.options().method = 3;
        document.options().toleranceExponent = -9;
        const DocumentReport report = document.save(path);
        QVERIFY(report.ok);
        QVERIFY(report.notices.isEmpty());
        const QByteArray sqp = readBytes(file("pump.SQP"));
        QCOMPARE(sqp.size(), 72);
        QCOMPARE(sqp.left(4), QByteArray("\x00\x00\x02\x00", 4));
        QCOMPARE(sqp.at(4), '\x03');

        EquationDocument again("y", m_settings);
        QVERIFY(again.open(path).ok);
        QCOMPARE(again.options().method, 3);
        QCOMPARE(again.options().toleranceExponent, -9);
    }

    void shortSettingsFileIsReported()
    {
        const QString path = file("short.alg");
        QVERIFY(writeBytes(path, "x = 1;"));
        // Format word, method 2, Jacobian 1, homotopy 1, simplification 0, groups 0.
        QVERIFY(writeBytes(file("short.SQP"),
                           QByteArray("\x00\x00\x02\x00\x02\x00\x00\x00\x01\x00\x00\x00"
                                      "\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00",
                                      24)));
        EquationDocument document("short.alg", m_settings);
        const DocumentReport report = document.open(path);
        QVERIFY(report.ok);
        QCOMPARE(report.notices, QStringList{"Incorect File Format"});
        const SolverOptions& o = document.options();
        QCOMPARE(o.method, 2);
        QCOMPARE(o.jacobianMethod, 1);
        QCOMPARE(o.autoHomotopy, 1);
        QCOMPARE(o.autoSimplify, 0);
        QCOMPARE(o.solveInGroups, 0);
        QCOMPARE(o.deltaJ, 0.001);
        QCOMPARE(o.maxIterations, 10);
        QCOMPARE(o.repetitions, 50);
    }

    void displayFlagsComeFromTheProgramSettings()
    {
        AppSettings settings;
        settings.resultsInf = 0;
        settings.iterInf = 1;
        EquationDocument document("Untitled", settings);
        QCOMPARE(document.options().showResults, std::uint8_t(0));
        QCOMPARE(document.options().showIterations, std::uint8_t(1));
        QCOMPARE(document.options().showDerivatives, std::uint8_t(0));
    }

    void temporariesGoOnOpenAndOnClose()
    {
        const QString path = file("heat.alg");
        QVERIFY(writeBytes(path, "q = 1;"));
        const QStringList temporaries = {"heat.SJC", "heat.TMP", "heat.KTK", "heat.JAC"};
        for (const QString& name : temporaries)
            QVERIFY(writeBytes(file(name), "stale"));
        QVERIFY(writeBytes(file("heat.PRN"), "results"));
        {
            EquationDocument document("heat.alg", m_settings);
            QVERIFY(document.open(path).ok);
            for (const QString& name : temporaries)
                QVERIFY2(!QFile::exists(file(name)), qPrintable(name));
            // A run leaves new ones; closing the document removes them again.
            for (const QString& name : temporaries)
                QVERIFY(writeBytes(file(name), "new"));
        }
        for (const QString& name : temporaries)
            QVERIFY2(!QFile::exists(file(name)), qPrintable(name));
        QVERIFY(QFile::exists(file("heat.PRN")));
        QVERIFY(QFile::exists(path));
    }

    void equationFileNamedLikeACompanionIsKept()
    {
        // A symbolic Jacobian opened for editing, or any equation file with such a name, is
        // the document's own text: never deleted as a temporary, never written as settings.
        for (const char* extension : {"SJC", "TMP", "KTK", "JAC", "SQP"}) {
            const QString path = file(QStringLiteral("own.%1").arg(extension));
            QVERIFY(writeBytes(path, "a = 1;"));
            {
                EquationDocument document("own", m_settings);
                const DocumentReport opened = document.open(path);
                QVERIFY(opened.ok);
                QVERIFY2(opened.notices.isEmpty(), extension);
                QVERIFY2(QFile::exists(path), extension);
                QTextCursor end(document.text());
                end.movePosition(QTextCursor::End);
                end.insertText(" b = 2;");
                QVERIFY(document.save(path).ok);
            }
            QCOMPARE(readBytes(path), QByteArray("a = 1; b = 2;"));
        }
    }

    void characterWithoutByteLeavesTheFileAlone()
    {
        const QString path = file("keep.alg");
        QVERIFY(writeBytes(path, "old = 1;"));
        EquationDocument document("keep.alg", m_settings);
        QVERIFY(document.open(path).ok);
        document.text()->setPlainText(QString::fromUtf8("new = 1;\nv = \u6c34;"));
        const DocumentReport report = document.save(path);
        QVERIFY(!report.ok);
        QVERIFY2(report.error.contains("line 2, column 5"), qPrintable(report.error));
        QCOMPARE(readBytes(path), QByteArray("old = 1;"));
        QVERIFY(document.isModified());
    }

    void failedWriteLeavesThePreviousFileIntact()
    {
        const QString path = file("full.alg");
        const QByteArray previous = "previous = 1;";
        QVERIFY(writeBytes(path, previous));
        EquationDocument document("full.alg", m_settings);
        QVERIFY(document.open(path).ok);
        document.text()->setPlainText(QString(20000, QLatin1Char('x')));

        // A file-size limit makes the write fail the way a full disk does.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const DocumentReport report = document.save(path);
        setrlimit(RLIMIT_FSIZE, &saved);

        QVERIFY(!report.ok);
        QCOMPARE(readBytes(path), previous);
        QVERIFY(document.isModified());
        const QStringList left = QDir(m_files.path()).entryList({"full.alg*"}, QDir::Files);
        QCOMPARE(left, QStringList{"full.alg"});
    }

    void unreadableFileIsNotOpened()
    {
        EquationDocument document("none.alg", m_settings);
        const DocumentReport report = document.open(file("does-not-exist.alg"));
        QVERIFY(!report.ok);
        QVERIFY(report.error.contains("does-not-exist.alg"));
        QVERIFY(!document.open(m_files.path()).ok); // a folder
        // A pipe would block the program until something writes to it; a device may never end.
        const QString fifo = file("pipe.alg");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& special : {fifo, QStringLiteral("/dev/zero")}) {
            const DocumentReport refused = document.open(special);
            QVERIFY(!refused.ok);
            QVERIFY2(refused.error.contains("not a regular file"), qPrintable(refused.error));
        }
    }
};

QTEST_MAIN(DocumentTest)
#include "DocumentTest.moc"
