#include "CarbonDeclares.h"

#include <QWidget>

namespace CarbonDeclares {
void SetWindowModified(QWidget* window, bool modified)
{
    if (window)
        window->setWindowModified(modified);
}
}  // namespace CarbonDeclares
