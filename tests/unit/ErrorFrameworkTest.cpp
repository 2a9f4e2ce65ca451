#include "CoreFixture.h"
#include "EasyPrefs.h"
#include "ErrorAndLoggingGlobals.h"
#include "Fillintheblanks.h"
#include "Globals.h"
#include "QMAssertion.h"
#include "QMBroadcasterInterface.h"
#include "QMBroadcastingLog.h"
#include "QMErrorWrapper.h"
#include "QMEvent.h"
#include "QMEventGlobals.h"
#include "QMListenerGroup.h"
#include "QMListenerInterface.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <typeinfo>

namespace {
using Kind = RuntimeError::Kind;

class ErrorFramework : public CoreFixture {
protected:
    QMBroadcastingLog& log()
    {
        ErrorAndLoggingGlobals::startLog();
        return *ErrorAndLoggingGlobals::applicationLog();
    }
    const QMLogEntryInterface& lastEntry() { return *log().entries().last(); }
};

// Notes every event; throws on the one named in throwOn.
class RecordingListener : public QMListenerInterface {
public:
    void handleEvent(const QMEvent& event, QMBroadcasterInterface&) override
    {
        if (event.name() == throwOn)
            throw RuntimeError(Kind::NilObject);
        QString note = event.name();
        if (event.name() == QLatin1String("AddLogEntry"))
            note += QLatin1Char(' ') + std::any_cast<std::shared_ptr<QMLogEntryInterface>>(event.parameters().at(0))->getMessage();
        if (event.name() == QLatin1String("LoadAllLogEntries"))
            note += QLatin1Char(' ') + QString::number(std::any_cast<const QMApplicationLog*>(event.parameters().at(0))->entries().size());
        heard.append(note);
    }
    QStringList heard;
    QString throwOn;
};

class StubBroadcaster : public QMBroadcasterInterface {
public:
    explicit StubBroadcaster(QString name) : m_name(std::move(name)) {}
    void listenerAdded(const std::shared_ptr<QMListenerInterface>&) override { ++added; }
    QString getBroadcasterName() const override { return m_name; }
    int added = 0;

private:
    QString m_name;
};

template <typename Error>
std::exception_ptr errorOf(Error error)
{
    return std::make_exception_ptr(error);
}
}  // namespace

TEST_F(ErrorFramework, HandledErrorsAreNamedByKindAndLabel)
{
    const struct {
        std::exception_ptr error;
        QString message;
    } cases[] = {
        {errorOf(RuntimeError(Kind::NilObject)), "There was a nilobject error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::IllegalCast)), "There was a illegalCast error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::OutOfBounds)), "There was a outofbounds error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::RegEx)), "There was a regEx error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::StackOverflow)), "There was a stackOverflow error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::TypeMismatch)), "There was a typeMismatch error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::OutOfMemory)), "There was a outOfMemory error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::KeyNotFound)), "There was a KeyNotFound error in Schedule.Run ."},
        {errorOf(RuntimeError(Kind::Other, "text \\2 stays out")), "There was a unknown error in Schedule.Run ."},
        {errorOf(std::bad_alloc()), "There was a outOfMemory error in Schedule.Run ."},
        {errorOf(std::out_of_range("index 7")), "There was a outofbounds error in Schedule.Run ."},
        {errorOf(std::bad_cast()), "There was a illegalCast error in Schedule.Run ."},
        {errorOf(std::runtime_error("boom")), "There was a unknown error in Schedule.Run ."},
        {errorOf(42), "There was a unknown error in Schedule.Run ."},
    };
    for (const auto& c : cases) {
        handled("Schedule.Run", [&] { std::rethrow_exception(c.error); });
        EXPECT_EQ(debugLog.last(), c.message);
        EXPECT_EQ(lastEntry().getMessage(), c.message);
        EXPECT_EQ(lastEntry().getLevel(), 1);
    }
    EXPECT_EQ(log().entries().size(), qsizetype(std::size(cases)));
}

