#include "shared/IniFile.h"

#include "shared/Errors.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

struct Line {
    QByteArray text; // without its line end
    QByteArray end;  // "\r\n", "\n", "\r" or empty for an unterminated last line
};

std::vector<Line> splitLines(const QByteArray& data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    const qsizetype n = data.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c != '\n' && c != '\r')
            continue;
        Line line { data.mid(start, i - start), {} };
        if (c == '\r' && i + 1 < n && data[i + 1] == '\n') {
            line.end = "\r\n";
            ++i;
        } else {
            line.end = QByteArray(1, c);
        }
        lines.push_back(std::move(line));
        start = i + 1;
    }
    if (start < n)
        lines.push_back({ data.mid(start), {} });
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimBlanks(const QByteArray& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

bool sameName(const QByteArray& fileName, const QString& wanted)
{
    return QString::fromUtf8(fileName).compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

// The section name of a section line, or nothing for another line.
std::optional<QByteArray> sectionName(const QByteArray& text)
{
    const QByteArray t = trimBlanks(text);
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    return trimBlanks(t.mid(1, close < 0 ? -1 : close - 1));
}

// Key and raw value of a key line, or nothing for a comment or a line without "=".
std::optional<std::pair<QByteArray, QByteArray>> keyValue(const QByteArray& text)
{
    const QByteArray t = trimBlanks(text);
    if (t.isEmpty() || t.startsWith(';'))
        return std::nullopt;
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return std::make_pair(trimBlanks(text.left(eq)), text.mid(eq + 1));
}

struct Location {
    std::optional<size_t> section;   // index of the section line
    std::optional<size_t> key;       // index of the key line
    size_t lastContentInSection = 0; // last non-blank line of the section
};

Location locate(const std::vector<Line>& lines, const QString& section, const QString& key)
{
    Location loc;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i].text)) {
            if (loc.section)
                break; // the section ended
            if (sameName(*name, section)) {
                loc.section = i;
                loc.lastContentInSection = i;
            }
            continue;
        }
        if (!loc.section)
            continue;
        if (!trimBlanks(lines[i].text).isEmpty())
            loc.lastContentInSection = i;
        if (!loc.key) {
            auto kv = keyValue(lines[i].text);
            if (kv && sameName(kv->first, key))
                loc.key = i;
        }
    }
    return loc;
}

std::optional<QByteArray> readWholeFile(const QString& path, bool& exists)
{
    QFile f(path);
    exists = f.exists();
    if (!exists)
        return QByteArray();
    if (!f.open(QIODevice::ReadOnly) || f.size() > IniFile::kMaxFileSize)
        return std::nullopt;
    QByteArray data = f.read(IniFile::kMaxFileSize + 1);
    if (data.size() > IniFile::kMaxFileSize || f.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

// Serialises writers of one settings file, in this process and in others. The lock lives in
// a file of its own because the settings file itself is replaced by every write.
class WriterLock {
public:
    explicit WriterLock(const QString& iniPath)
    {
        const QFileInfo info(iniPath);
        const QByteArray lockPath = QFile::encodeName(info.absolutePath() + QStringLiteral("/.")
                                                      + info.fileName() + QStringLiteral(".lock"));
        m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) { }
        }
    }
    ~WriterLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A value is one line: a line break in it would turn the rest into keys of its own.
QByteArray oneLine(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v.toUtf8();
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

QString IniFile::read(const QString& section, const QString& key) const
{
    bool exists = false;
    const std::optional<QByteArray> data = readWholeFile(m_path, exists);
    if (!data || data->isEmpty())
        return {};
    const std::vector<Line> lines = splitLines(*data);
    const Location loc = locate(lines, section, key);
    if (!loc.key)
        return {};
    QByteArray value = trimBlanks(keyValue(lines[*loc.key].text)->second);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return QString::fromUtf8(value).left(kMaxValueLength);
}

void IniFile::write(const QString& section, const QString& key, const QString& value) const
{
    const auto refuse = [this]() {
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(m_path));
    };

    WriterLock lock(m_path);
    if (!lock.held())
        refuse();

    bool exists = false;
    const std::optional<QByteArray> data = readWholeFile(m_path, exists);
    if (!data)
        refuse();

    std::vector<Line> lines = splitLines(*data);
    QByteArray eol = "\n";
    for (const Line& l : lines) {
        if (!l.end.isEmpty()) {
            eol = l.end;
            break;
        }
    }

    const Location loc = locate(lines, section, key);
    if (loc.key) {
        Line& line = lines[*loc.key];
        const qsizetype eq = line.text.indexOf('=');
        line.text = line.text.left(eq + 1) + oneLine(value);
    } else {
        const Line keyLine { key.trimmed().toUtf8() + '=' + oneLine(value), eol };
        if (loc.section) {
            const size_t after = loc.lastContentInSection;
            if (lines[after].end.isEmpty())
                lines[after].end = eol;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after + 1), keyLine);
        } else {
            if (!lines.empty() && lines.back().end.isEmpty())
                lines.back().end = eol;
            lines.push_back({ '[' + section.trimmed().toUtf8() + ']', eol });
            lines.push_back(keyLine);
        }
    }

    QByteArray out;
    out.reserve(data->size() + value.size() + section.size() + key.size() + 8);
    for (const Line& l : lines)
        out += l.text + l.end;

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        refuse();
}
