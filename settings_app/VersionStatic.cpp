#include "VersionStatic.h"

#include <QCoreApplication>
#include <QVersionNumber>

VersionStatic::VersionStatic(QWidget* parent) : QLabel(parent)
{
    setText(versionText(QCoreApplication::applicationVersion()));
}

QString VersionStatic::versionText(const QString& versionRecord)
{
    const QString record = versionRecord.isEmpty() ? QStringLiteral(NIGHTFOLD_VERSION) : versionRecord;
    const QVersionNumber version = QVersionNumber::fromString(record);
    return QStringLiteral("Version %1.%2").arg(version.majorVersion()).arg(version.minorVersion());
}
