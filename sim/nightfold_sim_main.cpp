#include "SimCommandLine.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    SimCommandLine commandLine(out, err, QCoreApplication::applicationDirPath() + QStringLiteral("/NightfoldStartup"));
    return commandLine.run(app.arguments().mid(1));
}
