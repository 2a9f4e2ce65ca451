#include "SimCommandLine.h"
#ifdef NIGHTFOLD_SIM_GUI
#include "SimGui.h"
#endif

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
#ifdef NIGHTFOLD_SIM_GUI
    // gui and pictures make a widget application of their own; the rest need no screen.
    if (SimGui::handles(argc, argv))
        return SimGui::run(argc, argv);
#endif
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    SimCommandLine commandLine(out, err, QCoreApplication::applicationDirPath() + QStringLiteral("/NightfoldStartup"));
    return commandLine.run(app.arguments().mid(1));
}
