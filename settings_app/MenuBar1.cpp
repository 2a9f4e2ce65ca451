#include "MenuBar1.h"

#include "MainWin.h"
#include "SettingsApp.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <functional>

namespace {
// The application-menu kinds the platform moves to its application menu; the
// About item goes to its About place.
enum class Kind { Ordinary, Separator, ApplicationMenu, ApplicationMenuAbout, ApplicationMenuSeparator, Preferences, Quit };

struct ItemDefinition {
    const char* name;  // nullptr for separators
    const char* text;
    int key;  // with Ctrl; 0 for none
    Kind kind;
};

struct MenuDefinition {
    const char* name;
    const char* text;
    QList<ItemDefinition> items;
};

const QString kBarName = QStringLiteral("MenuBar1");
const QString kApplicationMenuName = QStringLiteral("ApplicationMenu");

// Every menu and item in the order of definition.
const QList<MenuDefinition>& definitions()
{
    static const QList<MenuDefinition> menus = {
        {"User", "User",
         {{"UserShowSettings", "Show Settings", Qt::Key_1, Kind::Ordinary},
          {nullptr, "-", 0, Kind::Separator},
          {"UserClearTodaySchedule", "Remove custom settings for today", 0, Kind::Ordinary},
          {nullptr, "-", 0, Kind::Separator},
          {"UserShowUsers", "Show Users", Qt::Key_U, Kind::Ordinary}}},
        {"EditMenu", "&Edit",
         {{"EditUndo", "Undo", Qt::Key_Z, Kind::Ordinary},
          {nullptr, "-", 0, Kind::Separator},
          {"EditCut", "Cut", Qt::Key_X, Kind::Ordinary},
          {"EditCopy", "Copy", Qt::Key_C, Kind::Ordinary},
          {"EditPaste", "Paste", Qt::Key_V, Kind::Ordinary},
          {"EditClear", "Clear", 0, Kind::Ordinary},
          {"EditSelectAll", "Select All", Qt::Key_A, Kind::Ordinary},
          {"EditPreferences", "Preferences...", Qt::Key_Comma, Kind::Preferences}}},
        {"GoMenu", "Go",
         {{"GoQuillmarshWebsite", "Quillmarsh Web site", 0, Kind::Ordinary},
          {"GoContactTechnicalSupport", "Contact Technical Support", 0, Kind::Ordinary},
          {"FileQuit", "Quit", Qt::Key_Q, Kind::Quit}}},
        {"HelpMenu", "Help",
         {{"HelpNightfoldHelp", "Nightfold Help", 0, Kind::Ordinary},
          {"HelpContactTechnicalSupport", "Contact Technical Support", 0, Kind::Ordinary},
          {nullptr, "-", 0, Kind::Separator},
          {"AppleAboutNightfold", "About Nightfold", 0, Kind::ApplicationMenuAbout},
          {nullptr, "-", 0, Kind::ApplicationMenuSeparator},
          {"AppleEnableNightfold", "Turn Off Nightfold...", 0, Kind::ApplicationMenu}}},
    };
    return menus;
}

QAction::MenuRole roleOf(Kind kind)
{
    switch (kind) {
    case Kind::ApplicationMenuAbout:
        return QAction::AboutRole;
    case Kind::ApplicationMenu:
    case Kind::ApplicationMenuSeparator:
        return QAction::ApplicationSpecificRole;
    case Kind::Preferences:
        return QAction::PreferencesRole;
    case Kind::Quit:
        return QAction::QuitRole;
    case Kind::Ordinary:
    case Kind::Separator:
        break;
    }
    // No guessing from the text: only the items above move.
    return QAction::NoRole;
}

QAction* addItem(QMenu* menu, const ItemDefinition& definition)
{
    const bool separator = definition.kind == Kind::Separator || definition.kind == Kind::ApplicationMenuSeparator;
    QAction* action = separator ? menu->addSeparator() : menu->addAction(QString::fromLatin1(definition.text));
    if (definition.name)
        action->setObjectName(QLatin1String(definition.name));
    if (definition.key != 0)
        action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(definition.key)));
    action->setMenuRole(roleOf(definition.kind));
    return action;
}

// The application's handlers, bound by item name.
void bindHandlers(QMenuBar* bar)
{
    const QList<QPair<const char*, bool (SettingsApp::*)()>> handlers = {
        {"EditPreferences", &SettingsApp::EditPreferences_Action},
        {"AppleEnableNightfold", &SettingsApp::AppleEnableNightfold_Action},
        {"AppleAboutNightfold", &SettingsApp::AppleAboutNightfold_Action},
        {"UserShowSettings", &SettingsApp::UserShowSettings_Action},
        {"GoQuillmarshWebsite", &SettingsApp::GoQuillmarshWebsite_Action},
        {"HelpNightfoldHelp", &SettingsApp::HelpNightfoldHelp_Action},
        {"GoContactTechnicalSupport", &SettingsApp::GoContactTechnicalSupport_Action},
    };
    for (const auto& [name, handler] : handlers) {
        QObject::connect(MenuBar1::item(bar, QLatin1String(name)), &QAction::triggered, bar, [handler] {
            if (SettingsApp* app = SettingsApp::current())
                (app->*handler)();
        });
    }
    QObject::connect(MenuBar1::item(bar, QStringLiteral("FileQuit")), &QAction::triggered, bar, [] { QCoreApplication::quit(); });
}

