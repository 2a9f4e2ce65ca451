// The settings file: any bytes read without a crash or a read past the end,
// and what a save writes is a complete file that reads back to the same save.
#include "FuzzWorld.h"

#include "Methods.h"
#include "RuntimeError.h"
#include "SettingsStream.h"
#include "SystemPaths.h"

namespace {
const QString kAccount = QStringLiteral("shell: /bin/bash\nhome: /Users/%1\nauthentication_authority: ;ShadowHash;\n");

// The directory the file meets: two managed accounts (one in capitals, as
// names match whatever their case) and two that are not.
void answerAccounts(FuzzWorld& world)
{
    world.answerDirectory(QStringLiteral("0 root\n1 bob\n2 CAROL\n3 daemon\n"),
                          {{QStringLiteral("root"), QStringLiteral("name: root\nshell: /bin/sh\n")},
                           {QStringLiteral("bob"), QStringLiteral("name: bob\n") + kAccount.arg(QStringLiteral("bob"))},
                           {QStringLiteral("CAROL"), QStringLiteral("name: CAROL\n") + kAccount.arg(QStringLiteral("carol"))},
                           {QStringLiteral("daemon"), QStringLiteral("name: daemon\nshell: /usr/bin/false\n")}});
}

// Every field a save writes, in order, and nothing after the last record.
bool readsCompletely(const QByteArray& bytes)
{
    SettingsReader reader(bytes);
    try {
        const int prefs = reader.readCount();
        for (int i = 0; i < 2 * prefs; ++i)
            reader.readText();
        const int users = reader.readCount();
        for (int i = 0; i < users; ++i) {
            reader.readText();
            reader.readNumber();
            reader.readByte();
            for (int s = 0; s < 3; ++s) {
                reader.readText();
                for (int f = 0; f < 4; ++f)
                    reader.readFlag();
                reader.readNumber();
                reader.readFlag();
                reader.readNumber();
                reader.readNumber();
                reader.readFlag();
                reader.readNumber();
            }
        }
    } catch (const DamagedFileError&) {
        return false;
    }
    return reader.bytesLeft() == 0;
}

void startWithAccounts(FuzzWorld& world)
{
    world.startProcess();
    answerAccounts(world);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWorld& world = FuzzWorld::instance();
    startWithAccounts(world);
    world.writeSystemFile(SystemPaths::settingsFile, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    Methods::ReadPrefs();
    fuzzCheck(Methods::SaveSettings(true), "the save after a read failed");
    const QByteArray first = world.readSystemFile(SystemPaths::settingsFile);
    fuzzCheck(readsCompletely(first), "a save wrote an incomplete file");

    // What was saved reads back without damage and saves the same bytes again.
    startWithAccounts(world);
    world.writeSystemFile(SystemPaths::settingsFile, first);
    Methods::ReadPrefs();
    fuzzCheck(!Methods::settingsFileDamaged(), "a saved file reads back as damaged");
    fuzzCheck(Methods::SaveSettings(true), "the second save failed");
    const QByteArray second = world.readSystemFile(SystemPaths::settingsFile);
    fuzzCheck(first == second, "a save does not survive a read", QString::fromLatin1(first.toHex()) + QStringLiteral(" / ") + QString::fromLatin1(second.toHex()));
    return 0;
}
