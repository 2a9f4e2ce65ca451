// A table of what the people a machine restricts can put where the agent
// reads it: their full name, picture and hint in their directory record, and
// the name of the application in front. Every value, in every place, meets a
// lock and an unlock on the simulated machine, which parses each line the way
// sh would and lists any line it would have expanded or split as unknown
// (the fixture's tear-down refuses those).
#include "ScenarioFixture.h"

#include "LogText.h"
#include "StringStuff.h"

#include <QRegularExpression>

namespace {
const QString kDefaultPicture = SimulatedMachine::defaultPicture;

struct HostileValue {
    const char* name;
    QString text;
};

void PrintTo(const HostileValue& value, std::ostream* out) { *out << value.name; }

QString notUtf8() { return QString::fromUtf8(QByteArray("caf\xe9 \xff\xfe \xc3(")); }

QString tenKilobytes()
{
    QString text;
    while (text.size() < 10 * 1024)
        text += QStringLiteral("$(reboot) `halt` \"; | & \\ ");
    return text + QStringLiteral("end");
}

const std::vector<HostileValue>& hostileValues()
{
    static const std::vector<HostileValue> values{
        {"double_quotes", QStringLiteral("Say \"hi\" \"")},
        {"dollar", QStringLiteral("$HOME ${PATH} $1")},
        {"command_substitution", QStringLiteral("$(touch /tmp/pwned)")},
        {"backquotes", QStringLiteral("`touch /tmp/pwned`")},
        {"backslashes", QStringLiteral("C:\\Users\\ \\\" \\")},
        {"semicolon", QStringLiteral("x; /sbin/reboot")},
        {"pipe", QStringLiteral("x | /sbin/reboot")},
        {"ampersands", QStringLiteral("x && /sbin/reboot &")},
        {"single_quotes", QStringLiteral("it's 'quoted'")},
        {"leading_dash", QStringLiteral("-rf /")},
        {"line_break", QStringLiteral("first\nsecond: part")},
        {"carriage_return", QStringLiteral("first\rsecond")},
        // What a record whose value breaks its line would forge: lines for
        // keys that decide whether an account is managed and how it unlocks.
        {"forged_lines", QStringLiteral("x\nshell: /usr/bin/false\nname: root\npasswd: uauudt_lmk\nold_authority: ;forged;\n"
                                        "old_picture: /etc/forged.tif\nhome: /var/root")},
        {"control_characters", QStringLiteral("bell\a escape\x1b[31m tab\t del\x7f c1\u0085")},
        {"line_separators", QStringLiteral("a\u2028b\u2029c")},
        {"ten_kilobytes", tenKilobytes()},
        {"not_utf8", notUtf8()},
    };
    return values;
}

enum class Field { FullName, Picture, Hint, FrontApplication };

struct FieldCase {
    Field field;
    HostileValue value;
};

std::string fieldName(Field field)
{
    switch (field) {
    case Field::FullName: return "full_name";
    case Field::Picture: return "picture";
    case Field::Hint: return "hint";
    case Field::FrontApplication: return "front_application";
    }
    return {};
}

void PrintTo(const FieldCase& c, std::ostream* out) { *out << fieldName(c.field) << " " << c.value.name; }

std::vector<FieldCase> fieldCases()
{
    std::vector<FieldCase> cases;
    for (const Field field : {Field::FullName, Field::Picture, Field::Hint, Field::FrontApplication}) {
        for (const HostileValue& value : hostileValues())
            cases.push_back({field, value});
    }
    return cases;
}

// niutil prints a record one line per property: a value reaches the agent up
// to its first line break.
QString asRecordLine(const QString& value) { return value.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0); }

