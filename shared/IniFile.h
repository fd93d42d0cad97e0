#pragma once
// One settings file in the INI format. Every call opens the file, does one operation and
// closes it again, so a value written anywhere is seen by the next read everywhere.
//
// Reading: section and key names match without regard to case; the first matching section
// and key count; blanks around a value and one pair of enclosing quotes are removed; at most
// 2047 characters come back; anything missing or unreadable reads as the empty text.
// Writing: creates the file, the section and the key as needed and replaces a value in place,
// keeping every other line byte for byte. The new file is written beside the old one and
// renamed over it, under a lock, so a crash or a second writer never leaves a half-written
// file or loses the other writer's value.
#include <QString>

class IniFile {
public:
    static constexpr int kMaxValueLength = 2047;
    // A settings file larger than this is treated as unreadable; writes to it are refused.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QString read(const QString& section, const QString& key) const;
    // Throws EIniFileException("Unable to write to <path>") when the file cannot be written.
    void write(const QString& section, const QString& key, const QString& value) const;

private:
    QString m_path;
};
