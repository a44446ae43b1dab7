#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <filesystem>

namespace tarvex::panel {

// A file in a directory, joined with the platform's separator.
inline QString InDirectory(const QString& directory, const QString& name) {
    return QDir::toNativeSeparators(QDir(directory).filePath(name));
}

// A file name as the standard library's file functions take it.
inline std::filesystem::path ToPath(const QString& name) {
#ifdef _WIN32
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

// The parameter log's name when none is stored.
inline QString DefaultParameterLogName(const QString& directory, const QString& serialNumber) {
    return InDirectory(directory, QStringLiteral("Tarvex_Param_Log_SN_") + serialNumber +
                                      QStringLiteral(".log"));
}

} // namespace tarvex::panel
