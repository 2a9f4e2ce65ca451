#pragma once

#include <QApplication>
#include <functional>

// The process's Qt application: an error that escapes an event handler is
// the application object's last resort, and the event loop goes on.
class NightfoldApplication : public QApplication {
    Q_OBJECT

public:
    NightfoldApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs one delivery; an error escaping it goes to SettingsApp's
    // UnhandledException (or the framework's last resort before there is
    // one) and counts as not handled.
    static bool deliverGuarded(const std::function<bool()>& deliver);
};
