// The visual conformance harness: plays every movie of the corpus folder
// conformance/visual by its test.toml and compares the stage with the expected pictures.
//
//   swf_visual_harness [--passing FILE] [--new] [--save DIR] [NAME...]
//
// Prints a line per test and closes with "N passed, N failed[, N skipped]". Tests listed
// in the passing file must pass (the exit code says whether they did); --new (or the
// environment variable QM_VISUAL_NEW=1) lists passing tests missing from that file.
// --save writes the pictures drawn, for looking at failures. "[plain]" marks movies without
// scripts or video.
#include "TomlLite.h"

#include "swf/format/Reader.h"
#include "swf/player/Player.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <variant>

namespace {

struct Check {
    int tolerance = 0;
    qint64 maxOutliers = 0;
};

struct Comparison {
    QString name;
    int trigger = 0;
    std::vector<Check> checks;
    bool knownFailure = false;
};

struct TestCase {
    QString name;
    QString dir;
    int frames = 1;
    bool ignore = false;
    bool knownFailure = false;
    bool video = false;
    swf::Quality quality = swf::Quality::High;
    QSize viewport;
    std::vector<Comparison> comparisons;
    QJsonArray input;
};

int toInt(const QVariant& v, int fallback)
{
    bool ok = false;
    const int i = v.toInt(&ok);
    return v.isValid() && ok ? i : fallback;
}

bool readCase(const QString& dir, const QString& name, TestCase& t, QString& error)
{
    t.name = name;
    t.dir = dir;
    TomlLite toml;
    QFile f(dir + QStringLiteral("/test.toml"));
    if (f.open(QIODevice::ReadOnly)) {
        if (!toml.parse(QString::fromUtf8(f.readAll()))) {
            error = QStringLiteral("test.toml: ") + toml.error();
            return false;
        }
    }
    t.frames = toInt(toml.value({"num_frames"}), toInt(toml.value({"num_ticks"}), 1));
    t.ignore = toml.value({"ignore"}).toBool();
    t.knownFailure = toml.value({"known_failure"}).typeId() == QMetaType::Bool && toml.value({"known_failure"}).toBool();
    t.video = toml.value({"player_options", "with_video"}).toBool();
    if (toml.value({"player_options", "with_renderer", "quality"}).toString() == QLatin1String("low"))
        t.quality = swf::Quality::Low;
    for (const QStringList& base : {QStringList{"player_options", "viewport_dimensions"}, QStringList{"viewport_dimensions"}}) {
        const int w = toInt(toml.value(base + QStringList{"width"}), 0);
        const int h = toInt(toml.value(base + QStringList{"height"}), 0);
        if (w > 0 && h > 0)
            t.viewport = QSize(w, h);
    }
    for (const QString& c : toml.children({"image_comparisons"})) {
        Comparison cmp;
        cmp.name = c;
        const QStringList base{"image_comparisons", c};
        cmp.trigger = toInt(toml.value(base + QStringList{"trigger"}), t.frames);
        const QVariant known = toml.value(base + QStringList{"known_failure"});
        cmp.knownFailure = known.typeId() == QMetaType::Bool && known.toBool();
        const QStringList checks = toml.children(base + QStringList{"checks"});
        if (checks.isEmpty()) {
            cmp.checks.push_back({toInt(toml.value(base + QStringList{"tolerance"}), 0),
                                  toml.value(base + QStringList{"max_outliers"}).toLongLong()});
        } else {
            for (const QString& i : checks) {
                const QStringList cb = base + QStringList{"checks", i};
                cmp.checks.push_back({toInt(toml.value(cb + QStringList{"tolerance"}), 0),
                                      toml.value(cb + QStringList{"max_outliers"}).toLongLong()});
            }
        }
        t.comparisons.push_back(cmp);
    }
    QFile in(dir + QStringLiteral("/input.json"));
    if (in.open(QIODevice::ReadOnly))
        t.input = QJsonDocument::fromJson(in.readAll()).array();
    return true;
}

// Whether a movie carries scripts: DoAction or DoInitAction anywhere, sprites included.
bool hasScripts(const std::vector<swf::Tag>& tags)
{
    for (const swf::Tag& tag : tags) {
        if (std::holds_alternative<swf::DoAction>(tag.body) || std::holds_alternative<swf::DoInitAction>(tag.body))
            return true;
        if (const auto* s = std::get_if<swf::DefineSprite>(&tag.body); s && hasScripts(s->tags))
            return true;
    }
    return false;
}

// Channel values off by more than `tolerance`, or -1 when the sizes differ.
qint64 outliers(const QImage& actual, const QImage& expected, int tolerance)
{
    if (actual.size() != expected.size())
        return -1;
    qint64 count = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const uchar* a = actual.constScanLine(y);
        const uchar* e = expected.constScanLine(y);
        for (int x = 0; x < actual.width() * 4; ++x) {
            if (std::abs(int(a[x]) - int(e[x])) > tolerance)
                ++count;
        }
    }
    return count;
}

