#include "SimProcessFixture.h"

#include <QRegularExpression>
#include <array>
#include <memory>

namespace {
constexpr int kPasses = 20;

class ConcurrentPassesTest : public SimProcessFixture {};
}  // namespace

// cron starts a pass every minute whatever the last one is doing: passes that
// meet wait for each other or skip, and never count a minute twice or lose one.
TEST_F(ConcurrentPassesTest, TwentyPassesAtOnceCountExactlyThePassesThatRan)
{
    {
        QProcess first;
        startPass(first, eveningMinute(30));
        ASSERT_TRUE(finishedOutput(first));
    }
    const int before = countedMinutesOfBob();

    std::array<std::unique_ptr<QProcess>, kPasses> passes;
    for (auto& pass : passes) {
        pass = std::make_unique<QProcess>();
        startPass(*pass, eveningMinute(31));
    }
    int skipped = 0;
    for (auto& pass : passes) {
        const auto output = finishedOutput(*pass);
        ASSERT_TRUE(output);
        skipped += wasSkipped(*output) ? 1 : 0;
    }
    const int ran = kPasses - skipped;
    RecordProperty("ran", ran);
    RecordProperty("skipped", skipped);
    EXPECT_GE(ran, 1);
    EXPECT_EQ(countedMinutesOfBob(), before + ran) << ran << " passes ran, " << skipped << " skipped";

    // Every line one whole line from one pass; the skips are on record.
    static const QRegularExpression logLine(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d NightfoldAgent: \\S"));
    const QStringList lines = logLines();
    for (const QString& line : lines) {
        EXPECT_TRUE(logLine.match(line).hasMatch()) << qPrintable(line);
        EXPECT_FALSE(line.contains(QStringLiteral("damaged"), Qt::CaseInsensitive)) << qPrintable(line);
    }
    EXPECT_EQ(lines.filter(QStringLiteral("this minute is skipped")).size(), skipped);
}
