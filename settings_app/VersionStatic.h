#pragma once

#include <QLabel>

// A static text showing "Version " and the application's major and minor
// version numbers.
class VersionStatic : public QLabel {
    Q_OBJECT

public:
    explicit VersionStatic(QWidget* parent = nullptr);

    // The text for a version record such as "1.0.0"; an empty record means
    // the version the program was built as.
    static QString versionText(const QString& versionRecord);
};
