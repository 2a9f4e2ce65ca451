#include "MenuBar1.h"

#include "NotYetBuilt.h"

namespace MenuBar1 {
QMenuBar* build(QWidget*) { notYetBuilt("MenuBar1.build"); }
QAction* item(QMenuBar*, const QString&) { notYetBuilt("MenuBar1.item"); }
QMenu* menu(QMenuBar*, const QString&) { notYetBuilt("MenuBar1.menu"); }
}  // namespace MenuBar1
