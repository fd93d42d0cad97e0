// qmtool dump: the tag tree of a movie, for debugging the reader and the player.
#include "Command.h"

#include "swf/format/Reader.h"

#include <cstdio>
#include <string>
#include <type_traits>

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string hex(std::uint64_t v, int width = 0)
{
    char b[32];
    std::snprintf(b, sizeof b, "0x%0*llX", width, static_cast<unsigned long long>(v));
    return b;
}

std::string num(double v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

std::string colour(const swf::Rgba& c)
{
    char b[16];
    std::snprintf(b, sizeof b, "#%02X%02X%02X%02X", c.r, c.g, c.b, c.a);
    return b;
}

std::string px(swf::Twips t)
{
    return num(t.toPixels());
}

std::string rect(const swf::Rect& r)
{
    return "(" + px(r.xMin) + "," + px(r.yMin) + ")-(" + px(r.xMax) + "," + px(r.yMax) + ") px";
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s.substr(0, 60))
        out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    return out + (s.size() > 60 ? "...\"" : "\"");
}

std::string bytesNote(const swf::Bytes& b)
{
    return std::to_string(b.size()) + " bytes";
}

std::string actionsNote(const swf::ActionBlock& b)
{
    std::string s = std::to_string(b.actions.size()) + " actions in " + bytesNote(b.bytes);
    if (b.decodeErrorAt)
        s += ", undecodable from +" + std::to_string(*b.decodeErrorAt);
    return s;
}

std::string pushValue(const swf::PushValue& v)
{
    using T = swf::PushValue::Type;
    switch (v.type) {
    case T::String: return quoted(v.string);
    case T::Float:
    case T::Double: return num(v.number);
    case T::Null: return "null";
    case T::Undefined: return "undefined";
    case T::Register: return "r" + std::to_string(v.integer);
    case T::Boolean: return v.integer ? "true" : "false";
    case T::Integer: return std::to_string(v.integer);
    case T::Constant8:
    case T::Constant16: return "c" + std::to_string(v.integer);
    }
    return "?";
}

std::string operands(const swf::Action& a)
{
    return std::visit(
        Overloaded{
            [](const std::monostate&) { return std::string(); },
            [](const swf::ActionGotoFrame& o) { return std::to_string(o.frame); },
            [](const swf::ActionGetUrl& o) { return quoted(o.url) + " " + quoted(o.target); },
            [](const swf::ActionStoreRegister& o) { return "r" + std::to_string(o.reg); },
            [](const swf::ActionConstantPool& o) {
                std::string s = std::to_string(o.constants.size()) + ":";
                for (std::size_t i = 0; i < o.constants.size() && i < 8; ++i)
                    s += " " + quoted(o.constants[i]);
                return s + (o.constants.size() > 8 ? " ..." : "");
            },
            [](const swf::ActionWaitForFrame& o) { return std::to_string(o.frame) + " skip " + std::to_string(o.skipCount); },
            [](const swf::ActionSetTarget& o) { return quoted(o.target); },
            [](const swf::ActionGotoLabel& o) { return quoted(o.label); },
            [](const swf::ActionWaitForFrame2& o) { return "skip " + std::to_string(o.skipCount); },
            [](const swf::ActionDefineFunction2& o) {
                std::string s = quoted(o.name) + " (";
                for (std::size_t i = 0; i < o.params.size(); ++i)
                    s += (i ? ", " : "") + o.params[i].name + (o.params[i].reg ? "=r" + std::to_string(o.params[i].reg) : "");
                return s + ") regs " + std::to_string(o.registerCount) + " flags " + hex(o.flags) + " body +"
                    + std::to_string(o.body.offset) + " " + std::to_string(o.body.size);
            },
            [](const swf::ActionTry& o) {
                return "try " + std::to_string(o.tryBody.size) + " catch " + std::to_string(o.catchBody.size) + " finally "
                    + std::to_string(o.finallyBody.size);
            },
            [](const swf::ActionWith& o) { return "body " + std::to_string(o.body.size); },
            [](const swf::ActionPush& o) {
                std::string s;
                for (std::size_t i = 0; i < o.values.size(); ++i)
                    s += (i ? ", " : "") + pushValue(o.values[i]);
                return s;
            },
            [&a](const swf::ActionBranch& o) {
                return std::to_string(o.offset) + " (to +" + std::to_string(static_cast<std::int64_t>(a.end()) + o.offset) + ")";
            },
            [](const swf::ActionGetUrl2& o) {
                return "method " + std::to_string(o.sendVarsMethod) + (o.loadTarget ? " target" : "")
                    + (o.loadVariables ? " variables" : "");
            },
            [](const swf::ActionDefineFunction& o) {
                std::string s = quoted(o.name) + " (";
                for (std::size_t i = 0; i < o.params.size(); ++i)
                    s += (i ? ", " : "") + o.params[i];
                return s + ") body +" + std::to_string(o.body.offset) + " " + std::to_string(o.body.size);
            },
            [](const swf::ActionGotoFrame2& o) {
                return std::string(o.play ? "play" : "stop") + (o.sceneBias ? " bias " + std::to_string(o.sceneBias) : "");
            },
            [](const swf::ActionUnknown& o) { return bytesNote(o.payload); },
        },
        a.operands);
}

