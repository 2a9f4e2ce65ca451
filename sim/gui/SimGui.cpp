#include "SimGui.h"

#include "AppPictures.h"
#include "MainWin.h"
#include "Methods.h"
#include "SimGuiMachine.h"
#include "UserClass.h"
#include "WindowPictures.h"

#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kUsageStatus = 2;
const char* const kGui = "gui";
const char* const kPictures = "pictures";

int usageError(const QString& message)
{
    QTextStream(stderr) << "nightfold-sim: " << message << Qt::endl;
    return kUsageStatus;
}

// Ctrl-C in the terminal quits the application the ordinary way, so the
// machine is saved as at any other quit.
int g_interruptSockets[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    if (::write(g_interruptSockets[0], &byte, 1) < 0)
        return;
}

void quitOnInterrupt(QApplication& application)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_interruptSockets) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_interruptSockets[1], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] { QCoreApplication::quit(); });
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Until the application object (SettingsApp) lands, its start as far as it is
// built: read the settings and show the main window. SettingsApp takes over
// here (and replaces the QApplication in run()).
void startSettingsApplication()
{
    Methods::setProgram(Methods::Program::SettingsApplication);
    UserClass::setApplicationPicture([] { return AppPictures::UsersPref(); });
    Methods::ReadPrefs();
    MainWin::instance()->showAndRaise();
}

int gui(QApplication& application, const QString& dir)
{
    const QString folder = QFileInfo(dir).absoluteFilePath();
    if (!QFileInfo::exists(folder + QStringLiteral("/machine.json")))
        return usageError(QStringLiteral("no machine in %1 (make one with: nightfold-sim init %1)").arg(folder));
    SimGuiMachine machine(folder, QCoreApplication::applicationFilePath());
    const QString openError = machine.open();
    if (!openError.isEmpty())
        return usageError(openError);

    QTextStream out(stdout);
    out << "The settings application runs against the machine in " << folder << ".\n"
        << "Each run of the agent prints its pass here. Quit the application (or press Ctrl-C) to save the machine;\n"
        << "then try: nightfold-sim pass " << folder << " --at \"YYYY-MM-DD HH:MM\"" << Qt::endl;
    quitOnInterrupt(application);
    startSettingsApplication();
    const int status = application.exec();
    const QString saveError = machine.close();
    if (!saveError.isEmpty()) {
        QTextStream(stderr) << "nightfold-sim: " << saveError << Qt::endl;
        return 1;
    }
    return status;
}
}  // namespace

namespace SimGui {
bool handles(int argc, char** argv)
{
    return argc > 1 && (qstrcmp(argv[1], kGui) == 0 || qstrcmp(argv[1], kPictures) == 0);
}

int run(int argc, char** argv)
{
    const bool pictures = qstrcmp(argv[1], kPictures) == 0;
    // Pictures never need a screen; the platform is chosen before the application exists.
    if (pictures)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    if (arguments.size() != 1)
        return usageError(pictures ? QStringLiteral("usage: pictures FOLDER") : QStringLiteral("usage: gui DIR"));
    if (pictures)
        return WindowPictures::render(arguments.first(),
                                      QCoreApplication::applicationDirPath() + QStringLiteral("/NightfoldStartup"));
    return gui(application, arguments.first());
}
}  // namespace SimGui
