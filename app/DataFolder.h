#pragma once

#include <QString>

// Where the technician's work is kept: the folder of the program file when it can be
// written, otherwise the application's per-user configuration folder, so that a copy
// installed in a system folder still keeps its table.
QString defaultDataFolder();
// The choice itself: the program's folder if a file can be created there, else the
// per-user folder (created when missing).
QString chooseDataFolder(const QString& programFolder, const QString& perUserFolder);

// The automatic configuration file inside a data folder, with native separators.
QString automaticConfigPath(const QString& dataFolder);

// The folder whose "COM<n>" entries name the device of port n.
QString portsFolder(const QString& dataFolder);