void sendInput(swf::Player& player, const QJsonArray& events, int& next)
{
    while (next < events.size()) {
        const QJsonObject e = events[next++].toObject();
        const QString type = e.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("Wait"))
            return;
        const QJsonArray pos = e.value(QStringLiteral("pos")).toArray();
        const QPointF p(pos.at(0).toDouble(), pos.at(1).toDouble());
        const bool left = e.value(QStringLiteral("btn")).toString(QStringLiteral("Left")) == QLatin1String("Left");
        if (type == QLatin1String("MouseMove"))
            player.mouseMove(p);
        else if (type == QLatin1String("MouseDown") && left)
            player.mousePress(p);
        else if (type == QLatin1String("MouseUp") && left)
            player.mouseRelease(p);
        else if (type == QLatin1String("MouseWheel"))
            player.mouseWheel(e.value(QStringLiteral("lines")).toInt());
        else if (type == QLatin1String("KeyDown")) {
            const QString key = e.value(QStringLiteral("key")).toString();
            static const QHash<QString, int> named{
                {"Tab", Qt::Key_Tab},     {"Escape", Qt::Key_Escape}, {"Enter", Qt::Key_Return},
                {"Return", Qt::Key_Return}, {"Backspace", Qt::Key_Backspace}, {"Delete", Qt::Key_Delete},
                {"Left", Qt::Key_Left},   {"Right", Qt::Key_Right},   {"Up", Qt::Key_Up},
                {"Down", Qt::Key_Down},   {"Home", Qt::Key_Home},     {"End", Qt::Key_End},
                {"PageUp", Qt::Key_PageUp}, {"PageDown", Qt::Key_PageDown}, {"Insert", Qt::Key_Insert},
            };
            if (named.contains(key)) {
                player.keyPress(named.value(key), QChar());
            } else if (key.size() == 1) {
                player.keyPress(key[0].toUpper().unicode(), key[0]);
            }
        }
        // Focus events need the script machine's objects: left out for now.
    }
}

struct Outcome {
    bool pass = true;
    QStringList notes;
};

