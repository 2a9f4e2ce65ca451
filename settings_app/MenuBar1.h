#pragma once

#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The application's menu bar. This platform has no global menu bar, so each
// window gets its own copy, built in the order of definition; items are found
// by their names (QAction objectName), menus likewise.
namespace MenuBar1 {
// Builds the bar for window, binds the application's handlers, and asks the
// application (and the window, through its EnableMenuItems) to update the
// items before each menu shows.
QMenuBar* build(QWidget* window);
QAction* item(QMenuBar* bar, const QString& name);
QMenu* menu(QMenuBar* bar, const QString& name);
}  // namespace MenuBar1
