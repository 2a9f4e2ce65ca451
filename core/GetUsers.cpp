#include "GetUsers.h"

#include "NotYetBuilt.h"

GetUsers::GetUsers() = default;
GetUsers::~GetUsers() = default;
int GetUsers::Count() const { return static_cast<int>(myUsers.size()); }
std::shared_ptr<UserClass> GetUsers::Get(int) const { notYetBuilt("GetUsers.Get"); }
void GetUsers::FetchStandardUsers(QList<std::shared_ptr<UserClass>>&) const { notYetBuilt("GetUsers.FetchStandardUsers"); }
bool GetUsers::isSafeShortName(const QString&) { notYetBuilt("GetUsers.isSafeShortName"); }
