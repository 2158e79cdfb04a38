// Shared set-up of the desktop program's Qt Test suites: a private profile and autosave
// folder per suite, and small file helpers.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "AppSettings.h"

namespace varnel::testing {

/// Points the profile and the autosave folder into `dir` and empties both.
inline void isolateProfile(const QTemporaryDir& dir)
{
    QApplication::setOrganizationName(QStringLiteral("Varnel"));
    QApplication::setApplicationName(QStringLiteral("VarnelTest"));
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("config"));
    QSettings().clear();
    QDir(dir.filePath("data")).removeRecursively();
    registerSymbolFaces();
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace varnel::testing
