#pragma once

#include "AuthenticateButton.h"
#include "CoreFixture.h"
#include "Methods.h"
#include "SettingsMethods.h"
#include "SimulatedMachine.h"
#include "SystemPaths.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

// The settings application on a simulated machine below the test's root:
// alice (an administrator) and bob, the application in /Applications/Nightfold
// with its fresh agent beside it, every agent run counted.
class AppMachineFixture : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        ASSERT_TRUE(machine.prepareFolders());
        machine.addAccount(QStringLiteral("alice"), QStringLiteral("Alice Admin"));
        machine.addAccount(QStringLiteral("bob"), QStringLiteral("Bob Smith"));
        machine.addAdmin(QStringLiteral("alice"));
        machine.install();
        machine.setAgentPass([this] { ++agentRuns; });
        Methods::setProgram(Methods::Program::SettingsApplication);
        applicationFolder = SystemPaths::resolve(QStringLiteral("/Applications/Nightfold"));
        writeFile(freshAgent(), "fresh agent");
        Methods::setApplicationFolder(applicationFolder);
        AuthenticateButton::setTickWait([] {});
    }

    void TearDown() override
    {
        closeAllWindows();
        AuthenticateButton::setTickWait(nullptr);
        Methods::setApplicationFolder(QString());
        machine.uninstall();
        CoreFixture::TearDown();
    }

    static void closeAllWindows()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible())
                window->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void writeFile(const QString& realPath, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(realPath).absolutePath());
        QFile file(realPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    static void setModified(const QString& realPath, const QDateTime& when)
    {
        QFile file(realPath);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }

    QString freshAgent() const { return applicationFolder + QStringLiteral("/NightfoldStartup/NightfoldAgent"); }
    QString installedAgent() const { return SystemPaths::resolve(SystemPaths::installedAgent); }

    enum class Agent { Missing, Outdated, Current };
    // Puts the agent's folder in place as an earlier install left it.
    void prepareAgent(Agent state)
    {
        if (state == Agent::Missing)
            return;
        writeFile(installedAgent(), "installed agent");
        const QDateTime fresh = QFileInfo(freshAgent()).lastModified();
        setModified(installedAgent(), state == Agent::Outdated ? fresh.addSecs(-3600) : fresh);
    }

    SimulatedMachine machine;
    int agentRuns = 0;
    QString applicationFolder;
};
