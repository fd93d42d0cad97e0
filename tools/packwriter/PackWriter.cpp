#include "tools/packwriter/PackWriter.h"

#include "shared/Errors.h"
#include "shared/kvZipUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>

#include <array>
#include <limits>

namespace {

const QString kStoredSuffix = QStringLiteral(".Tmp");

void appendFile(QSaveFile& out, const QString& archive, const QString& part)
{
    QFile in(part);
    if (!in.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(part, in.errorString()));
    std::array<char, 64 * 1024> buf {};
    for (;;) {
        const qint64 got = in.read(buf.data(), buf.size());
        if (got < 0)
            throw EReadError(QStringLiteral("\"%1\" could not be read. %2").arg(part, in.errorString()));
        if (got == 0)
            break;
        if (out.write(buf.data(), got) != got)
            throw EFOpenError(QStringLiteral("Cannot write file \"%1\". %2").arg(archive, out.errorString()));
    }
}

} // namespace

QByteArray PackIndexLine(const QString& storedName, qint64 entryBytes)
{
    return QStringLiteral("FileName=%1#FileSize=%2\r\n").arg(storedName).arg(entryBytes).toUtf8();
}

bool IsPackableName(const QString& fileName)
{
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return false;
    for (QChar c : fileName) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c == QLatin1Char('#') || c == QLatin1Char('=')
            || c == QLatin1Char('"') || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

void WritePack(const QString& archive, const QStringList& files)
{
    QSet<QString> seen;
    for (const QString& file : files) {
        const QString name = QFileInfo(file).fileName();
        if (!IsPackableName(name))
            throw EQuillmoorError(QStringLiteral("\"%1\" cannot be stored in a pack: its name must have no "
                                                 "blanks, control characters, #, = or quotes.")
                                      .arg(file));
        if (seen.contains(name))
            throw EQuillmoorError(QStringLiteral("Two files named \"%1\" cannot go into one pack.").arg(name));
        seen.insert(name);
    }

    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw EFOpenError(QStringLiteral("Cannot create a temporary folder. %1").arg(scratch.errorString()));

    QSaveFile out(archive);
    if (!out.open(QIODevice::WriteOnly))
        throw EFOpenError(QStringLiteral("Cannot create file \"%1\". %2").arg(archive, out.errorString()));

    QByteArray index;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString part = scratch.filePath(QString::number(i));
        CompressFile(files[i], part, TCompressionLevel::clMax);
        appendFile(out, archive, part);
        index += PackIndexLine(QFileInfo(files[i]).fileName() + kStoredSuffix, QFileInfo(part).size());
        QFile::remove(part);
    }
    if (index.size() > std::numeric_limits<qint32>::max() - 4)
        throw EQuillmoorError(QStringLiteral("The index of \"%1\" would be too long.").arg(archive));
    const quint32 n = quint32(index.size() + 4);
    const std::array<char, 4> tail { char(n & 0xFF), char((n >> 8) & 0xFF), char((n >> 16) & 0xFF),
                                     char((n >> 24) & 0xFF) };
    if (out.write(index) != index.size() || out.write(tail.data(), 4) != 4 || !out.commit())
        throw EFOpenError(QStringLiteral("Cannot write file \"%1\". %2").arg(archive, out.errorString()));
}
