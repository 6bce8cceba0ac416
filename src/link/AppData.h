// The process-wide data block that the application object owns: the open log,
// the connected logger's setup block and the program folder.
#pragma once

#include "link/LoggerConfig.h"
#include "logdata/LogDocument.h"
#include "logdata/LogFolder.h"
#include "logdata/LogStore.h"
#include "logdata/OpenLogLimits.h"

#include <QString>

struct AppData {
    LogStore store;
    // Every change of the open log goes through the document, which announces it.
    LogDocument document{store};
    LoggerConfig config;
    // The alarm limits of the open log's logger, from the per-user settings.
    OpenLogLimits limits{store};
    // Folder that holds Logger.ini and Logfiles/, ending with a separator.
    QString programFolder;

    QString logFolder() const { return LogFolderPath(programFolder); }
    QString logFilePath(const QString& fileName) const { return logFolder() + fileName; }
};
