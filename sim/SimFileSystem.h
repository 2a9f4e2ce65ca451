#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The machine's files: every system path is taken below the root folder
// (SystemPaths::setRoot). With no root folder set ("/"), or for a path that
// would leave the root folder, nothing is read or written: the simulated
// machine never touches this computer's own files. Failures are the texts the
// tools would print.
namespace SimFileSystem {
// The real file for a system path; empty when it is out of bounds.
QString realPath(const QString& systemPath);
bool hasRoot();

bool exists(const QString& systemPath);
bool isFolder(const QString& systemPath);
std::optional<QByteArray> read(const QString& systemPath);
// Replaces the file; the folder above must exist.
bool write(const QString& systemPath, const QByteArray& bytes);
bool makeFolders(const QString& systemPath);

// cp: a file, or with recursive a folder. A destination that is an existing
// folder receives the copy inside it, under the source's name. Empty on
// success, else the error text.
QString copy(const QString& source, const QString& destination, bool recursive);
// rm -f (recursive: rm -R -f). A missing path is no error with -f.
QString remove(const QString& systemPath, bool recursive);
// touch: creates a missing file; an existing one is left as it is (the
// machine keeps no times of its own for files).
QString touch(const QString& systemPath);
}  // namespace SimFileSystem
