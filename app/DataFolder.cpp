#include "app/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Permission bits do not tell the whole story (read-only mounts, administrators), so the
// folder is asked to hold a file.
bool canCreateFilesIn(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString chooseDataFolder(const QString& programFolder, const QString& perUserFolder)
{
    if (canCreateFilesIn(programFolder))
        return programFolder;
    QDir().mkpath(perUserFolder);
    return perUserFolder;
}

QString defaultDataFolder()
{
    return chooseDataFolder(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString automaticConfigPath(const QString& dataFolder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(dataFolder) + QStringLiteral("/配置.tvk"));
}

QString portsFolder(const QString& dataFolder)
{
    return QDir::cleanPath(dataFolder) + QStringLiteral("/ports");
}
