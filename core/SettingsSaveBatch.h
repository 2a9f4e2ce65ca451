#pragma once

// While a batch is open, the agent's saves of the settings file are gathered
// and made once when it closes: the first pass of a day resets every user,
// and one whole-file save per user would make that pass quadratic.
class SettingsSaveBatch {
public:
    SettingsSaveBatch();
    ~SettingsSaveBatch();
    SettingsSaveBatch(const SettingsSaveBatch&) = delete;
    SettingsSaveBatch& operator=(const SettingsSaveBatch&) = delete;

    // Methods::SaveSettings(true) now, or once when the open batch closes.
    static void saveSettingsDirect();
};