// Every log line: the date, the time, the program, and nothing that breaks it.
void expectOneLineEach(const QStringList& logLines)
{
    static const QRegularExpression start(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d NightfoldAgent: "));
    for (const QString& line : logLines) {
        EXPECT_TRUE(start.match(line).hasMatch()) << line.left(200).toStdString();
        for (const QChar c : line) {
            const char16_t u = c.unicode();
            EXPECT_FALSE(u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029)
                << "control character " << int(u) << " in " << line.left(200).toStdString();
        }
    }
}

class HostileDirectoryValues : public ScenarioFixture, public ::testing::WithParamInterface<FieldCase> {};
}  // namespace

// bob, at the desktop, is locked at 21:00 (switched out: his first switch does
// not take, so the application in front is closed) and unlocked at 07:00.
TEST_P(HostileDirectoryValues, ReachEveryToolAsOneWholeArgumentAndEveryLogAsOneLine)
{
    const Field field = GetParam().field;
    const QString value = GetParam().value.text;
    setUpMachine([&](SimulatedMachine& m) {
        const QString picture = field == Field::Picture ? value : kDefaultPicture;
        AccountRecord& bob = m.addAccount(QStringLiteral("bob"), field == Field::FullName ? value : QStringLiteral("Bob"),
                                          QStringLiteral("/bin/bash"), picture);
        bob.set(QStringLiteral("hint"), field == Field::Hint ? value : QString());
        m.logIn(QStringLiteral("bob"));
        m.setFrontApplication(QStringLiteral("bob"), field == Field::FrontApplication ? value : QStringLiteral("Safari"));
        m.ignoreNextSuspends(1);
    });
    writeSettings({{QStringLiteral("bob"), eveningRules(QStringLiteral("Switch Out"))}});
    const QString picture = field == Field::Picture ? asRecordLine(value) : kDefaultPicture;
    const QString hint = field == Field::Hint ? value : QString();

    const SimulatedPass::Outcome night = passAt(evening(21, 0));
    EXPECT_TRUE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 1}}));
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("old_picture")), picture.toStdString());
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("old_authority")), ";ShadowHash;");
    const QString application = field == Field::FrontApplication ? value : QStringLiteral("Safari");
    EXPECT_TRUE(machine.eventTexts().contains(QStringLiteral("application closed: %1 (bob)").arg(application)));
    const QString fullName = field == Field::FullName ? asRecordLine(value) : QStringLiteral("Bob");
    EXPECT_TRUE(night.logLines.filter(QStringLiteral(" NightfoldAgent: Locking user ")).contains(
        QStringLiteral("2026-12-09 21:00:00 NightfoldAgent: Locking user ") + LogText::oneLine(StringStuff::Quote(fullName))
        + QStringLiteral("...")));

    const SimulatedPass::Outcome morning = passAt(ScenarioFixture::morning(7, 0));
    EXPECT_FALSE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("authentication_authority")), ";ShadowHash;");
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), picture.toStdString());
    // The agent never writes the hint, whatever it holds.
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("hint")), hint.toStdString());

    expectOneLineEach(night.logLines + morning.logLines);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileDirectoryValues, ::testing::ValuesIn(fieldCases()),
                         [](const ::testing::TestParamInfo<FieldCase>& info) {
                             return fieldName(info.param.field) + "_" + info.param.value.name;
                         });

namespace {
class HostileShortNames : public ScenarioFixture, public ::testing::WithParamInterface<HostileValue> {};

std::vector<HostileValue> hostileShortNames()
{
    return {{"semicolon", QStringLiteral("bob;reboot")},     {"command_substitution", QStringLiteral("$(reboot)")},
            {"backquotes", QStringLiteral("`reboot`")},       {"blank", QStringLiteral("a b")},
            {"pipe", QStringLiteral("x|reboot")},             {"ampersand", QStringLiteral("x&reboot")},
            {"double_quote", QStringLiteral("x\"y")},         {"single_quote", QStringLiteral("x'y")},
            {"backslash", QStringLiteral("x\\y")},            {"redirection", QStringLiteral("x>y")},
            {"glob", QStringLiteral("x*")},                   {"tilde", QStringLiteral("~root")},
            {"tab", QStringLiteral("x\ty")},                  {"line_break", QStringLiteral("eve\nbob")},
            {"non_ascii", QStringLiteral("j\u00f6rg")},        {"not_utf8", notUtf8()},
            {"ten_kilobytes", QStringLiteral("x ") + tenKilobytes()}};
}
}  // namespace