void dumpActions(const swf::ActionBlock& b, const QString& indent, QTextStream& out)
{
    for (const swf::Action& a : b.actions) {
        out << indent << "+" << a.offset << ' ' << swf::actionName(a.code);
        const std::string ops = operands(a);
        if (!ops.empty())
            out << ' ' << QString::fromStdString(ops);
        out << '\n';
    }
}

std::string number(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// One filter in a line: its kind and the fields that shape its picture.
std::string filterNote(const swf::Filter& filter)
{
    auto flags = [](const auto& f) {
        std::string s = " passes " + std::to_string(f.passes);
        if (f.inner)
            s += " inner";
        if (f.knockout)
            s += " knockout";
        if (!f.compositeSource)
            s += " no-source";
        return s;
    };
    auto blur = [](const auto& f) { return " blur " + number(f.blurX.toDouble()) + "x" + number(f.blurY.toDouble()); };
    auto light = [](const auto& f) {
        return " angle " + number(f.angle.toDouble()) + " distance " + number(f.distance.toDouble()) + " strength " +
               number(f.strength.toDouble());
    };
    return std::visit(
        [&](const auto& f) -> std::string {
            using T = std::decay_t<decltype(f)>;
            if constexpr (std::is_same_v<T, swf::DropShadowFilter>)
                return "drop shadow " + colour(f.color) + blur(f) + light(f) + flags(f);
            else if constexpr (std::is_same_v<T, swf::BlurFilter>)
                return "blur" + blur(f) + " passes " + std::to_string(f.passes);
            else if constexpr (std::is_same_v<T, swf::GlowFilter>)
                return "glow " + colour(f.color) + blur(f) + " strength " + number(f.strength.toDouble()) + flags(f);
            else if constexpr (std::is_same_v<T, swf::BevelFilter>)
                return "bevel " + colour(f.shadowColor) + "/" + colour(f.highlightColor) + blur(f) + light(f) + flags(f) +
                       (f.onTop ? " on-top" : "");
            else if constexpr (std::is_same_v<T, swf::GradientFilter>)
                return std::string(f.bevel ? "gradient bevel " : "gradient glow ") + std::to_string(f.colors.size()) +
                       " colours" + blur(f) + light(f) + flags(f);
            else if constexpr (std::is_same_v<T, swf::ConvolutionFilter>)
                return "convolution " + std::to_string(f.matrixX) + "x" + std::to_string(f.matrixY) + " divisor " +
                       number(f.divisor) + " bias " + number(f.bias);
            else
                return "colour matrix";
        },
        filter);
}

std::string placeNote(const swf::PlaceObject& p)
{
    std::string s = "depth " + std::to_string(p.depth);
    if (p.move)
        s += " move";
    if (p.characterId)
        s += " char " + std::to_string(*p.characterId);
    if (p.className)
        s += " class " + quoted(*p.className);
    if (p.matrix)
        s += " at " + px(p.matrix->translateX) + "," + px(p.matrix->translateY);
    if (p.colorTransform)
        s += " cxform";
    if (p.ratio)
        s += " ratio " + std::to_string(*p.ratio);
    if (p.name)
        s += " name " + quoted(*p.name);
    if (p.clipDepth)
        s += " clip " + std::to_string(*p.clipDepth);
    if (p.filters) {
        s += " filters " + std::to_string(p.filters->size());
        for (const swf::Filter& f : *p.filters)
            s += " [" + filterNote(f) + "]";
    }
    if (p.blendMode)
        s += " blend " + std::to_string(static_cast<int>(*p.blendMode));
    if (p.cacheAsBitmap)
        s += *p.cacheAsBitmap ? " cached" : " uncached";
    if (p.visible)
        s += *p.visible ? " visible" : " hidden";
    if (p.backgroundColor)
        s += " background " + colour(*p.backgroundColor);
    if (!p.clipActions.empty())
        s += " clip actions " + std::to_string(p.clipActions.size());
    return s;
}

std::string describe(const swf::TagBody& body)
{
    using namespace swf;
    return std::visit(
        Overloaded{
            [](const UnknownTag& t) { return bytesNote(t.data) + " kept"; },
            [](const End&) { return std::string(); },
            [](const ShowFrame&) { return std::string(); },
            [](const DefineShape& t) {
                return "id " + std::to_string(t.id) + " " + rect(t.bounds) + ", " + std::to_string(t.styles.fills.size())
                    + " fills, " + std::to_string(t.styles.lines.size()) + " lines, " + std::to_string(t.shape.records.size())
                    + " records";
            },
            [](const DefineMorphShape& t) {
                return "id " + std::to_string(t.id) + ", " + std::to_string(t.startEdges.records.size()) + " -> "
                    + std::to_string(t.endEdges.records.size()) + " records";
            },
            [](const DefineScalingGrid& t) { return "char " + std::to_string(t.characterId) + " " + rect(t.splitter); },
            [](const JpegTables& t) { return bytesNote(t.data); },
            [](const DefineBitsJpeg& t) {
                return "id " + std::to_string(t.id) + ", image " + bytesNote(t.imageData)
                    + (t.alphaData.empty() ? "" : ", alpha " + bytesNote(t.alphaData));
            },
            [](const DefineBitsLossless& t) {
                return "id " + std::to_string(t.id) + ", format " + std::to_string(static_cast<int>(t.format)) + ", "
                    + std::to_string(t.width) + "x" + std::to_string(t.height)
                    + (t.colorTableSize ? ", " + std::to_string(t.colorTableSize) + " colours" : "") + ", "
                    + bytesNote(t.zlibData) + " compressed";
            },
            [](const DefineFont& t) {
                return "id " + std::to_string(t.id) + (t.name.empty() ? "" : " " + quoted(t.name)) + ", "
                    + std::to_string(t.glyphs.size()) + " glyphs" + (t.layout ? ", layout" : "");
            },
            [](const DefineFont4& t) { return "id " + std::to_string(t.id) + " " + quoted(t.name) + ", " + bytesNote(t.fontData); },
            [](const DefineFontInfo& t) {
                return "font " + std::to_string(t.fontId) + " " + quoted(t.name) + ", " + std::to_string(t.codes.size()) + " codes";
            },
            [](const DefineFontAlignZones& t) {
                return "font " + std::to_string(t.fontId) + ", " + std::to_string(t.glyphs.size()) + " glyphs";
            },
            [](const DefineFontName& t) { return "font " + std::to_string(t.fontId) + " " + quoted(t.name); },
            [](const CsmTextSettings& t) { return "text " + std::to_string(t.textId); },
            [](const DefineText& t) {
                return "id " + std::to_string(t.id) + " " + rect(t.bounds) + ", " + std::to_string(t.records.size()) + " records";
            },
            [](const DefineEditText& t) {
                return "id " + std::to_string(t.id) + " " + rect(t.bounds) + " var " + quoted(t.variableName)
                    + (t.initialText ? " text " + quoted(*t.initialText) : "");
            },
            [](const DefineButton& t) {
                return "id " + std::to_string(t.id) + ", " + std::to_string(t.records.size()) + " records, "
                    + std::to_string(t.actions.size()) + " action blocks";
            },
            [](const DefineButtonCxform& t) { return "button " + std::to_string(t.buttonId); },
            [](const DefineButtonSound& t) {
                std::string s = "button " + std::to_string(t.buttonId) + ", sounds";
                for (const auto& bs : t.sounds)
                    s += " " + std::to_string(bs.soundId);
                return s;
            },
            [](const DefineSound& t) {
                return "id " + std::to_string(t.id) + ", format " + std::to_string(static_cast<int>(t.params.format)) + ", "
                    + std::to_string(t.params.sampleRateHz()) + " Hz" + (t.params.stereo ? " stereo" : " mono") + ", "
                    + std::to_string(t.sampleCount) + " samples, " + bytesNote(t.data);
            },
            [](const StartSound& t) {
                return t.className.empty() ? "sound " + std::to_string(t.soundId) : "class " + quoted(t.className);
            },
            [](const SoundStreamHead& t) {
                return "format " + std::to_string(static_cast<int>(t.stream.format)) + ", "
                    + std::to_string(t.stream.sampleRateHz()) + " Hz, " + std::to_string(t.samplesPerBlock) + " samples/frame";
            },
            [](const SoundStreamBlock& t) { return bytesNote(t.data); },
            [](const DefineVideoStream& t) {
                return "id " + std::to_string(t.id) + ", " + std::to_string(t.frameCount) + " frames "
                    + std::to_string(t.width) + "x" + std::to_string(t.height) + ", codec " + std::to_string(t.codec);
            },
            [](const VideoFrame& t) {
                return "stream " + std::to_string(t.streamId) + " frame " + std::to_string(t.frame) + ", " + bytesNote(t.data);
            },
            [](const PlaceObject& t) { return placeNote(t); },
            [](const RemoveObject& t) {
                return "depth " + std::to_string(t.depth) + (t.version == 1 ? " char " + std::to_string(t.characterId) : "");
            },
            [](const DoAction& t) { return actionsNote(t.actions); },
            [](const DoInitAction& t) { return "sprite " + std::to_string(t.spriteId) + ", " + actionsNote(t.actions); },
            [](const DefineSprite& t) {
                return "id " + std::to_string(t.id) + ", " + std::to_string(t.frameCount) + " frames, "
                    + std::to_string(t.tags.size()) + " tags";
            },
            [](const SetBackgroundColor& t) { return colour(t.color); },
            [](const FrameLabel& t) { return quoted(t.name) + (t.namedAnchor ? " anchor" : ""); },
            [](const FileAttributes& t) {
                return std::string(t.actionScript3 ? "as3" : "as1/2") + (t.useNetwork ? " network" : "")
                    + (t.hasMetadata ? " metadata" : "") + (t.useGpu ? " gpu" : "") + (t.useDirectBlit ? " direct" : "");
            },
            [](const Metadata& t) { return quoted(t.xml); },
            [](const ExportAssets& t) { return std::to_string(t.symbols.size()) + " symbols"; },
            [](const SymbolClass& t) { return std::to_string(t.symbols.size()) + " symbols"; },
            [](const ImportAssets& t) { return quoted(t.url) + ", " + std::to_string(t.symbols.size()) + " symbols"; },
            [](const ScriptLimits& t) {
                return "recursion " + std::to_string(t.maxRecursionDepth) + ", timeout " + std::to_string(t.timeoutSeconds) + " s";
            },
            [](const SetTabIndex& t) { return "depth " + std::to_string(t.depth) + " index " + std::to_string(t.tabIndex); },
            [](const Protect& t) { return t.passwordHash.empty() ? std::string() : std::string("password"); },
            [](const EnableDebugger& t) { return t.passwordHash.empty() ? std::string() : std::string("password"); },
            [](const EnableTelemetry& t) { return t.passwordHash.empty() ? std::string() : std::string("password"); },
            [](const DebugId& t) { return bytesNote(t.uuid); },
            [](const ProductInfo& t) {
                return "product " + std::to_string(t.product) + " " + std::to_string(t.major) + "." + std::to_string(t.minor)
                    + " build " + std::to_string(t.build);
            },
            [](const DefineSceneAndFrameLabelData& t) {
                return std::to_string(t.scenes.size()) + " scenes, " + std::to_string(t.frameLabels.size()) + " labels";
            },
            [](const DoAbc& t) { return quoted(t.name) + ", " + bytesNote(t.abc); },
            [](const DefineBinaryData& t) { return "id " + std::to_string(t.id) + ", " + bytesNote(t.data); },
        },
        body);
}

// A shape's records with the pen's absolute positions, in twips.
void dumpShape(const swf::Shape& shape, const QString& indent, QTextStream& out)
{
    long long x = 0, y = 0;
    for (const swf::ShapeRecord& r : shape.records) {
        if (const auto* c = std::get_if<swf::StyleChangeRecord>(&r)) {
            out << indent << "style";
            if (c->moveTo) {
                x = c->moveTo->first.value;
                y = c->moveTo->second.value;
                out << " move " << x << ',' << y;
            }
            if (c->fillStyle0)
                out << " fill0 " << *c->fillStyle0;
            if (c->fillStyle1)
                out << " fill1 " << *c->fillStyle1;
            if (c->lineStyle)
                out << " line " << *c->lineStyle;
            if (c->newStyles)
                out << " new styles (" << c->newStyles->fills.size() << " fills, " << c->newStyles->lines.size()
                    << " lines)";
            out << '\n';
        } else if (const auto* e = std::get_if<swf::StraightEdgeRecord>(&r)) {
            const long long x0 = x, y0 = y;
            x += e->dx.value;
            y += e->dy.value;
            out << indent << "line " << x0 << ',' << y0 << " -> " << x << ',' << y << '\n';
        } else if (const auto* e = std::get_if<swf::CurvedEdgeRecord>(&r)) {
            const long long x0 = x, y0 = y;
            const long long cx = x + e->controlDx.value, cy = y + e->controlDy.value;
            x = cx + e->anchorDx.value;
            y = cy + e->anchorDy.value;
            out << indent << "curve " << x0 << ',' << y0 << " via " << cx << ',' << cy << " -> " << x << ',' << y << '\n';
        }
    }
}

void dumpTags(const std::vector<swf::Tag>& tags, const QString& indent, bool withActions, bool withShapes,
              QTextStream& out)
{
    for (const swf::Tag& t : tags) {
        out << indent << '[' << QString::fromStdString(hex(t.offset, 6)) << "] " << t.code << ' ' << swf::tagName(t.code)
            << " (" << t.length << ')';
        const std::string note = describe(t.body);
        if (!note.empty())
            out << ' ' << QString::fromStdString(note);
        out << '\n';
        const QString inner = indent + QStringLiteral("    ");
        if (const auto* s = std::get_if<swf::DefineSprite>(&t.body))
            dumpTags(s->tags, inner, withActions, withShapes, out);
        if (withShapes) {
            if (const auto* shape = std::get_if<swf::DefineShape>(&t.body))
                dumpShape(shape->shape, inner, out);
        }
        if (!withActions)
            continue;
        if (const auto* a = std::get_if<swf::DoAction>(&t.body))
            dumpActions(a->actions, inner, out);
        if (const auto* a = std::get_if<swf::DoInitAction>(&t.body))
            dumpActions(a->actions, inner, out);
        if (const auto* p = std::get_if<swf::PlaceObject>(&t.body)) {
            for (const swf::ClipAction& c : p->clipActions) {
                out << inner << "on events " << QString::fromStdString(hex(c.events)) << '\n';
                dumpActions(c.actions, inner + QStringLiteral("    "), out);
            }
        }
        if (const auto* b = std::get_if<swf::DefineButton>(&t.body)) {
            for (const swf::ButtonAction& c : b->actions) {
                out << inner << "on conditions " << QString::fromStdString(hex(c.conditions)) << " key " << c.keyCode << '\n';
                dumpActions(c.actions, inner + QStringLiteral("    "), out);
            }
        }
    }
}

int runDump(const QStringList& args, QTextStream& out, QTextStream& err)
{
    bool withActions = false, withShapes = false;
    QString path;
    for (const QString& a : args) {
        if (a == QLatin1String("--actions"))
            withActions = true;
        else if (a == QLatin1String("--shapes"))
            withShapes = true;
        else if (path.isEmpty())
            path = a;
        else {
            err << "dump: one file only\n";
            return 2;
        }
    }
    if (path.isEmpty()) {
        err << "usage: qmtool dump [--actions] [--shapes] FILE\n";
        return 2;
    }
    const swf::Movie m = swf::readMovieFile(path.toStdString());
    if (!m.headerValid) {
        err << "dump: " << path << ": " << QString::fromStdString(m.error ? m.error->message : "not a movie") << '\n';
        return 2;
    }
    const char* kind = m.header.compression == swf::Compression::Zlib ? "CWS"
        : m.header.compression == swf::Compression::Lzma              ? "ZWS"
                                                                      : "FWS";
    out << path << ": " << kind << " version " << m.header.version << ", " << m.bodySize << " bytes uncompressed (declared "
        << m.header.declaredLength << ")\n";
    out << "frame " << QString::fromStdString(rect(m.header.frameRect)) << ", "
        << QString::fromStdString(num(m.header.frameRate.toDouble())) << " fps, " << m.header.frameCount << " frames\n";
    dumpTags(m.tags, QString(), withActions, withShapes, out);
    if (m.error) {
        out << "error: " << QString::fromStdString(m.error->describe()) << '\n';
        return 1;
    }
    return 0;
}

const QmCommandRegistration reg({"dump", "[--actions] [--shapes] FILE",
                                 "prints the tag tree of a movie (code, name, offset, length, key fields); "
                                 "--actions adds the decoded actions, --shapes the shape records in twips",
                                 &runDump});

} // namespace
