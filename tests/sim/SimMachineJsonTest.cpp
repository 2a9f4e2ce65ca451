#include "SimMachineFixture.h"

#include <QFile>
#include <QTemporaryDir>

using SimMachineJson = SimMachineFixture;

TEST_F(SimMachineJson, RoundTripKeepsRecordOrderAndState)
{
    shell(QStringLiteral("niutil -createprop . /users/bob old_authority \";ShadowHash;\""));
    shell(QStringLiteral("niutil -destroyprop . /users/bob authentication_authority"));
    shell(QStringLiteral("/usr/bin/open /Library/StartupItems/NightfoldStartup/NightfoldWarning.app"));
    machine.setCrontab(QStringLiteral("carol"), QStringLiteral("0\t4\t*\t*\t1\t/usr/bin/some tool\n"));
    machine.setOsVersion(QStringLiteral("10.2"));
    machine.bringToFront(QStringLiteral("alice"));

    QTemporaryDir folder;
    ASSERT_EQ(machine.save(folder.path()), QString());
    SimulatedMachine loaded;
    ASSERT_EQ(loaded.load(folder.path()), QString());

    const MachineState& a = machine.state();
    const MachineState& b = loaded.state();
    ASSERT_EQ(a.accounts.size(), b.accounts.size());
    for (qsizetype i = 0; i < a.accounts.size(); ++i) {
        EXPECT_EQ(a.accounts[i].directoryId, b.accounts[i].directoryId);
        EXPECT_EQ(a.accounts[i].record, b.accounts[i].record);
    }
    EXPECT_EQ(loaded.account(QStringLiteral("bob"))->entries().constLast().first, QStringLiteral("old_authority"));  // appended, stays last
    EXPECT_EQ(a.adminGroup, b.adminGroup);
    EXPECT_EQ(b.frontUser, QStringLiteral("alice"));
    EXPECT_EQ(b.osVersion, QStringLiteral("10.2"));
    EXPECT_EQ(b.cgsessionPresent, false);
    ASSERT_EQ(b.logins.size(), 2);
    EXPECT_EQ(b.logins[1].frontApplication, QStringLiteral("Safari"));
    EXPECT_EQ(b.logins[1].since, a.logins[1].since);
    EXPECT_EQ(b.crontabs, a.crontabs);
    EXPECT_EQ(b.processes.size(), a.processes.size());
    EXPECT_EQ(b.nextPid, a.nextPid);
    EXPECT_EQ(loaded.eventTexts(), machine.eventTexts());
    EXPECT_EQ(b.events.constLast().at, a.events.constLast().at);
    EXPECT_EQ(b.openedApplications.constFirst().user, QStringLiteral("bob"));

    // Hand-editable: records are arrays of [key, value] pairs, in record order.
    QFile file(folder.filePath(QStringLiteral("machine.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray json = file.readAll();
    EXPECT_LT(json.indexOf("\"authentication_authority\""), json.indexOf("\"picture\""));
}

TEST_F(SimMachineJson, MalformedFilesAreErrorsAndLeaveTheMachineAlone)
{
    const QByteArray valid = R"({"format": "nightfold-sim machine 1", "accounts": [{"id": 20, "record": [["name", "eve"], ["shell", "/bin/sh"]]}]})";
    const QList<QPair<const char*, QByteArray>> files = {
        {"not JSON", "{\"format\": "},
        {"not an object", "[1, 2]"},
        {"no format", R"({"accounts": []})"},
        {"no accounts", R"({"format": "nightfold-sim machine 1"})"},
        {"record not pairs", R"({"format": "nightfold-sim machine 1", "accounts": [{"id": 1, "record": {"name": "eve"}}]})"},
        {"pair of three", R"({"format": "nightfold-sim machine 1", "accounts": [{"id": 1, "record": [["name", "eve", "x"]]}]})"},
        {"number as value", R"({"format": "nightfold-sim machine 1", "accounts": [{"id": 1, "record": [["name", 7]]}]})"},
        {"id not whole", R"({"format": "nightfold-sim machine 1", "accounts": [{"id": 1.5, "record": [["name", "eve"]]}]})"},
        {"unknown power", R"({"format": "nightfold-sim machine 1", "accounts": [], "power": "dozing"})"},
        {"unknown version", R"({"format": "nightfold-sim machine 1", "accounts": [], "osVersion": "10.9"})"},
        {"front user without login", R"({"format": "nightfold-sim machine 1", "accounts": [], "front": "user", "frontUser": "eve"})"},
        {"login of no account", R"({"format": "nightfold-sim machine 1", "accounts": [], "logins": [{"user": "eve", "loginwindowPid": 5}]})"},
        {"bad time", R"({"format": "nightfold-sim machine 1", "accounts": [], "events": [{"at": "2026-02-30 10:00:00", "text": "x"}]})"},
        {"root crontab", R"({"format": "nightfold-sim machine 1", "accounts": [], "crontabs": {"root": "x"}})"},
    };
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("machine.json"));
    EXPECT_TRUE(machine.load(folder.path()).contains(QStringLiteral("cannot read")));
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const QString error = machine.load(folder.path());
        EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
        EXPECT_TRUE(machine.isLoggedIn(QStringLiteral("bob")));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(valid);
    file.close();
    EXPECT_EQ(machine.load(folder.path()), QString());
    EXPECT_EQ(shell(QStringLiteral("niutil -list . /users")), QStringLiteral("20      eve\n"));
}
