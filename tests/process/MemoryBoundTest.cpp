// Input that claims more than it holds (a settings file whose lengths and
// counts say a gigabyte, a directory listing of 100,000 lines) must not make
// a pass allocate what the claims say. Each case runs in a child process
// whose data segment may grow by kHeadroom only (256 MB): a read that trusted
// a claim would fail there. The limit is first shown to stop a gigabyte.
#include "CoreFixture.h"

#include "GetUsers.h"
#include "Globals.h"
#include "Methods.h"
#include "SystemPaths.h"

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer keeps freed blocks back (256 MB) and pads every block.
constexpr rlim_t kHeadroom = 768u << 20;
#else
constexpr rlim_t kHeadroom = 256u << 20;
#endif

// The data segment's size now, from the kernel's own account.
rlim_t dataSegmentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmData:"))
            return rlim_t(line.mid(7).trimmed().split(' ').value(0).toULongLong()) * 1024;
    }
    return 0;
}

// Runs work in a child limited to kHeadroom more data; true when it finished
// and answered true.
bool finishesWithinTheLimit(const std::function<bool()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const rlim_t limit = dataSegmentBytes() + kHeadroom;
        const rlimit data{limit, limit};
        int status = 3;
        if (::setrlimit(RLIMIT_DATA, &data) == 0) {
            try {
                status = work() ? 0 : 1;
            } catch (...) {
                status = 2;
            }
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QByteArray number(double value)
{
    QByteArray bytes(8, Qt::Uninitialized);
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    qToBigEndian(bits, bytes.data());
    return bytes;
}

QByteArray text(const QByteArray& bytes) { return number(double(bytes.size())) + bytes; }

class MemoryBoundTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        if (dataSegmentBytes() == 0)
            GTEST_SKIP() << "no /proc/self/status";
        // A gigabyte, touched, must not fit: else the limit proves nothing here.
        if (finishesWithinTheLimit([] {
                std::vector<char> gigabyte(size_t(1) << 30);
                std::memset(gigabyte.data(), 1, gigabyte.size());
                return gigabyte.back() == 1;
            }))
            GTEST_SKIP() << "the data limit does not hold in this build";
    }
};
}  // namespace

TEST_F(MemoryBoundTest, ASettingsFileClaimingAGigabyteIsReadWithinTheBytesItHolds)
{
    const QByteArray gigabyte = number(1e9);
    const struct {
        const char* name;
        QByteArray file;
    } cases[] = {
        {"preference name", number(1) + gigabyte + QByteArray(64, 'x')},
        {"preference count", gigabyte + QByteArray(64, 'x')},
        {"user count", number(0) + gigabyte + QByteArray(4096, '\0')},
        {"user name", number(1) + text("a") + text("b") + number(1) + gigabyte + QByteArray(64, 'x')},
        {"action of a schedule", number(0) + number(1) + text("bob") + number(5) + QByteArray(1, 11) + gigabyte + QByteArray(256, 'x')},
        {"every length as long as the rest", number(4000) + QByteArray(4000 * 8, '\x41')},
    };
    shell.answer(QStringLiteral("niutil -list . /users"), QStringLiteral("1 bob\n"));
    shell.answer(QStringLiteral("niutil -read . /users/bob"), QStringLiteral("name: bob\nshell: /bin/bash\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeSystemFile(SystemPaths::settingsFile, c.file);
        EXPECT_TRUE(finishesWithinTheLimit([] {
            Globals::resetForNewProcess();
            Methods::ReadPrefs();
            return Methods::settingsFileDamaged() && Methods::SaveSettings(true);
        }));
    }
}

TEST_F(MemoryBoundTest, ADirectoryListingOfAHundredThousandLinesIsReadWithinItsSize)
{
    QString listing;
    for (int i = 0; i < 100000; ++i)
        listing += QStringLiteral("%1 user%2\n").arg(501 + i).arg(i);
    shell.answer(QStringLiteral("niutil -list . /users"), listing);
    shell.answer(QStringLiteral("niutil -read . /users/"), QStringLiteral("niutil: can't open directory: No such directory\n"));
    EXPECT_TRUE(finishesWithinTheLimit([] {
        Globals::resetForNewProcess();
        const GetUsers users;
        QList<std::shared_ptr<UserClass>> standard;
        users.FetchStandardUsers(standard);
        return users.Count() == 100000 && standard.isEmpty();
    }));
}
