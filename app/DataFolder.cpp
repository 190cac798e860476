#include "app/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString defaultDataFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(programFolder).isWritable())
        return programFolder;
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(perUser);
    return perUser;
}

QString automaticConfigPath(const QString& dataFolder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(dataFolder) + QStringLiteral("/配置.tvk"));
}

QString portsFolder(const QString& dataFolder)
{
    return QDir::cleanPath(dataFolder) + QStringLiteral("/ports");
}
