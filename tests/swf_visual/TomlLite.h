#pragma once
// Just enough TOML for the test descriptions of the visual corpus: tables, arrays of
// tables, dotted and quoted keys, inline tables, strings, numbers, booleans and arrays.
// Values are kept by their key path; keys nobody asks for are simply never read.
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class TomlLite {
public:
    // Parses `text`; returns false and sets error() on a line it cannot read.
    bool parse(const QString& text);
    QString error() const { return error_; }

    // The value at a key path, e.g. {"player_options", "with_renderer", "quality"}.
    // Arrays of tables are addressed by index: {"image_comparisons", "output", "checks", "0", "tolerance"}.
    QVariant value(const QStringList& path) const { return values_.value(path.join(QChar(0x1F))); }
    bool has(const QStringList& path) const { return values_.contains(path.join(QChar(0x1F))); }
    // The names directly below a table path, in first-seen order.
    QStringList children(const QStringList& path) const;

private:
    bool parseKey(const QString& line, int& pos, QStringList& key);
    bool parseValue(const QString& line, int& pos, const QStringList& key);
    void set(const QStringList& path, const QVariant& v);

    QMap<QString, QVariant> values_;
    QStringList order_; // every path ever set, for children()
    QMap<QString, int> arrayCounts_;
    QString error_;
};
