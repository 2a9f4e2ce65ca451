#include "UserPicker.h"

#include "NotYetBuilt.h"

#include <QPointer>

namespace {
QPointer<UserPicker> g_instance;
}

UserPicker::UserPicker() { setAttribute(Qt::WA_DeleteOnClose); }

UserPicker* UserPicker::instance()
{
    if (!g_instance)
        g_instance = new UserPicker();
    return g_instance;
}

UserPicker* UserPicker::existing() { return g_instance; }

void UserPicker::openBesideMainWindow() { notYetBuilt("userpicker.open"); }
void UserPicker::Kill() { notYetBuilt("userpicker.kill"); }
