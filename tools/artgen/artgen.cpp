// artgen: renders the pictures listed in a manifest from their SVG layers.
//
// Manifest lines (blank lines and lines starting with '#' are skipped):
//   <output file>  <width>x<height>  [options]  <layer> [<layer>...]
// A layer is "file.svg", "file.svg@dx,dy" (moved by whole pixels) or "file.svg@x,y,w,h"
// (drawn into that rectangle). Options:
//   key=#rrggbb  an opaque picture on a colour key: pixels less than half covered become
//                exactly the key colour, the rest take their own colour at full opacity and
//                never the key colour, so a window cut to the key has a clean edge.
//   bg=#rrggbb   an opaque picture on that background.
// The output kind follows the extension: .png (with alpha unless key/bg) or .bmp (24-bit).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextStream>
#include <cstdio>

namespace {

struct Layer {
    QString file;
    QRect rect; // target rectangle in output pixels
};

struct Entry {
    int line = 0;
    QString output;
    QSize size;
    bool hasKey = false;
    QColor key;
    bool hasBg = false;
    QColor bg;
    QList<Layer> layers;
};

void fail(const QString& text)
{
    std::fprintf(stderr, "artgen: %s\n", qPrintable(text));
}

bool parseLine(const QString& text, int lineNo, Entry& e)
{
    const QStringList parts = text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    if (parts.size() < 3) {
        fail(QString("line %1: output, size and at least one layer needed").arg(lineNo));
        return false;
    }
    e.line = lineNo;
    e.output = parts[0];
    const QStringList wh = parts[1].split('x');
    bool okW = false, okH = false;
    if (wh.size() == 2)
        e.size = QSize(wh[0].toInt(&okW), wh[1].toInt(&okH));
    if (!okW || !okH || e.size.width() <= 0 || e.size.height() <= 0 || e.size.width() > 4096
        || e.size.height() > 4096) {
        fail(QString("line %1: bad size %2").arg(lineNo).arg(parts[1]));
        return false;
    }
    for (int i = 2; i < parts.size(); ++i) {
        const QString& p = parts[i];
        if (p.startsWith("key=") || p.startsWith("bg=")) {
            const QColor c(p.mid(p.indexOf('=') + 1));
            if (!c.isValid()) {
                fail(QString("line %1: bad colour in %2").arg(lineNo).arg(p));
                return false;
            }
            if (p.startsWith("key=")) {
                e.hasKey = true;
                e.key = c;
            } else {
                e.hasBg = true;
                e.bg = c;
            }
            continue;
        }
        Layer layer;
        const int at = p.indexOf('@');
        layer.file = at < 0 ? p : p.left(at);
        layer.rect = QRect(QPoint(0, 0), e.size);
        if (at >= 0) {
            const QStringList n = p.mid(at + 1).split(',');
            QList<int> v;
            for (const QString& s : n) {
                bool ok = false;
                v.append(s.toInt(&ok));
                if (!ok) {
                    fail(QString("line %1: bad placement in %2").arg(lineNo).arg(p));
                    return false;
                }
            }
            if (v.size() == 2)
                layer.rect.translate(v[0], v[1]);
            else if (v.size() == 4)
                layer.rect = QRect(v[0], v[1], v[2], v[3]);
            else {
                fail(QString("line %1: bad placement in %2").arg(lineNo).arg(p));
                return false;
            }
        }
        e.layers.append(layer);
    }
    if (e.layers.isEmpty()) {
        fail(QString("line %1: no layer").arg(lineNo));
        return false;
    }
    return true;
}

// Opaque picture with a hard edge on the key colour (see the header comment).
QImage onKey(const QImage& art, const QColor& keyColour)
{
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    const QRgb key = keyColour.rgb();
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const QRgb p = in[x];
            if (qAlpha(p) < 128) {
                line[x] = key;
                continue;
            }
            QRgb c = qRgb(qRed(p), qGreen(p), qBlue(p));
            if ((c & 0xFFFFFFu) == (key & 0xFFFFFFu)) // never a hole inside the shape
                c = qRgb(qRed(c), qGreen(c), qBlue(c) ^ 1);
            line[x] = c;
        }
    }
    return out;
}

// Smallest faithful form: an indexed picture when it has at most 256 colours.
QImage compact(const QImage& img)
{
    const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, int> index;
    QList<QRgb> table;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = qAlpha(line[x]) == 0 ? 0u : line[x];
            if (!index.contains(c)) {
                if (table.size() == 256)
                    return img;
                index.insert(c, int(table.size()));
                table.append(c);
            }
        }
    }
    QImage out(argb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x)
            dst[x] = uchar(index.value(qAlpha(line[x]) == 0 ? 0u : line[x]));
    }
    return out;
}

bool render(const Entry& e, const QString& srcDir, const QString& outDir)
{
    QImage art(e.size, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const Layer& layer : e.layers) {
            QSvgRenderer svg(srcDir + "/" + layer.file);
            if (!svg.isValid()) {
                fail(QString("line %1: cannot render %2").arg(e.line).arg(layer.file));
                return false;
            }
            svg.render(&p, QRectF(layer.rect));
        }
    }
    QImage out;
    if (e.hasKey) {
        out = onKey(art, e.key);
    } else if (e.hasBg) {
        out = QImage(e.size, QImage::Format_RGB32);
        out.fill(e.bg);
        QPainter p(&out);
        p.drawImage(0, 0, art);
    } else {
        out = art.convertToFormat(QImage::Format_ARGB32);
    }

    const QString path = outDir + "/" + e.output;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool bmp = e.output.endsWith(".bmp", Qt::CaseInsensitive);
    if (bmp)
        out = out.convertToFormat(QImage::Format_RGB888);
    else
        out = compact(out);
    QImageWriter writer(path, bmp ? "bmp" : "png");
    if (!bmp)
        writer.setQuality(0); // strongest compression
    if (!writer.write(out)) {
        fail(QString("line %1: cannot write %2: %3").arg(e.line).arg(path, writer.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: artgen <manifest> <svg folder> <output folder>\n");
        return 2;
    }
    QFile manifest(args[1]);
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        fail("cannot open " + args[1]);
        return 1;
    }
    QList<Entry> entries;
    QTextStream in(&manifest);
    int lineNo = 0;
    bool ok = true;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        Entry e;
        if (parseLine(line, lineNo, e))
            entries.append(e);
        else
            ok = false;
    }
    if (!ok)
        return 1;
    int written = 0;
    for (const Entry& e : entries) {
        if (!render(e, args[2], args[3]))
            return 1;
        ++written;
    }
    std::printf("artgen: %d pictures written to %s\n", written, qPrintable(args[3]));
    return 0;
}
