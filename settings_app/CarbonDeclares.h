#pragma once

class QWidget;

// The system calls the settings application makes by their system names.
namespace CarbonDeclares {
// Marks the window as having unsaved changes (or not); the title shows the
// mark where it holds "[*]".
void SetWindowModified(QWidget* window, bool modified);
}  // namespace CarbonDeclares
