#pragma once

#include <QDir>
#include <QString>

namespace tarvex::panel {

// A file in a directory, joined with the platform's separator.
inline QString InDirectory(const QString& directory, const QString& name) {
    return QDir::toNativeSeparators(QDir(directory).filePath(name));
}

// The parameter log's name when none is stored.
inline QString DefaultParameterLogName(const QString& directory, const QString& serialNumber) {
    return InDirectory(directory, QStringLiteral("Tarvex_Param_Log_SN_") + serialNumber +
                                      QStringLiteral(".log"));
}

} // namespace tarvex::panel