// An account whose short name could leave its place on a command line is
// listed by the directory and never managed: never read, locked, counted,
// logged or named on any command line; bob beside it is managed as ever.
TEST_P(HostileShortNames, AreNeverManaged)
{
    const QString name = GetParam().text;
    setUpMachine([&](SimulatedMachine& m) {
        m.addAccount(name, QStringLiteral("Eve"));
        m.logIn(name, false);
        m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob"));
        m.logIn(QStringLiteral("bob"));
    });
    writeSettings({{QStringLiteral("bob"), eveningRules()}});

    const SimulatedPass::Outcome night = passAt(evening(21, 0));
    EXPECT_TRUE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_FALSE(machine.isLocked(name));
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 1}}));
    EXPECT_EQ(matching(night.commands, name), Lines());
    EXPECT_EQ(matching(night.logLines, name), Lines());
    expectOneLineEach(night.logLines);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileShortNames, ::testing::ValuesIn(hostileShortNames()),
                         [](const ::testing::TestParamInfo<HostileValue>& info) { return std::string(info.param.name); });

namespace {
class LoginWindowLookalikes : public ScenarioFixture, public ::testing::WithParamInterface<HostileValue> {};
}  // namespace

// An application of the user's own whose name or place looks like the login
// window's still counts as the user at the desktop: his minute is counted.
TEST_P(LoginWindowLookalikes, DoNotStopTheMinutesBeingCounted)
{
    setUpMachine([&](SimulatedMachine& m) {
        m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob"));
        m.logIn(QStringLiteral("bob"));
        m.setFrontApplication(QStringLiteral("bob"), GetParam().text);
    });
    writeSettings({{QStringLiteral("bob"), eveningRules()}});
    passAt(evening(20, 30));
    EXPECT_EQ(settingsFile().activeMinutes, (std::map<std::string, int>{{"bob", 1}}));
}

INSTANTIATE_TEST_SUITE_P(Table, LoginWindowLookalikes,
                         ::testing::Values(HostileValue{"loginwindow", QStringLiteral("loginwindow")},
                                           HostileValue{"security_agent", QStringLiteral("SecurityAgent")},
                                           HostileValue{"execution_error", QStringLiteral("execution error")},
                                           HostileValue{"system_folder", QStringLiteral("System:Library:CoreServices:loginwindow")}),
                         [](const ::testing::TestParamInfo<HostileValue>& info) { return std::string(info.param.name); });

// The stamped copy is told by "Nightfold" in its path, so a picture of the
// user's own named so is taken for one: it gets no padlock, and the unlock
// must not take it away.
TEST_F(HostileDirectoryValues, APictureNamedLikeTheStampedCopyOutlivesLockAndUnlock)
{
    const QString picture = QStringLiteral("/Users/bob/Pictures/Nightfold fan.tif");
    setUpMachine([&](SimulatedMachine& m) {
        m.addAccount(QStringLiteral("bob"), QStringLiteral("Bob"), QStringLiteral("/bin/bash"), picture);
        m.logIn(QStringLiteral("bob"));
    });
    writeSettings({{QStringLiteral("bob"), eveningRules()}});
    passAt(evening(21, 0));
    EXPECT_TRUE(machine.isLocked(QStringLiteral("bob")));
    passAt(ScenarioFixture::morning(7, 0));
    EXPECT_FALSE(machine.isLocked(QStringLiteral("bob")));
    EXPECT_EQ(recordValue(QStringLiteral("bob"), QStringLiteral("picture")), picture.toStdString());
}
