// The real privileged runner, never privileged here: the root helper runs as
// this test's own process would, and only harmless tools are ever run.
#include "AuthorizationHelperPolicy.h"
#include "AuthorizationHelperProtocol.h"
#include "SystemAuthorizationServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {
using AuthorizationHelperProtocol::Status;
using Words = std::vector<std::string>;

const QString kHelper = QStringLiteral(NIGHTFOLD_STARTUP_DIR "/../nightfold-authorization-helper");

// Reads from a string as the helper reads its input.
AuthorizationHelperProtocol::ReadExactly reader(const std::string& bytes)
{
    auto at = std::make_shared<std::size_t>(0);
    return [bytes, at](char* buffer, std::size_t count) {
        if (bytes.size() - *at < count)
            return false;
        bytes.copy(buffer, count, *at);
        *at += count;
        return true;
    };
}

TEST(AuthorizationHelperProtocolTest, RequestsAndResponsesRoundTripAndNonsenseIsRejected)
{
    const Words words{"/bin/cp", "-Rf", "/Applications/Nightfold app/NightfoldStartup", ""};
    EXPECT_EQ(AuthorizationHelperProtocol::readRequest(reader(AuthorizationHelperProtocol::encodeRequest(words))), words);
    const auto response =
        AuthorizationHelperProtocol::readResponse(reader(AuthorizationHelperProtocol::encodeResponse(Status::Executed, "out\n")));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, Status::Executed);
    EXPECT_EQ(response->payload, "out\n");

    const std::string valid = AuthorizationHelperProtocol::encodeRequest({"/bin/echo", "Yeehaw!"});
    const std::string rejected[] = {
        std::string(),                                                                   // end of input
        valid.substr(0, valid.size() - 1),                                               // cut short
        AuthorizationHelperProtocol::encodeRequest({}),                                  // no tool
        AuthorizationHelperProtocol::encodeRequest(Words(65, "x")),                      // too many words
        AuthorizationHelperProtocol::encodeRequest({"/bin/echo", std::string(4097, 'x')}),  // a word too long
        AuthorizationHelperProtocol::encodeRequest({"/bin/echo", std::string("Yee\0haw!", 8)}),  // a NUL inside
    };
    for (const std::string& bytes : rejected)
        EXPECT_FALSE(AuthorizationHelperProtocol::readRequest(reader(bytes)));
    EXPECT_FALSE(AuthorizationHelperProtocol::readResponse(reader("?\0\0\0\0")));
}

TEST(AuthorizationHelperPolicyTest, OnlyTheSystemsOwnPrivilegedRunsAreAllowed)
{
    // Real files for the variable parts: a private temporary file and a source folder.
    QTemporaryFile settingsCopy(QStringLiteral("/tmp/nightfold.conf.XXXXXX"));
    QTemporaryFile crontabCopy(QStringLiteral("/tmp/crontab.XXXXXX"));
    ASSERT_TRUE(settingsCopy.open() && crontabCopy.open());
    QTemporaryDir application;
    ASSERT_TRUE(QDir().mkpath(application.path() + "/NightfoldStartup"));
    const std::string settingsTemp = settingsCopy.fileName().toStdString();
    const std::string crontabTemp = crontabCopy.fileName().toStdString();
    const std::string source = (application.path() + "/NightfoldStartup").toStdString();
    const std::string link = (application.path() + "/link").toStdString();
    ASSERT_TRUE(QFile::link("/etc/hostname", QString::fromStdString(link)));
    // A link in /tmp under a name of the right shape.
    QString linkName;
    {
        QTemporaryFile reserve(QStringLiteral("/tmp/nightfold.conf.XXXXXX"));
        ASSERT_TRUE(reserve.open());
        linkName = reserve.fileName();
    }
    ASSERT_TRUE(QFile::link("/etc/hostname", linkName));
    const std::string linkInTmp = linkName.toStdString();

    const std::vector<Words> allowed = {
        {"/bin/echo", "Yeehaw!"},
        {"/bin/cp", "-f", settingsTemp, "/etc/nightfold.conf"},
        {"/bin/cp", "-f", "/etc/nightfold.conf", "/etc/nightfold.conf.damaged"},
        {"/usr/bin/killall", "NightfoldAgent"},
        {"/usr/sbin/chown", "0:0", "/Library/StartupItems"},
        {"/usr/sbin/chown", "-R", "0:0", "/Library/StartupItems/NightfoldStartup"},
        {"/usr/sbin/chmod", "6550", "/Library/StartupItems"},
        {"/usr/sbin/chmod", "-R", "6550", "/Library/StartupItems/NightfoldStartup"},
        {"/bin/cp", "-Rf", source, "/Library/StartupItems/NightfoldStartup"},
        {"/bin/rm", "-f", "/etc/nightfold.conf"},
        {"/bin/rm", "-R", "-f", "/Library/StartupItems/NightfoldStartup"},
        {"/Library/StartupItems/NightfoldStartup/NightfoldAgent"},
        {"/bin/cat", "/var/cron/tabs/root"},
        {"/bin/cp", crontabTemp, "/var/cron/tabs/root"},
        {"/usr/bin/touch", "/var/cron/tabs/"},
    };
    for (const Words& words : allowed)
        EXPECT_TRUE(AuthorizationHelperPolicy::allows(words)) << words[0] << " " << words.back();

    const std::vector<Words> refused = {
        {"/bin/echo", "Yeehaw! again"},
        {"/bin/sh", "-c", "echo Yeehaw!"},
        {"/bin/cat", "/etc/shadow"},
        {"/bin/rm", "-R", "-f", "/"},
        {"/usr/bin/killall", "NightfoldAgent", "Finder"},
        {"/bin/cp", "-f", "/etc/shadow", "/etc/nightfold.conf"},
        {"/bin/cp", "-f", linkInTmp, "/etc/nightfold.conf"},
        {"/bin/cp", "-f", crontabTemp, "/etc/nightfold.conf"},
        {"/bin/cp", "-f", "/tmp/nightfold.conf.nothere", "/etc/nightfold.conf"},
        {"/bin/cp", crontabTemp, "/var/cron/tabs/alice"},
        {"/bin/cp", "-Rf", "NightfoldStartup", "/Library/StartupItems/NightfoldStartup"},
        {"/bin/cp", "-Rf", source + "/../NightfoldStartup", "/Library/StartupItems/NightfoldStartup"},
        {"/bin/cp", "-Rf", link, "/Library/StartupItems/NightfoldStartup"},
        {"/bin/cp", "-Rf", "/etc", "/Library/StartupItems/NightfoldStartup"},
        {"/Library/StartupItems/NightfoldStartup/NightfoldAgent", "--anything"},
    };
    for (const Words& words : refused)
        EXPECT_FALSE(AuthorizationHelperPolicy::allows(words)) << words[0] << " " << words.back();
    QFile::remove(linkName);
}

