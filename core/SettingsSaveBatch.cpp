#include "SettingsSaveBatch.h"

#include "Methods.h"

namespace {
int g_openBatches = 0;
bool g_savePending = false;
}  // namespace

SettingsSaveBatch::SettingsSaveBatch() { ++g_openBatches; }

SettingsSaveBatch::~SettingsSaveBatch()
{
    if (--g_openBatches > 0 || !g_savePending)
        return;
    g_savePending = false;
    Methods::SaveSettings(true);
}

void SettingsSaveBatch::saveSettingsDirect()
{
    if (g_openBatches > 0)
        g_savePending = true;
    else
        Methods::SaveSettings(true);
}
