#pragma once
// Making a folder that nobody can write into, root included: root ignores permission bits, so
// the folder is made immutable as well. Shared by the saving tests.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

// Returns false when the platform allows neither way (the caller skips); true when the folder
// is unwritable now, or, with unwritable false, writable again.
inline bool make_unwritable(const QString& folder, bool unwritable)
{
    QFile::setPermissions(folder, unwritable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                             : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess::execute(QStringLiteral("chattr"), {unwritable ? "+i" : "-i", folder});
    if (!unwritable)
        return true;
    QFile probe(QDir(folder).filePath("probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (writable)
        probe.remove();
    return !writable;
}
