#pragma once

#include "UserClass.h"

#include <QList>
#include <memory>

// Reads every account of the local directory at construction.
class GetUsers {
public:
    GetUsers();
    ~GetUsers();

    int Count() const;
    // Positions 1 to Count; nullptr outside.
    std::shared_ptr<UserClass> Get(int index) const;
    // Appends the standard accounts (a real login shell, not root, a short
    // name safe on a command line) to list.
    void FetchStandardUsers(QList<std::shared_ptr<UserClass>>& list) const;

    // Account short names that may reach a command line: letters, digits, '.',
    // '_', '-', not starting with '-', not "." or "..".
    static bool isSafeShortName(const QString& name);

private:
    QList<std::shared_ptr<UserClass>> myUsers;
};
