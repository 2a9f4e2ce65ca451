#include "MainWin.h"

#include "NotYetBuilt.h"

#include <QPointer>

namespace {
QPointer<MainWin> g_instance;
}

MainWin::MainWin() { setAttribute(Qt::WA_DeleteOnClose); }

MainWin* MainWin::instance()
{
    if (!g_instance)
        g_instance = new MainWin();
    return g_instance;
}

MainWin* MainWin::existing() { return g_instance; }

void MainWin::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

void MainWin::DisplayUser() { notYetBuilt("MainWin.DisplayUser"); }
void MainWin::EnableMenuItems(QMenuBar*) {}
void MainWin::ToggleUserDrawer() { notYetBuilt("MainWin.ToggleUserDrawer"); }