Outcome runCase(const TestCase& t, const QString& saveDir)
{
    Outcome out;
    swf::Player player;
    if (!player.load(t.dir + QStringLiteral("/test.swf"))) {
        out.pass = false;
        out.notes << QStringLiteral("movie did not load");
        return out;
    }
    player.setQuality(t.quality);
    const QSize size = t.viewport.isValid() ? t.viewport : player.stageSize();
    if (t.comparisons.empty())
        out.notes << QStringLiteral("no picture to compare");
    int nextEvent = 0;
    int lastTrigger = 0;
    for (const Comparison& c : t.comparisons)
        lastTrigger = std::max(lastTrigger, c.trigger);
    for (int frame = 1; frame <= std::max(1, lastTrigger); ++frame) {
        // Each tick takes the input up to its Wait, then runs the frame (the first frame
        // ran when the movie loaded).
        sendInput(player, t.input, nextEvent);
        if (frame > 1)
            player.advanceFrame();
        for (const Comparison& c : t.comparisons) {
            if (c.trigger != frame)
                continue;
            const QImage actual = player.renderFrame(size).convertToFormat(QImage::Format_RGBA8888);
            if (!saveDir.isEmpty())
                actual.save(saveDir + QLatin1Char('/') + t.name + QLatin1Char('.') + c.name + QStringLiteral(".png"));
            QImage expected(t.dir + QLatin1Char('/') + c.name + QStringLiteral(".expected.png"));
            if (expected.isNull()) {
                out.pass = false;
                out.notes << c.name + QStringLiteral(": no expected picture");
                continue;
            }
            expected = expected.convertToFormat(QImage::Format_RGBA8888);
            for (const Check& check : c.checks) {
                const qint64 off = outliers(actual, expected, check.tolerance);
                if (off < 0) {
                    out.pass = false;
                    out.notes << QStringLiteral("%1: drawn %2x%3, expected %4x%5")
                                     .arg(c.name)
                                     .arg(actual.width())
                                     .arg(actual.height())
                                     .arg(expected.width())
                                     .arg(expected.height());
                    break;
                }
                if (off > check.maxOutliers) {
                    out.pass = false;
                    out.notes << QStringLiteral("%1: %2 channel values off by more than %3 (allowed %4)")
                                     .arg(c.name)
                                     .arg(off)
                                     .arg(check.tolerance)
                                     .arg(check.maxOutliers);
                }
            }
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments();
    args.removeFirst();
    QString passingFile, saveDir;
    bool printNew = qEnvironmentVariable("QM_VISUAL_NEW") == QLatin1String("1");
    QStringList only;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--passing") && i + 1 < args.size())
            passingFile = args[++i];
        else if (args[i] == QLatin1String("--save") && i + 1 < args.size())
            saveDir = args[++i];
        else if (args[i] == QLatin1String("--new"))
            printNew = true;
        else
            only << args[i];
    }
    const QString corpus = qEnvironmentVariable("QM_CORPUS", QStringLiteral(QM_CORPUS_DIR));
    const QDir root(corpus + QStringLiteral("/conformance/visual"));
    if (!root.exists()) {
        out << "no corpus at " << root.path() << "\n0 passed, 0 failed\n";
        return 1;
    }
    QSet<QString> listed;
    if (!passingFile.isEmpty()) {
        QFile f(passingFile);
        if (!f.open(QIODevice::ReadOnly)) {
            out << "cannot read " << passingFile << '\n';
            return 1;
        }
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const QString name = line.section(QLatin1Char('#'), 0, 0).trimmed();
            if (!name.isEmpty())
                listed.insert(name);
        }
    }
    if (!saveDir.isEmpty())
        QDir().mkpath(saveDir);

    int passed = 0, failed = 0, skipped = 0;
    int plainTotal = 0, plainPassed = 0, knownTotal = 0, knownPassed = 0;
    QStringList regressions, newlyPassing;
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!only.isEmpty() && !only.contains(name))
            continue;
        TestCase t;
        QString error;
        const QString dir = root.filePath(name);
        if (!readCase(dir, name, t, error)) {
            out << "FAIL " << name << ": " << error << '\n';
            ++failed;
            if (listed.contains(name))
                regressions << name;
            continue;
        }
        if (t.ignore) {
            out << "SKIP " << name << " (ignored by its test.toml)\n";
            ++skipped;
            continue;
        }
        bool known = t.knownFailure;
        for (const Comparison& c : t.comparisons)
            known = known || c.knownFailure;
        const swf::Movie movie = swf::readMovieFile((dir + QStringLiteral("/test.swf")).toStdString());
        const bool plain = movie.headerValid && !hasScripts(movie.tags) && !t.video;

        const Outcome o = runCase(t, saveDir);
        const QString notes = o.notes.isEmpty() ? QString() : QStringLiteral(": ") + o.notes.join(QStringLiteral("; "));
        if (known) {
            ++knownTotal;
            knownPassed += o.pass ? 1 : 0;
            ++skipped;
            out << "KNOWN " << name << (o.pass ? " (passes)" : " (fails)") << notes << '\n';
            continue;
        }
        if (plain) {
            ++plainTotal;
            plainPassed += o.pass ? 1 : 0;
        }
        if (o.pass) {
            ++passed;
            out << "PASS " << name << (plain ? " [plain]" : "") << '\n';
            if (!listed.contains(name))
                newlyPassing << name;
        } else {
            ++failed;
            out << "FAIL " << name << (plain ? " [plain]" : "") << notes << '\n';
            if (listed.contains(name))
                regressions << name;
        }
        out.flush();
    }
    out << "known failures of the recording player (not counted): " << knownPassed << " of " << knownTotal
        << " pass\n";
    out << "movies without scripts or video: " << plainPassed << " of " << plainTotal << " pass\n";
    if (printNew && !passingFile.isEmpty()) {
        out << "passing but not in " << passingFile << ":" << (newlyPassing.isEmpty() ? " none" : "") << '\n';
        for (const QString& n : newlyPassing)
            out << "  " << n << '\n';
    }
    if (!regressions.isEmpty())
        out << "listed as passing but failed: " << regressions.join(QStringLiteral(", ")) << '\n';
    out << passed << " passed, " << failed << " failed";
    if (skipped)
        out << ", " << skipped << " skipped";
    out << '\n';
    return regressions.isEmpty() ? 0 : 1;
}
