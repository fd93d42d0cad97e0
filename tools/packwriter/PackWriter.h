#pragma once
// Writes pack archives: each file as a compressed file at level max, in the given order,
// then the index ("FileName=<name>.Tmp#FileSize=<bytes>" CR LF per entry) and its 4-byte length.
#include <QByteArray>
#include <QString>
#include <QStringList>

// The index line (CR LF included) of an entry stored as `storedName` taking `entryBytes`
// bytes of the archive.
QByteArray PackIndexLine(const QString& storedName, qint64 entryBytes);

// True when `fileName` can be stored in an index line and extracted again: a plain file
// name without blanks, control characters, "#", "=" or quotes.
bool IsPackableName(const QString& fileName);

// Writes `archive` from `files`; each entry is named after its file's name. Raises
// EFOpenError/EReadError for files that cannot be read or written and EQuillmoorError for
// names that cannot be stored or appear twice. The archive is replaced only when complete.
void WritePack(const QString& archive, const QStringList& files);
