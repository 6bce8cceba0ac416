// The process-wide data block that the application object owns: the open log,
// the connected logger's setup block and the program folder.
#pragma once

#include "link/LoggerConfig.h"
#include "logdata/LogStore.h"

#include <QString>

struct AppData {
    LogStore store;
    LoggerConfig config;
    // Folder that holds Logger.ini and Logfiles/, ending with a separator.
    QString programFolder;

    QString logFolder() const { return programFolder + QStringLiteral("Logfiles/"); }
    QString logFilePath(const QString& fileName) const { return logFolder() + fileName; }
};
