#include "PrefsWin.h"

#include <QPointer>

namespace {
QPointer<PrefsWin> g_instance;
}

PrefsWin::PrefsWin() { setAttribute(Qt::WA_DeleteOnClose); }

PrefsWin* PrefsWin::instance()
{
    if (!g_instance)
        g_instance = new PrefsWin();
    return g_instance;
}

PrefsWin* PrefsWin::existing() { return g_instance; }
