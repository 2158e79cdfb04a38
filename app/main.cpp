// Entry point of the desktop program varnel.
#include "Application.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Varnel"));
    QApplication::setApplicationName(QStringLiteral("Varnel"));
    QApplication::setApplicationVersion(QStringLiteral(VARNEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("varnel"));
    // Numbers in files and messages always use the point as decimal separator.
    std::setlocale(LC_NUMERIC, "C");

    varnel::Application program;
    if (!program.start(QApplication::arguments().mid(1)))
        return 1;
    QObject::connect(&app, &QApplication::aboutToQuit, [&program] { program.shutDown(); });
    return app.exec();
}