TEST_F(ErrorFramework, FrameworkErrorsCarryTheirTrailOutToTheHandler)
{
    auto listener = std::make_shared<RecordingListener>();
    listener->throwOn = QStringLiteral("LoadAllLogEntries");
    handled("NightfoldUser.Run", [&] { QMEventGlobals::AddListener(listener, log()); });
    EXPECT_EQ(debugLog.last(), "There was a nilobject error in QMListenerGroup.broadcastEvent to one listener "
                               "global:broadcastEvent global:AddListener NightfoldUser.Run .");

    // The time is the first capture's, however late the outer handler is.
    handled("NightfoldUser.Run", [&] {
        try {
            raisedThrough("QMListenerGroup.addListener", [] { throw RuntimeError(Kind::OutOfBounds); });
        } catch (...) {
            clock.advanceMinutes(5);
            throw;
        }
    });
    EXPECT_EQ(lastEntry().getTime(), LocalDateTime::fromParts(2026, 12, 11, 12, 0, 0));
    EXPECT_EQ(consoleLines.last(),
              "12:00:00 Nightfold There was a outofbounds error in QMListenerGroup.addListener NightfoldUser.Run .");
}

TEST_F(ErrorFramework, LastResortLabelsOnlyWhatIsNotWrappedYet)
{
    ErrorAndLoggingGlobals::lastResort(errorOf(RuntimeError(Kind::TypeMismatch)));
    EXPECT_EQ(debugLog.last(), "There was a typeMismatch error in untrapped location .");

    try {
        raisedThrough("global:AddListener", [] { throw std::runtime_error("x"); });
    } catch (...) {
        ErrorAndLoggingGlobals::lastResort(std::current_exception());
    }
    EXPECT_EQ(debugLog.last(), "There was a unknown error in global:AddListener  .");
}

TEST_F(ErrorFramework, FailedAssertionsReportTheirOwnMessageAndLevel)
{
    QMAssertion().test(true, QStringLiteral("never shown"), 4, false);
    EXPECT_TRUE(debugLog.isEmpty());

    QMAssertion().test(false, QStringLiteral("Users list is empty"), 4, false);
    EXPECT_EQ(debugLog.last(), "Users list is empty  ");
    EXPECT_EQ(lastEntry().getLevel(), 4);

    handled("Schedule.Run", [] { QMAssertion().test(false, QStringLiteral("No schedule"), 3, true); });
    EXPECT_EQ(debugLog.last(), "No schedule Schedule.Run ");
    EXPECT_EQ(lastEntry().getLevel(), 3);
}

TEST_F(ErrorFramework, TheLogKeepsTheNewest50InOrder)
{
    for (int i = 1; i <= 51; ++i)
        ErrorAndLoggingGlobals::QMLog(QStringLiteral("entry %1").arg(i), 2);
    const auto& entries = log().entries();
    ASSERT_EQ(entries.size(), 50);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(entries[i]->getMessage(), QStringLiteral("entry %1").arg(i + 2));
    EXPECT_EQ(consoleLines.size(), 51);
    EXPECT_EQ(ErrorAndLoggingGlobals::errorLevel(), 2);
}

TEST_F(ErrorFramework, ConsoleSettingIsFixedWhenTheLogIsMade)
{
    EasyPrefs::SetPrefBoolean(QStringLiteral("debugToConsole"), false);
    ErrorAndLoggingGlobals::QMLog(QStringLiteral("quiet"), 1);
    EasyPrefs::SetPrefBoolean(QStringLiteral("debugToConsole"), true);
    handled("Methods.ReadPrefs", [] { throw RuntimeError(); });
    EXPECT_TRUE(consoleLines.isEmpty());
    EXPECT_EQ(log().entries().size(), 2);
}

TEST_F(ErrorFramework, ConsoleLinesNeverBreakInsideAMessage)
{
    ErrorAndLoggingGlobals::QMLog(QString::fromUtf8("a\nb\r\tc\x01\x7f\u2028d \\n"), 1);
    ASSERT_EQ(consoleLines.size(), 1);
    EXPECT_EQ(consoleLines.last(), "12:00:00 Nightfold a\\nb\\r\\tc\\x01\\x7f\\u2028d \\n");
    EXPECT_EQ(lastEntry().getMessage(), QString::fromUtf8("a\nb\r\tc\x01\x7f\u2028d \\n"));
}

