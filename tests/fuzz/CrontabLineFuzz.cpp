// The crontab line model: a line read and written back is one line, reads
// back to itself, and tells cron the same schedule and command it did before.
#include "FuzzWorld.h"

#include "ScheduledTask.h"

#include <array>

namespace {
bool isCronBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r'; }

QString withoutLeadingBlanks(const QString& line)
{
    qsizetype at = 0;
    while (at < line.size() && isCronBlank(line[at]))
        ++at;
    return line.mid(at);
}

bool isCommentLike(const QString& line)
{
    const QString t = withoutLeadingBlanks(line);
    return t.startsWith(u'#') || t.startsWith(u';') || t.startsWith(u'@') || t.startsWith(QStringLiteral("//"))
        || t.startsWith(QStringLiteral("\\\\"));
}

// What cron takes from an entry: five fields at runs of white space, then the
// command (everything after the next run, trailing white space included).
std::array<QString, 6> cronReading(const QString& line)
{
    std::array<QString, 6> parts;
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < line.size() && isCronBlank(line[at]))
            ++at;
    };
    for (int i = 0; i < 5; ++i) {
        skipBlanks();
        const qsizetype start = at;
        while (at < line.size() && !isCronBlank(line[at]))
            ++at;
        parts[i] = line.mid(start, at - start);
    }
    skipBlanks();
    parts[5] = line.mid(at);
    return parts;
}

void checkLine(const QString& line)
{
    const QString written = ScheduledTask::rewrittenLine(line);
    fuzzCheck(written.endsWith(u'\n') && written.count(u'\n') == 1, "a crontab line is not written as one line", written);
    const QString writtenLine = written.chopped(1);
    fuzzCheck(ScheduledTask::rewrittenLine(writtenLine) == written, "a written line does not read back to itself", line);
    fuzzCheck(isCommentLike(writtenLine) == isCommentLike(line), "a line changed between entry and comment", line);
    if (!isCommentLike(line))
        fuzzCheck(cronReading(writtenLine) == cronReading(line), "cron reads a written entry differently", line);

    // Commenting an entry out and back in keeps what cron runs; the comment
    // is the trimmed line, so white space at the very end may go.
    ScheduledTask task(line);
    if (!task.isComment) {
        task.CommentOut();
        task.Activate();
        auto before = cronReading(line);
        auto after = cronReading(task.Text().chopped(1));
        while (!before[5].isEmpty() && isCronBlank(before[5].back()))
            before[5].chop(1);
        fuzzCheck(after == before, "comment out and in changed an entry", line);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWorld::instance();
    // The editor reads a crontab as LF-separated lines after turning CRs into LFs.
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    text.replace(u'\r', u'\n');
    for (const QString& line : text.split(u'\n')) {
        // Blank lines are dropped when a crontab is read.
        if (!withoutLeadingBlanks(line).isEmpty())
            checkLine(line);
    }
    return 0;
}