TEST(SystemAuthorizationTest, TheHelperRunsAllowedToolsUntilItsAuthorizationIsFreed)
{
    ASSERT_TRUE(QFile::exists(kHelper)) << kHelper.toStdString();
    SystemAuthorizationServices services({kHelper}, false);

    auto shell = services.newShell();
    ASSERT_TRUE(shell->Run("/bin/echo", true, {"Yeehaw!"}));
    EXPECT_EQ(shell->Result(), "Yeehaw!\n");
    EXPECT_FALSE(shell->Run("/bin/echo", true, {"not on the list"}));
    EXPECT_EQ(shell->Result(), QString());
    const qint64 reference = shell->Retrieve();
    shell.reset();
    EXPECT_EQ(services.heldCount(), 1);  // handed out: it outlives its runner

    // Another runner reuses it without a new prompt.
    auto second = services.newShell();
    second->Assign(reference);
    EXPECT_TRUE(second->Run("/bin/echo", true, {"Yeehaw!"}));
    EXPECT_EQ(services.heldCount(), 1);

    services.freeAuthorization(reference);
    EXPECT_EQ(services.heldCount(), 0);
    EXPECT_FALSE(second->Run("/bin/echo", true, {"Yeehaw!"}));
}

TEST(SystemAuthorizationTest, AnAuthorizationNotHandedOutGoesWithItsRunner)
{
    SystemAuthorizationServices services({kHelper}, false);
    {
        auto shell = services.newShell();
        ASSERT_TRUE(shell->Run("/bin/echo", true, {"Yeehaw!"}));
        EXPECT_EQ(services.heldCount(), 1);
    }
    EXPECT_EQ(services.heldCount(), 0);
}

TEST(SystemAuthorizationTest, ACancelledPromptRunsNothing)
{
    // pkexec ends with 126 when the administrator dismisses the prompt.
    SystemAuthorizationServices services({"/bin/sh", "-c", "exit 126"}, false);
    auto shell = services.newShell();
    EXPECT_FALSE(shell->Run("/bin/echo", true, {"Yeehaw!"}));
    EXPECT_EQ(shell->Retrieve(), 0);
    EXPECT_EQ(services.heldCount(), 0);

    SystemAuthorizationServices missing({"/nonexistent/pkexec", kHelper}, false);
    EXPECT_FALSE(missing.newShell()->Run("/bin/echo", true, {"Yeehaw!"}));
}

TEST(SystemAuthorizationTest, TheSuperuserRunsTheToolsItselfUnderTheSameRules)
{
    SystemAuthorizationServices services({"/nonexistent/pkexec"}, true);
    auto shell = services.newShell();
    ASSERT_TRUE(shell->Run("/bin/echo", true, {"Yeehaw!"}));
    EXPECT_EQ(shell->Result(), "Yeehaw!\n");
    EXPECT_NE(shell->Retrieve(), 0);
    EXPECT_FALSE(shell->Run("/bin/echo", true, {"not on the list"}));
}
}  // namespace
