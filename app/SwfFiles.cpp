#include "app/SwfFiles.h"

#include "shared/Share.h"

#include <QDirIterator>
#include <QFileInfo>

QString ExtractFileExt(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.mid(dot) : QString();
}

bool HasSwfExtension(const QString& path)
{
    return ExtractFileExt(path).toLower() == QLatin1String(".swf");
}

void GetSwfFiles(const QString& folder, QStringList& list)
{
    if (folder.isEmpty())
        return;
    const QString prefix = AddBackslash(folder);
    // No sorting: the order is the one the file system lists.
    QDirIterator it(prefix, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (HasSwfExtension(name))
            list << prefix + name;
    }
}

QStringList CollectDroppedSwfFiles(const QStringList& droppedPaths)
{
    QStringList files;
    for (const QString& path : droppedPaths) {
        if (HasSwfExtension(path))
            files << path;
        else if (ExtractFileExt(path).isEmpty() && QFileInfo(path).isDir())
            GetSwfFiles(path, files);
    }
    return files;
}