// The focused text field, the platform's target of the Edit commands.
QLineEdit* focusedTextField()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* field = qobject_cast<QLineEdit*>(focus))
        return field;
    if (auto* spinBox = qobject_cast<QAbstractSpinBox*>(focus))
        return spinBox->findChild<QLineEdit*>();
    return nullptr;
}

void bindEditCommands(QMenuBar* bar)
{
    const QList<QPair<const char*, std::function<void(QLineEdit*)>>> commands = {
        {"EditUndo", [](QLineEdit* field) { field->undo(); }},
        {"EditCut", [](QLineEdit* field) { field->cut(); }},
        {"EditCopy", [](QLineEdit* field) { field->copy(); }},
        {"EditPaste", [](QLineEdit* field) { field->paste(); }},
        {"EditClear", [](QLineEdit* field) { field->del(); }},
        {"EditSelectAll", [](QLineEdit* field) { field->selectAll(); }},
    };
    for (const auto& [name, command] : commands) {
        QObject::connect(MenuBar1::item(bar, QLatin1String(name)), &QAction::triggered, bar, [command] {
            if (QLineEdit* field = focusedTextField())
                command(field);
        });
    }
}

bool belongsInApplicationMenu(Kind kind)
{
    return kind == Kind::ApplicationMenu || kind == Kind::ApplicationMenuAbout || kind == Kind::ApplicationMenuSeparator
        || kind == Kind::Preferences || kind == Kind::Quit;
}

// What a platform with an application menu does: its items leave the menu
// that defines them for the application menu, in the order of definition,
// with the Preferences and Quit places after them. Without a global menu bar
// this bar gets that menu first, so they stay in reach while the Help menu
// that defines About and Turn On/Off is hidden.
void placeApplicationItems(QMenuBar* bar, const QList<QPair<QMenu*, QAction*>>& placed)
{
    if (bar->isNativeMenuBar())
        return;
    auto* applicationMenu = new QMenu(QStringLiteral("Nightfold"), bar);
    applicationMenu->setObjectName(kApplicationMenuName);
    bar->insertMenu(bar->actions().value(0), applicationMenu);
    QList<QAction*> places;
    for (const auto& [definedIn, action] : placed) {
        definedIn->removeAction(action);
        if (action->menuRole() == QAction::PreferencesRole || action->menuRole() == QAction::QuitRole)
            places.append(action);
        else
            applicationMenu->addAction(action);
    }
    for (QAction* place : places) {
        applicationMenu->addSeparator()->setMenuRole(QAction::NoRole);
        applicationMenu->addAction(place);
    }
    QObject::connect(applicationMenu, &QMenu::aboutToShow, bar, [bar] { MenuBar1::update(bar); });
}

// Refreshes the active window's bar before its shortcuts are looked up, so a
// shortcut follows the same rules as its menu.
class ShortcutRefresher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()) {
            QWidget* window = static_cast<QWidget*>(watched)->window();
            if (auto* bar = window->findChild<QMenuBar*>(kBarName, Qt::FindDirectChildrenOnly))
                MenuBar1::update(bar);
        }
        return false;
    }
};

void installShortcutRefresher()
{
    static ShortcutRefresher* refresher = nullptr;
    if (refresher || !qApp)
        return;
    refresher = new ShortcutRefresher;
    refresher->setParent(qApp);
    qApp->installEventFilter(refresher);
}
}  // namespace

namespace MenuBar1 {
QMenuBar* build(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    bar->setObjectName(kBarName);
    QList<QPair<QMenu*, QAction*>> applicationItems;
    for (const MenuDefinition& definition : definitions()) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(definition.text));
        menu->setObjectName(QLatin1String(definition.name));
        for (const ItemDefinition& item : definition.items) {
            QAction* action = addItem(menu, item);
            if (belongsInApplicationMenu(item.kind))
                applicationItems.append({menu, action});
        }
        QObject::connect(menu, &QMenu::aboutToShow, bar, [bar] { update(bar); });
    }
    placeApplicationItems(bar, applicationItems);
    SettingsApp* app = SettingsApp::current();
    menu(bar, QStringLiteral("HelpMenu"))->menuAction()->setVisible(!app || app->helpMenuVisible());
    bindHandlers(bar);
    bindEditCommands(bar);
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window))
        mainWindow->setMenuBar(bar);
    installShortcutRefresher();
    update(bar);
    return bar;
}

QAction* item(QMenuBar* bar, const QString& name)
{
    return bar ? bar->findChild<QAction*>(name) : nullptr;
}

QMenu* menu(QMenuBar* bar, const QString& name)
{
    return bar ? bar->findChild<QMenu*>(name) : nullptr;
}

void update(QMenuBar* bar)
{
    if (!bar)
        return;
    // Items only a window enables, and the one without a handler.
    for (const char* name : {"UserClearTodaySchedule", "UserShowUsers", "HelpContactTechnicalSupport"})
        item(bar, QLatin1String(name))->setEnabled(false);
    const bool editing = focusedTextField() != nullptr;
    for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"})
        item(bar, QLatin1String(name))->setEnabled(editing);
    if (SettingsApp* app = SettingsApp::current())
        app->EnableMenuItems(bar);
    if (auto* mainWindow = qobject_cast<MainWin*>(bar->window()))
        mainWindow->EnableMenuItems(bar);
}

QList<QMenuBar*> all()
{
    QList<QMenuBar*> bars;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* bar = window->findChild<QMenuBar*>(kBarName, Qt::FindDirectChildrenOnly))
            bars.append(bar);
    }
    return bars;
}
}  // namespace MenuBar1