TEST(Fillintheblanks, FillsMarkersStepByStep)
{
    const struct {
        const char* templateText;
        const char* values;
        const char* filled;
    } cases[] = {
        {"no markers here", "a|b", "no markers here"},
        {"\\1 and \\2 and \\3", "a|b", "a and b and \\3"},
        {"\\1 then \\2", "x\\2|y", "xy then y"},
        {"\\10", "A|B|C|D|E|F|G|H|I|J", "A0"},
        {"\\1\\1", "a|b|c", "aa"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fillintheblanks::fillintheblanks(c.templateText, c.values), c.filled) << c.templateText;
}

TEST_F(ErrorFramework, ListenersGetTheWholeLogThenEachEntry)
{
    ErrorAndLoggingGlobals::QMLog(QStringLiteral("first"), 1);
    auto listener = std::make_shared<RecordingListener>();
    QMEventGlobals::AddListener(listener, log());
    QMEventGlobals::AddListener(listener, log());
    handled("Schedule.Run", [] { throw RuntimeError(Kind::NilObject); });
    EXPECT_EQ(listener->heard, QStringList({"LoadAllLogEntries 1", "LoadAllLogEntries 1",
                                            "AddLogEntry There was a nilobject error in Schedule.Run ."}));
    EXPECT_EQ(QMEventGlobals::getBroadcastersGroup(log())->listenerCount(), 1);
}

TEST_F(ErrorFramework, OrphansReturnOnlyToABroadcasterOfTheirName)
{
    auto forLog = std::make_shared<RecordingListener>();
    auto forOther = std::make_shared<RecordingListener>();
    auto forUnnamed = std::make_shared<RecordingListener>();
    StubBroadcaster oldLog{QStringLiteral("Main Application Log")}, other{QStringLiteral("Other")}, unnamed{QString()};
    QMEventGlobals::rememberOrphanedListener(forLog, oldLog);
    QMEventGlobals::rememberOrphanedListener(forOther, other);
    QMEventGlobals::rememberOrphanedListener(forUnnamed, unnamed);
    EXPECT_EQ(QMEventGlobals::orphanedUnder(forUnnamed), std::nullopt);

    ErrorAndLoggingGlobals::QMLog(QStringLiteral("first"), 1);  // makes the log, which calls its orphans back
    EXPECT_EQ(forLog->heard, QStringList({"LoadAllLogEntries 0", "AddLogEntry first"}));
    EXPECT_EQ(QMEventGlobals::orphanedUnder(forLog), std::nullopt);
    EXPECT_TRUE(forOther->heard.isEmpty());
    EXPECT_EQ(QMEventGlobals::orphanedUnder(forOther), QStringLiteral("Other"));
}

TEST_F(ErrorFramework, RemovedListenersCanBeRememberedAndReconnected)
{
    StubBroadcaster other(QStringLiteral("Other"));
    QMEventGlobals::startBroadcaster(other);
    auto a = std::make_shared<RecordingListener>();
    auto b = std::make_shared<RecordingListener>();
    QMEventGlobals::AddListener(a, other);
    QMEventGlobals::AddListener(b, other);
    QMEventGlobals::getBroadcastersGroup(other)->removeAllListeners(other, true);
    EXPECT_EQ(QMEventGlobals::getBroadcastersGroup(other)->listenerCount(), 0);
    EXPECT_EQ(QMEventGlobals::orphanedUnder(a), QStringLiteral("Other"));

    QMEventGlobals::startBroadcaster(other);
    const auto group = QMEventGlobals::getBroadcastersGroup(other);
    EXPECT_TRUE(group->contains(a) && group->contains(b));
    EXPECT_EQ(other.added, 4);
    EXPECT_EQ(QMEventGlobals::orphanedUnder(b), std::nullopt);
}

TEST_F(ErrorFramework, UnknownBroadcastersAndTheMissingRegistry)
{
    StubBroadcaster stray(QStringLiteral("Stray"));
    const auto askForStray = [&] {
        handled("MainWin.Open", [&] { EXPECT_EQ(QMEventGlobals::getBroadcastersGroup(stray), nullptr); });
    };
    askForStray();  // no broadcaster started yet: no registry at all
    EXPECT_EQ(debugLog.last(), "There was a nilobject error in global:getBroadcastersGroup MainWin.Open .");

    askForStray();  // the log, made by that report, started the registry
    EXPECT_EQ(lastEntry().getMessage(), "Broadcaster not found.");
    EXPECT_EQ(lastEntry().getLevel(), 1);

    Globals::resetForNewProcess();
    EXPECT_EQ(ErrorAndLoggingGlobals::applicationLog(), nullptr);
    EXPECT_EQ(ErrorAndLoggingGlobals::errorLevel(), 0);
    debugLog.clear();
    askForStray();
    EXPECT_EQ(debugLog.size(), 1);
    EXPECT_TRUE(debugLog.last().contains("global:getBroadcastersGroup"));
}
