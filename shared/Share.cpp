#include "shared/Share.h"

#include "shared/DesktopShell.h"
#include "shared/Errors.h"
#include "shared/IniFile.h"
#include "shared/Prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QUrl>
#include <cmath>

#ifndef QM_INSTALL_RECORD
#define QM_INSTALL_RECORD "/etc/xdg/Quillmoor/install.ini"
#endif

namespace {

const QChar kDelimiter = QLatin1Char('/');

QString& installRecordOverride()
{
    static QString path;
    return path;
}

QString& configOverride()
{
    static QString path;
    return path;
}

} // namespace

QString AppTitle()
{
    return QStringLiteral("Quillmoor");
}

QString HomePageUrl()
{
    return QUrl::fromLocalFile(GetAppPath() + QStringLiteral("help.html")).toString();
}

// ---- Folders ----

QString GetAppPath()
{
    // The process's own executable: inside the dialog library this is still the program.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return AddBackslash(QFileInfo(exe.canonicalFilePath()).absolutePath());
}

void SetInstallRecordPath(const QString& iniPath)
{
    installRecordOverride() = iniPath;
}

QString InstallRecordPath()
{
    const QString& o = installRecordOverride();
    return o.isEmpty() ? QStringLiteral(QM_INSTALL_RECORD) : o;
}

QString GetInstallPath()
{
    const QString installed = IniFile(InstallRecordPath()).read(QStringLiteral("My Program"),
                                                                 QStringLiteral("InstallPath"));
    return installed.isEmpty() ? GetAppPath() : AddBackslash(installed);
}

QString GetSystemPath()
{
    return AddBackslash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        + QStringLiteral("Quillmoor") + kDelimiter;
}

QString GetTempDir()
{
    return AddBackslash(QDir::tempPath());
}

QString AddBackslash(const QString& path)
{
    return path.endsWith(kDelimiter) ? path : path + kDelimiter;
}

// ---- Settings ----

QString ConfigPath()
{
    const QString& o = configOverride();
    return o.isEmpty() ? GetAppPath() + QStringLiteral("config.ini") : o;
}

void SetConfigPathForTesting(const QString& path)
{
    configOverride() = path;
}

QString ReadConfig(const QString& section, const QString& key)
{
    return IniFile(ConfigPath()).read(section, key);
}

void WriteConfig(const QString& section, const QString& key, const QString& value)
{
    IniFile(ConfigPath()).write(section, key, value);
}

void UpdateRecentFolders(const QString& iniPath, const QString& folder)
{
    const IniFile ini(iniPath);
    const QString section = QStringLiteral("Finished");
    const QString number = ini.read(section, QStringLiteral("Number"));
    const int max = number.isEmpty() ? 5 : StrToInt(number);

    QStringList kept;
    for (int i = 0; i < max; ++i) {
        const QString item = ini.read(section, QStringLiteral("Item%1").arg(i));
        if (item.isEmpty() || item == folder)
            break;
        kept << item;
    }
    if (kept.size() == max && !kept.isEmpty())
        kept.removeLast();
    kept.prepend(folder);
    for (int i = 0; i < kept.size(); ++i)
        ini.write(section, QStringLiteral("Item%1").arg(i), kept[i]);
}

// ---- Message boxes ----

void ShowMsg(int kind, const QString& message)
{
    Prompts::Icon icon;
    QString caption;
    switch (kind) {
    case 1: icon = Prompts::Icon::Error; caption = QStringLiteral("Error"); break;
    case 2: icon = Prompts::Icon::Warning; caption = QStringLiteral("Warning"); break;
    case 3: icon = Prompts::Icon::Information; caption = QStringLiteral("Information"); break;
    default: return;
    }
    prompts().message(QApplication::activeWindow(), icon, caption, message);
}

bool ConfirmReplace(const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return true;
    const QString text = fileName + QStringLiteral(" already exists.\nDo you want to replace it?");
    return prompts().question(QApplication::activeWindow(), Prompts::Icon::Question, AppTitle(), text)
        != Prompts::Answer::No;
}

// ---- Shell ----

void ShellOpen(QWidget* /*window*/, const QString& target)
{
    if (target.isEmpty())
        return;
    const QUrl asUrl(target);
    const bool isAddress = asUrl.isValid() && asUrl.scheme().size() > 1 && !QFileInfo::exists(target);
    desktopShell().openUrl(isAddress ? asUrl : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

void SelectInExplorer(const QString& fileName)
{
    desktopShell().showItems({ fileName });
}

bool DeleteDir(const QString& folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(kDelimiter))
        path.chop(1);
    const QFileInfo info(path);
    if (path.isEmpty() || (!info.exists() && !info.isSymLink()))
        return false;
    if (info.isSymLink()) {
        // Only the link goes; the folder it points to is not ours to delete.
        QFile::remove(path);
    } else if (info.isDir()) {
        QDir(path).removeRecursively();
    } else {
        return false;
    }
    return !QFileInfo(path).exists() && !QFileInfo(path).isSymLink();
}

void EnsureDir(const QString& folder)
{
    if (!folder.isEmpty())
        QDir().mkdir(folder);
}

// ---- Sizes and durations ----

qint64 FileSizeOf(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    return f.size();
}

QString FileSizeText(const QString& fileName)
{
    return QString::number(FileSizeOf(fileName));
}

QString FormatSize(qint64 bytes)
{
    const qint64 kb = bytes / 1024;
    if (kb < 1)
        return QStringLiteral("1KB");
    if (kb < 1024)
        return QString::number(kb) + QStringLiteral("KB");
    // One decimal place, halves to even (nearbyint under the default rounding mode).
    const double mb = std::nearbyint((static_cast<double>(kb) / 1024.0) / 0.1) * 0.1;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(mb, 'g', 15) + QStringLiteral("MB");
}

QString FormatDuration(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg((seconds % 3600) / 60).arg(seconds % 60);
}

int StrToInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
