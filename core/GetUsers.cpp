#include "GetUsers.h"

#include "CommandRunner.h"
#include "StringStuff.h"
#include "TextCompare.h"

#include <QRegularExpression>

GetUsers::GetUsers()
{
    auto runner = CommandRunner::create();
    runner->Execute(QStringLiteral("niutil -list . /users"));
    QString listing = runner->Result();
    listing.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    listing.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& line : listing.split(QLatin1Char('\n'))) {
        const QString name = StringStuff::GetAfter(line, QStringLiteral(" ")).trimmed();
        // Only names an account can have reach the shell unquoted.
        if (name.isEmpty() || !isSafeShortName(name))
            continue;
        runner->Execute(QStringLiteral("niutil -read . /users/") + name);
        myUsers.append(std::make_shared<UserClass>(runner->Result()));
    }
}

GetUsers::~GetUsers() { myUsers.clear(); }

int GetUsers::Count() const { return static_cast<int>(myUsers.size()); }

std::shared_ptr<UserClass> GetUsers::Get(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return myUsers[index - 1];
}

void GetUsers::FetchStandardUsers(QList<std::shared_ptr<UserClass>>& list) const
{
    for (const auto& account : myUsers) {
        if (account->Shell.isEmpty() || TextCompare::contains(account->Shell, QStringLiteral("false"))
            || TextCompare::contains(account->Shell, QStringLiteral("null")) || TextCompare::same(account->Name, QStringLiteral("root"))
            || !isSafeShortName(account->Name))
            continue;
        list.append(account);
    }
}

bool GetUsers::isSafeShortName(const QString& name)
{
    // No leading '-' (it would read as an option) and no "." or ".." (they name
    // other directory records than the account's).
    static const QRegularExpression safe(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9._][A-Za-z0-9._-]*")));
    return safe.match(name).hasMatch() && name != QLatin1String(".") && name != QLatin1String("..");
}
