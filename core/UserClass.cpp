#include "UserClass.h"

#include "NotYetBuilt.h"

UserClass::UserClass(const QString&) { notYetBuilt("UserClass.Constructor"); }
void PropertyList::set(const QString&, const QString&) { notYetBuilt("PropertyList.set"); }
bool PropertyList::has(const QString&) const { notYetBuilt("PropertyList.has"); }
QString PropertyList::value(const QString&) const { notYetBuilt("PropertyList.value"); }
QString PropertyList::valueOr(const QString&, const QString&) const { notYetBuilt("PropertyList.valueOr"); }
QImage UserClass::GetPicture() { notYetBuilt("UserClass.GetPicture"); }
QString UserClass::GetValue(const QString&) const { notYetBuilt("UserClass.GetValue"); }
QString UserClass::truncatedName() const { return Name.left(8); }
QImage UserClass::ScaledPicture() { notYetBuilt("UserClass.ScaledPicture"); }
void UserClass::setApplicationPicture(std::function<QImage()>) {}
