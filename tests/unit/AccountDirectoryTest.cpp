#include "CoreFixture.h"
#include "GetUsers.h"
#include "SystemPaths.h"
#include "UserClass.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace {
class AccountDirectoryTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        shell.answer(QStringLiteral("niutil -list . /users"), [this](const QString&) { return listing; });
        const QString read = QStringLiteral("niutil -read . /users/");
        shell.answer(read, [this, read](const QString& line) { return records.value(line.mid(read.size())); });
    }
    void TearDown() override
    {
        UserClass::setApplicationPicture({});
        CoreFixture::TearDown();
    }

    // Lists the accounts in this order, each answering with its record.
    void directory(const QList<QPair<QString, QString>>& accounts)
    {
        for (int i = 0; i < accounts.size(); ++i) {
            listing += QStringLiteral("%1 %2\n").arg(501 + i).arg(accounts[i].first);
            records.insert(accounts[i].first, accounts[i].second);
        }
    }
    static QString withShell(const QString& name, const QString& shell)
    {
        return QStringLiteral("name: %1\n").arg(name) + (shell.isNull() ? QString() : QStringLiteral("shell: %1\n").arg(shell));
    }
    static QStringList names(const QList<std::shared_ptr<UserClass>>& accounts)
    {
        QStringList result;
        for (const auto& account : accounts)
            result << account->Name;
        return result;
    }
    void writePicture(const QString& systemPath, QSize size, QColor colour)
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        image.save(&png, "PNG");
        writeSystemFile(systemPath, png.data());
    }

    QString listing;
    QHash<QString, QString> records;
};

struct RecordCase {
    const char* record;
    QString UserClass::*field;
    const char* expected;
};
}  // namespace

