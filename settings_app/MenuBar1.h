#pragma once

#include <QList>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The application's menu bar. This platform has no global menu bar, so each
// window gets its own copy, built in the order of definition; items are found
// by their names (QAction objectName), menus likewise. The application-menu,
// Preferences and Quit items sit where a platform with an application menu
// puts them: in the bar's leading menu "Nightfold" (name "ApplicationMenu").
namespace MenuBar1 {
// Builds the bar for window, binds the application's handlers, and asks the
// application (and the window, through its EnableMenuItems) to update the
// items before each menu shows.
QMenuBar* build(QWidget* window);
QAction* item(QMenuBar* bar, const QString& name);
QMenu* menu(QMenuBar* bar, const QString& name);

// Brings the bar's items up to date now: what no one enables is off, then
// the application's rules, then the window's own. Runs before a menu shows
// and before a shortcut of the bar is looked up.
void update(QMenuBar* bar);
// The bars of every window there is.
QList<QMenuBar*> all();
}  // namespace MenuBar1
