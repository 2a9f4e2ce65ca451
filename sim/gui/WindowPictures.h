#pragma once

#include <QString>

// Pictures of the settings application's windows for the README: each window
// as it is built today, on a fresh simulated machine on a Friday evening
// (three accounts, one an administrator, one with evening rules), drawn on the
// offscreen platform into FOLDER/NAME.png. A window that cannot be brought up
// yet is reported and left out.
namespace WindowPictures {
// shippedFolder: the build's NightfoldStartup. 0 when every picture that could
// be drawn was written, 1 when a file could not be written.
int render(const QString& folder, const QString& shippedFolder);
}  // namespace WindowPictures