TEST_F(AccountDirectoryTest, RecordLinesFillTheFields)
{
    const RecordCase cases[] = {
        {"home: /Users/bob", &UserClass::Home, "/Users/bob/"},
        {"home: /Users/bob/", &UserClass::Home, "/Users/bob/"},
        {"home:", &UserClass::Home, "/"},
        {"home:   ", &UserClass::Home, "/"},
        {"realname: Bob Smith  ", &UserClass::RealName, "Bob Smith  "},
        {"name: bob robert", &UserClass::Name, "bob robert"},
        {"name: bob\nname: robert", &UserClass::Name, "robert"},
        {"NAME: bob", &UserClass::Name, "bob"},
        {" name: bob", &UserClass::Name, ""},
        {"shell:/bin/zsh", &UserClass::Shell, "/bin/zsh"},
        {"name: bob\r\nshell: /bin/bash\r\n", &UserClass::Shell, "/bin/bash"},
        {"name: bob\rshell: /bin/tcsh\r", &UserClass::Shell, "/bin/tcsh"},
        {"picture: /Library/User Pictures/a:b.tif", &UserClass::Picture, "/Library/User Pictures/a:b.tif"},
        {"hint: \tcat", &UserClass::PasswordHint, "cat"},
        {"uid: 501\ngid: 20", &UserClass::UID, "501"},
        {"uid: 501\ngid: 20", &UserClass::GID, "20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        const UserClass account(QString::fromUtf8(c.record));
        EXPECT_EQ(account.*c.field, QString::fromUtf8(c.expected));
    }
}

TEST_F(AccountDirectoryTest, PropertiesHoldEveryLine)
{
    const UserClass account(QStringLiteral("name: bob\nauthentication_authority: ;ShadowHash; \nno colon here\nname: robert"));
    EXPECT_EQ(account.GetValue(QStringLiteral("Name")), QStringLiteral("robert"));
    EXPECT_EQ(account.GetValue(QStringLiteral("AUTHENTICATION_AUTHORITY")), QStringLiteral(";ShadowHash; "));
    EXPECT_EQ(account.GetValue(QStringLiteral("missing")), QString());
    ASSERT_TRUE(account.Properties);
    EXPECT_TRUE(account.Properties->has(QString()));  // the line without a colon
    EXPECT_EQ(account.Properties->entries().size(), 3);
}

TEST_F(AccountDirectoryTest, ListingReadsEveryNamedAccountInOrder)
{
    listing = QStringLiteral("501 bob\nnoblank\r\n502   carol  \r\n\n503 \r504\tdave\n");
    records.insert(QStringLiteral("bob"), withShell(QStringLiteral("bob"), QStringLiteral("/bin/bash")));
    records.insert(QStringLiteral("carol"), withShell(QStringLiteral("carol"), QStringLiteral("/bin/zsh")));
    const GetUsers users;
    EXPECT_EQ(shell.commands,
              QStringList({"niutil -list . /users", "niutil -read . /users/bob", "niutil -read . /users/carol"}));
    ASSERT_EQ(users.Count(), 2);
    EXPECT_EQ(users.Get(1)->Name, QStringLiteral("bob"));
    EXPECT_EQ(users.Get(2)->Name, QStringLiteral("carol"));
    for (const int outside : {0, 3, -1})
        EXPECT_EQ(users.Get(outside), nullptr) << outside;
}

TEST_F(AccountDirectoryTest, UnsafeNamesNeverReachACommandLine)
{
    const QStringList unsafe = {"bob; rm -rf /", "$(x)", "a b", "jürgen", "-rf", "..", ".", "`id`", "bob\\", "x|y", "bob'"};
    for (const QString& name : unsafe)
        listing += QStringLiteral("600 ") + name + QLatin1Char('\n');
    directory({{QStringLiteral("ok.name_1-2"), withShell(QStringLiteral("ok.name_1-2"), QStringLiteral("/bin/bash"))}});
    const GetUsers users;
    EXPECT_EQ(shell.commands, QStringList({"niutil -list . /users", "niutil -read . /users/ok.name_1-2"}));
    EXPECT_EQ(users.Count(), 1);
}

TEST_F(AccountDirectoryTest, StandardAccountsHaveALoginShellAndASafeNameAndAreNotRoot)
{
    directory({
        {QStringLiteral("bob"), withShell(QStringLiteral("bob"), QStringLiteral("/bin/bash"))},
        {QStringLiteral("noshell"), withShell(QStringLiteral("noshell"), QString())},
        {QStringLiteral("emptyshell"), withShell(QStringLiteral("emptyshell"), QString(""))},
        {QStringLiteral("daemon"), withShell(QStringLiteral("daemon"), QStringLiteral("/usr/bin/false"))},
        {QStringLiteral("shouty"), withShell(QStringLiteral("shouty"), QStringLiteral("/bin/FALSE"))},
        {QStringLiteral("nobody"), withShell(QStringLiteral("nobody"), QStringLiteral("/dev/null"))},
        {QStringLiteral("root"), withShell(QStringLiteral("root"), QStringLiteral("/bin/sh"))},
        {QStringLiteral("Root"), withShell(QStringLiteral("Root"), QStringLiteral("/bin/sh"))},
        {QStringLiteral("renamed"), withShell(QStringLiteral("bob;reboot"), QStringLiteral("/bin/bash"))},
        {QStringLiteral("nulla"), withShell(QStringLiteral("nulla"), QStringLiteral("/bin/zsh"))},
    });
    const GetUsers users;
    EXPECT_EQ(users.Count(), 10);
    QList<std::shared_ptr<UserClass>> standard{std::make_shared<UserClass>(QStringLiteral("name: kept"))};
    users.FetchStandardUsers(standard);
    EXPECT_EQ(names(standard), QStringList({"kept", "bob", "nulla"}));  // appended, not replaced
}

TEST_F(AccountDirectoryTest, TruncatedNameIsTheFirstEightCharacters)
{
    const QPair<QString, QString> cases[] = {
        {"bob", "bob"}, {"abcdefgh", "abcdefgh"}, {"administrator", "administ"}, {"", ""}, {"a😀bcdefghij", "a😀bcdefg"},
    };
    for (const auto& [name, expected] : cases) {
        UserClass account;
        account.Name = name;
        EXPECT_EQ(account.truncatedName(), expected) << name.toStdString();
    }
}

TEST_F(AccountDirectoryTest, PictureFallsBackInOrder)
{
    const QString own = QStringLiteral("/Library/User Pictures/Animals/Cat.png");
    const QString stamped = QStringLiteral("/Library/Application Support/Nightfold/User Pictures/bob.tif");
    const QString blank = SystemPaths::programFolder() + QStringLiteral("/Images/BlankUser.pict");
    const QString notAnImage = QStringLiteral("/Library/User Pictures/notes.png");
    writePicture(own, {100, 60}, Qt::red);
    writePicture(stamped, {48, 48}, Qt::blue);
    writeSystemFile(notAnImage, "not an image");
    const QImage hook = [] {
        QImage image(128, 128, QImage::Format_RGB32);
        image.fill(Qt::yellow);
        return image;
    }();

    struct Case {
        const char* what;
        QString picture;
        bool blankExists;
        bool applicationPicture;
        QSize size;
        QColor colour;
    };
    const Case cases[] = {
        {"own picture", own, true, true, {48, 48}, Qt::red},
        {"stamped copy draws the original", stamped, true, false, {48, 48}, Qt::red},
        {"missing picture", QStringLiteral("/nowhere.png"), true, false, {48, 48}, Qt::green},
        {"no picture", QString(), true, false, {48, 48}, Qt::green},
        {"not an image", notAnImage, true, false, {48, 48}, Qt::green},
        {"nothing at all", notAnImage, false, false, {1, 1}, {}},
        {"settings application", notAnImage, true, true, {128, 128}, Qt::yellow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(SystemPaths::resolve(blank));
        if (c.blankExists)
            writePicture(blank, {20, 20}, Qt::green);
        UserClass::setApplicationPicture(c.applicationPicture ? std::function<QImage()>([&hook] { return hook; }) : nullptr);
        UserClass account(QStringLiteral("name: bob\npicture: %1\nold_picture: %2\n").arg(c.picture, own));

        const QImage picture = account.GetPicture();
        EXPECT_EQ(picture.size(), c.size);
        if (c.colour.isValid()) {
            EXPECT_EQ(QColor(picture.pixel(picture.width() / 2, picture.height() / 2)), c.colour);
        }
        EXPECT_EQ(account.Picture, c.picture == stamped ? own : c.picture);
    }
    EXPECT_TRUE(shell.commands.isEmpty());  // the directory is never touched
}

TEST_F(AccountDirectoryTest, ScaledPictureIs32By32)
{
    const QString own = QStringLiteral("/Library/User Pictures/Cat.png");
    writePicture(own, {100, 60}, Qt::red);
    for (const QString& picture : {own, QStringLiteral("/nowhere.png")}) {
        UserClass account(QStringLiteral("picture: ") + picture);
        const QImage scaled = account.ScaledPicture();
        EXPECT_EQ(scaled.size(), QSize(32, 32));
        if (picture == own) {
            EXPECT_EQ(QColor(scaled.pixel(16, 16)), QColor(Qt::red));
        }
    }
}
