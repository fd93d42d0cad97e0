#pragma once
// Folders, settings, message boxes, shell operations and text formatters used by both the
// program and the dialog library. The functions keep no state: each call works on the file
// system or the settings file directly.
#include <QString>
#include <QStringList>

class QWidget;

// The application title used in captions of questions and error boxes.
QString AppTitle();
// The program's home page: its own guide, help.html in the program folder, as a file address.
// Quillmoor has no web site, so everything that names a home page opens the guide.
QString HomePageUrl();

// ---- Folders (every folder returned ends with the path delimiter) ----

// Folder of the running executable (the process's own, also inside the dialog library).
QString GetAppPath();
// The install folder from the installation record, else GetAppPath().
QString GetInstallPath();
// The program's per-user data folder (~/.local/share/Quillmoor/).
QString GetSystemPath();
// The user's temporary folder.
QString GetTempDir();
// The text unchanged when it ends with the delimiter, else with one delimiter appended.
QString AddBackslash(const QString& path);

// Where GetInstallPath looks for the installation record ([My Program] InstallPath=…).
// Tests point it elsewhere; an empty text restores the system location.
void SetInstallRecordPath(const QString& iniPath);
QString InstallRecordPath();

// ---- Settings file (config.ini in GetAppPath()) ----

// Path of the settings file. Tests may point it elsewhere; an empty text restores the default.
QString ConfigPath();
void SetConfigPathForTesting(const QString& path);

QString ReadConfig(const QString& section, const QString& key);
// Throws EIniFileException("Unable to write to <path>") when the write is refused.
void WriteConfig(const QString& section, const QString& key, const QString& value);

// Moves `folder` to the front of the recent save folders ([Finished] Number / Item0…)
// of the settings file at `iniPath`.
void UpdateRecentFolders(const QString& iniPath, const QString& folder);

// ---- Message boxes (through prompts()) ----

// kind 1: "Error", 2: "Warning", 3: "Information"; any other kind shows nothing.
void ShowMsg(int kind, const QString& message);
// True when the file does not exist or the user did not answer No to replacing it.
bool ConfirmReplace(const QString& fileName);

// ---- Shell ----

// Opens a file, folder or address with the desktop's handler; the result is ignored.
void ShellOpen(QWidget* window, const QString& target);
// Shows the file selected in the file manager (or opens its folder); the result is ignored.
void SelectInExplorer(const QString& fileName);
// Deletes the folder with everything in it. True only when it existed and is gone.
bool DeleteDir(const QString& folder);
// Creates the folder's last level when missing; a missing parent makes it do nothing.
void EnsureDir(const QString& folder);

// ---- Sizes and durations ----

// Size of the file in bytes; throws EFOpenError when it cannot be opened.
qint64 FileSizeOf(const QString& fileName);
QString FileSizeText(const QString& fileName);
// "1KB" up to 1023 bytes, "<n>KB" below 1 MiB, "<m>MB" with one decimal above.
QString FormatSize(qint64 bytes);
// "h:m:s" without leading zeros.
QString FormatDuration(qint64 seconds);

// A whole decimal number with an optional sign and blanks around it; anything else throws
// EConvertError("'<text>' is not a valid integer value").
int StrToInt(const QString& text);
