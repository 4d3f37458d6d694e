#pragma once
// Small tools shared by the feedback tests.

#include "TestEnv.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

// The stored paths of a 7z archive, as the real "7z l" lists them, sorted.
inline QStringList archiveEntries(const QString& archive)
{
    QByteArray output;
    if (!SrTest::run(QStandardPaths::findExecutable("7z"), {"l", "-slt", "-ba", archive}, 60000, &output))
        return {"<cannot list>"};
    QStringList entries;
    for (const QByteArray& line : output.split('\n'))
        if (line.startsWith("Path = "))
            entries << QString::fromUtf8(line.mid(7)).trimmed();
    entries.sort();
    return entries;
}

// Writes an executable shell script `folder`/`name` (a stand-in helper); returns its path.
inline QString writeScript(const QString& folder, const QString& name, const QByteArray& body)
{
    const QString path = folder + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return path;
}
