#include "TomlLite.h"

namespace {

const QChar kSep(0x1F);

void skipBlank(const QString& s, int& pos)
{
    while (pos < s.size() && (s[pos] == QLatin1Char(' ') || s[pos] == QLatin1Char('\t')))
        ++pos;
}

bool atCommentOrEnd(const QString& s, int pos)
{
    return pos >= s.size() || s[pos] == QLatin1Char('#');
}

bool parseString(const QString& s, int& pos, QString& out)
{
    const QChar quote = s[pos++];
    out.clear();
    while (pos < s.size() && s[pos] != quote) {
        if (quote == QLatin1Char('"') && s[pos] == QLatin1Char('\\') && pos + 1 < s.size()) {
            const QChar e = s[++pos];
            out += e == QLatin1Char('n') ? QChar('\n') : e == QLatin1Char('t') ? QChar('\t') : e;
        } else {
            out += s[pos];
        }
        ++pos;
    }
    if (pos >= s.size())
        return false;
    ++pos;
    return true;
}

} // namespace

void TomlLite::set(const QStringList& path, const QVariant& v)
{
    const QString k = path.join(kSep);
    if (!values_.contains(k))
        order_ << k;
    values_.insert(k, v);
}

QStringList TomlLite::children(const QStringList& path) const
{
    const QString prefix = path.isEmpty() ? QString() : path.join(kSep) + kSep;
    QStringList out;
    for (const QString& k : order_) {
        if (!k.startsWith(prefix))
            continue;
        const QString name = k.mid(prefix.size()).section(kSep, 0, 0);
        if (name != QStringLiteral("\x01") && !out.contains(name))
            out << name;
    }
    return out;
}

bool TomlLite::parseKey(const QString& s, int& pos, QStringList& key)
{
    for (;;) {
        skipBlank(s, pos);
        if (pos >= s.size())
            return false;
        QString part;
        if (s[pos] == QLatin1Char('"') || s[pos] == QLatin1Char('\'')) {
            if (!parseString(s, pos, part))
                return false;
        } else {
            while (pos < s.size() && (s[pos].isLetterOrNumber() || s[pos] == QLatin1Char('_') || s[pos] == QLatin1Char('-')))
                part += s[pos++];
            if (part.isEmpty())
                return false;
        }
        key << part;
        skipBlank(s, pos);
        if (pos < s.size() && s[pos] == QLatin1Char('.')) {
            ++pos;
            continue;
        }
        return true;
    }
}

bool TomlLite::parseValue(const QString& s, int& pos, const QStringList& key)
{
    skipBlank(s, pos);
    if (pos >= s.size())
        return false;
    const QChar c = s[pos];
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
        QString v;
        if (!parseString(s, pos, v))
            return false;
        set(key, v);
        return true;
    }
    if (c == QLatin1Char('{')) {
        ++pos;
        for (;;) {
            skipBlank(s, pos);
            if (pos < s.size() && s[pos] == QLatin1Char('}')) {
                ++pos;
                return true;
            }
            QStringList sub = key;
            if (!parseKey(s, pos, sub))
                return false;
            skipBlank(s, pos);
            if (pos >= s.size() || s[pos] != QLatin1Char('='))
                return false;
            ++pos;
            if (!parseValue(s, pos, sub))
                return false;
            skipBlank(s, pos);
            if (pos < s.size() && s[pos] == QLatin1Char(','))
                ++pos;
        }
    }
    if (c == QLatin1Char('[')) {
        ++pos;
        QVariantList list;
        int index = 0;
        for (;;) {
            skipBlank(s, pos);
            if (pos >= s.size())
                return false;
            if (s[pos] == QLatin1Char(']')) {
                ++pos;
                set(key, list);
                return true;
            }
            QStringList sub = key;
            sub << QString::number(index++);
            if (!parseValue(s, pos, sub))
                return false;
            list << value(sub);
            skipBlank(s, pos);
            if (pos < s.size() && s[pos] == QLatin1Char(','))
                ++pos;
        }
    }
    // A bare word: boolean or number (underscores allowed between digits).
    QString word;
    while (pos < s.size() && s[pos] != QLatin1Char(',') && s[pos] != QLatin1Char('}') && s[pos] != QLatin1Char(']')
           && s[pos] != QLatin1Char('#') && !s[pos].isSpace())
        word += s[pos++];
    if (word == QLatin1String("true") || word == QLatin1String("false")) {
        set(key, word == QLatin1String("true"));
        return true;
    }
    word.remove(QLatin1Char('_'));
    bool ok = false;
    const qlonglong i = word.toLongLong(&ok, 0);
    if (ok) {
        set(key, i);
        return true;
    }
    const double d = word.toDouble(&ok);
    if (ok) {
        set(key, d);
        return true;
    }
    return false;
}

bool TomlLite::parse(const QString& text)
{
    values_.clear();
    order_.clear();
    arrayCounts_.clear();
    error_.clear();
    QStringList table;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        int pos = 0;
        if (atCommentOrEnd(line, pos))
            continue;
        auto fail = [&] {
            error_ = QStringLiteral("line %1: cannot read \"%2\"").arg(n + 1).arg(line);
            return false;
        };
        if (line.startsWith(QLatin1String("[["))) {
            pos = 2;
            QStringList key;
            if (!parseKey(line, pos, key) || !line.mid(pos).trimmed().startsWith(QLatin1String("]]")))
                return fail();
            const QString k = key.join(kSep);
            const int index = arrayCounts_.value(k, 0);
            arrayCounts_[k] = index + 1;
            table = key;
            table << QString::number(index);
            set(table + QStringList{QStringLiteral("\x01")}, true); // marks the table as present
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            pos = 1;
            QStringList key;
            if (!parseKey(line, pos, key) || !line.mid(pos).trimmed().startsWith(QLatin1Char(']')))
                return fail();
            table = key;
            set(table + QStringList{QStringLiteral("\x01")}, true);
            continue;
        }
        QStringList key = table;
        if (!parseKey(line, pos, key))
            return fail();
        skipBlank(line, pos);
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail();
        ++pos;
        // Multi-line arrays: join lines until the brackets balance.
        QString joined = line;
        int depth = 0;
        bool inString = false;
        auto balance = [&](const QString& l) {
            for (QChar ch : l) {
                if (ch == QLatin1Char('"'))
                    inString = !inString;
                else if (!inString && (ch == QLatin1Char('[') || ch == QLatin1Char('{')))
                    ++depth;
                else if (!inString && (ch == QLatin1Char(']') || ch == QLatin1Char('}')))
                    --depth;
                else if (!inString && ch == QLatin1Char('#'))
                    break;
            }
        };
        balance(line.mid(pos));
        while (depth > 0 && n + 1 < lines.size()) {
            const QString next = lines[++n].trimmed();
            balance(next);
            joined += QLatin1Char(' ') + next;
        }
        if (!parseValue(joined, pos, key))
            return fail();
    }
    return true;
}
