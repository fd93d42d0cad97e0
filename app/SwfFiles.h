#pragma once
// Collecting .swf files from folders and from dropped or given paths.
#include <QString>
#include <QStringList>

// The part of a file name from its last dot on ("" when the name has no dot).
QString ExtractFileExt(const QString& path);
// True when the path's extension, lower-cased, is ".swf".
bool HasSwfExtension(const QString& path);

// Appends the full paths of the .swf files directly inside `folder` (extension in any letter
// case, hidden files included, in the order the file system lists them) to `list`.
// A folder that does not exist adds nothing.
void GetSwfFiles(const QString& folder, QStringList& list);

// The paths to play from dropped items, in drop order: a ".swf" item is taken as a file;
// an existing folder whose name has no extension is replaced by its .swf files; anything
// else is ignored.
QStringList CollectDroppedSwfFiles(const QStringList& droppedPaths);
