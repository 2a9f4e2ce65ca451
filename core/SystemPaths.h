#pragma once

#include <QString>

// The system's fixed places. Code names them by their system path
// ("/etc/nightfold.conf"); resolve() maps that below the root folder, which is
// "/" for the real programs and a machine folder in tests and the simulator.
namespace SystemPaths {
inline const QString settingsFile = QStringLiteral("/etc/nightfold.conf");
inline const QString agentLogFile = QStringLiteral("/var/log/nightfold.log");
inline const QString applicationSupportFolder = QStringLiteral("/Library/Application Support");
inline const QString nightfoldSupportFolder = QStringLiteral("/Library/Application Support/Nightfold");
inline const QString userPicturesFolder = QStringLiteral("/Library/Application Support/Nightfold/User Pictures");
inline const QString startupItemsFolder = QStringLiteral("/Library/StartupItems");
inline const QString installedFolder = QStringLiteral("/Library/StartupItems/NightfoldStartup");
inline const QString installedAgent = QStringLiteral("/Library/StartupItems/NightfoldStartup/NightfoldAgent");
inline const QString warningApplication = QStringLiteral("/Library/StartupItems/NightfoldStartup/NightfoldWarning.app");
inline const QString cronTabsFolder = QStringLiteral("/var/cron/tabs");

void setRoot(const QString& rootFolder);
QString root();
// The real file for a system path.
QString resolve(const QString& systemPath);
// The system path of a real file below the root (the inverse of resolve).
QString toSystemPath(const QString& realPath);

// The folder holding the running program, as a system path (the agent finds
// "Images" and "DozeOff" there).
void setProgramFolder(const QString& systemPath);
QString programFolder();

// Where private temporary files go (a system path).
void setTemporaryFolder(const QString& systemPath);
QString temporaryFolder();
}  // namespace SystemPaths
