#include "swf/format/TagReaders.h"

namespace swf::detail {

namespace {

Rgba readColor(BitReader& r, int shapeVersion)
{
    return shapeVersion >= 3 ? r.rgba() : r.rgb();
}

// The spread and interpolation bits share a byte with the record count.
void readGradientHeader(BitReader& r, SpreadMode& spread, InterpolationMode& interp, unsigned& count)
{
    const std::uint8_t b = r.u8();
    spread = static_cast<SpreadMode>(b >> 6);
    interp = static_cast<InterpolationMode>((b >> 4) & 3);
    count = b & 0x0F;
}

std::uint32_t readStyleCount(BitReader& r, bool extended)
{
    const std::uint32_t n = r.u8();
    return (n == 0xFF && extended) ? r.u16() : n;
}

// The caps, join, scaling flags and miter limit of a LineStyle2 record, plain or morph;
// returns whether a fill style follows.
template <typename Style>
bool readLineStyle2Flags(BitReader& r, Style& l)
{
    l.startCap = static_cast<CapStyle>(r.ub(2));
    l.join = static_cast<JoinStyle>(r.ub(2));
    const bool hasFill = r.flag();
    l.noHScale = r.flag();
    l.noVScale = r.flag();
    l.pixelHinting = r.flag();
    r.ub(5);
    l.noClose = r.flag();
    l.endCap = static_cast<CapStyle>(r.ub(2));
    if (l.join == JoinStyle::Miter)
        l.miterLimit = Fixed8{r.u16()};
    return hasFill;
}

LineStyle readLineStyle(BitReader& r, int shapeVersion)
{
    LineStyle l;
    l.width = Twips{r.u16()};
    if (shapeVersion < 4) {
        l.color = readColor(r, shapeVersion);
        return l;
    }
    const bool hasFill = readLineStyle2Flags(r, l);
    if (hasFill)
        l.fill = readFillStyle(r, shapeVersion);
    else
        l.color = r.rgba();
    return l;
}

MorphFillStyle readMorphFillStyle(BitReader& r)
{
    MorphFillStyle f;
    const std::uint8_t type = r.u8();
    f.type = static_cast<FillType>(type);
    if (f.type == FillType::Solid) {
        f.startColor = r.rgba();
        f.endColor = r.rgba();
    } else if (isGradientFill(f.type)) {
        f.startMatrix = r.matrix();
        f.endMatrix = r.matrix();
        unsigned count = 0;
        readGradientHeader(r, f.spread, f.interpolation, count);
        for (unsigned i = 0; i < count; ++i) {
            MorphGradientRecord g;
            g.startRatio = r.u8();
            g.startColor = r.rgba();
            g.endRatio = r.u8();
            g.endColor = r.rgba();
            f.gradient.push_back(g);
        }
        if (f.type == FillType::FocalRadialGradient) {
            f.startFocalPoint = Fixed8{r.s16()};
            f.endFocalPoint = Fixed8{r.s16()};
        }
    } else if (isBitmapFill(f.type)) {
        f.bitmapId = r.u16();
        f.startMatrix = r.matrix();
        f.endMatrix = r.matrix();
    } else {
        throw ReadError("unknown morph fill style type " + std::to_string(type));
    }
    return f;
}

MorphLineStyle readMorphLineStyle(BitReader& r, int version)
{
    MorphLineStyle l;
    l.startWidth = Twips{r.u16()};
    l.endWidth = Twips{r.u16()};
    if (version < 2) {
        l.startColor = r.rgba();
        l.endColor = r.rgba();
        return l;
    }
    const bool hasFill = readLineStyle2Flags(r, l);
    if (hasFill) {
        l.fill = readMorphFillStyle(r);
    } else {
        l.startColor = r.rgba();
        l.endColor = r.rgba();
    }
    return l;
}

} // namespace

FillStyle readFillStyle(BitReader& r, int shapeVersion)
{
    FillStyle f;
    const std::uint8_t type = r.u8();
    f.type = static_cast<FillType>(type);
    if (f.type == FillType::Solid) {
        f.color = readColor(r, shapeVersion);
    } else if (isGradientFill(f.type)) {
        f.gradient.matrix = r.matrix();
        unsigned count = 0;
        readGradientHeader(r, f.gradient.spread, f.gradient.interpolation, count);
        f.gradient.records.reserve(count);
        for (unsigned i = 0; i < count; ++i) {
            GradientRecord g;
            g.ratio = r.u8();
            g.color = readColor(r, shapeVersion);
            f.gradient.records.push_back(g);
        }
        if (f.type == FillType::FocalRadialGradient)
            f.gradient.focalPoint = Fixed8{r.s16()};
    } else if (isBitmapFill(f.type)) {
        f.bitmapId = r.u16();
        f.bitmapMatrix = r.matrix();
    } else {
        throw ReadError("unknown fill style type " + std::to_string(type));
    }
    return f;
}

ShapeStyles readShapeStyles(BitReader& r, int shapeVersion)
{
    ShapeStyles s;
    const std::uint32_t fills = readStyleCount(r, shapeVersion >= 2);
    for (std::uint32_t i = 0; i < fills; ++i)
        s.fills.push_back(readFillStyle(r, shapeVersion));
    const std::uint32_t lines = readStyleCount(r, true);
    for (std::uint32_t i = 0; i < lines; ++i)
        s.lines.push_back(readLineStyle(r, shapeVersion));
    return s;
}

Shape readShapeRecords(BitReader& r, int shapeVersion, bool allowNewStyles, bool endsWithData)
{
    Shape shape;
    r.align();
    unsigned fillBits = r.ub(4);
    unsigned lineBits = r.ub(4);
    for (;;) {
        if (endsWithData && r.atEnd())
            break; // only padding bits can be left
        if (r.flag()) {
            const bool straight = r.flag();
            const unsigned n = r.ub(4) + 2;
            if (straight) {
                StraightEdgeRecord e;
                if (r.flag()) {
                    e.dx = Twips{r.sb(n)};
                    e.dy = Twips{r.sb(n)};
                } else if (r.flag()) {
                    e.dy = Twips{r.sb(n)};
                } else {
                    e.dx = Twips{r.sb(n)};
                }
                shape.records.emplace_back(e);
            } else {
                CurvedEdgeRecord e;
                e.controlDx = Twips{r.sb(n)};
                e.controlDy = Twips{r.sb(n)};
                e.anchorDx = Twips{r.sb(n)};
                e.anchorDy = Twips{r.sb(n)};
                shape.records.emplace_back(e);
            }
            continue;
        }
        const std::uint32_t flags = r.ub(5);
        if (flags == 0)
            break;
        StyleChangeRecord c;
        if (flags & 0x01) {
            const unsigned n = r.ub(5);
            const Twips x{r.sb(n)};
            const Twips y{r.sb(n)};
            c.moveTo = std::make_pair(x, y);
        }
        if (flags & 0x02)
            c.fillStyle0 = r.ub(fillBits);
        if (flags & 0x04)
            c.fillStyle1 = r.ub(fillBits);
        if (flags & 0x08)
            c.lineStyle = r.ub(lineBits);
        // New style arrays exist from the second shape version on; in older records
        // the bit has no meaning.
        if ((flags & 0x10) && allowNewStyles && shapeVersion >= 2) {
            c.newStyles = readShapeStyles(r, shapeVersion);
            fillBits = r.ub(4);
            lineBits = r.ub(4);
        }
        shape.records.emplace_back(std::move(c));
    }
    r.align();
    return shape;
}

DefineShape readDefineShape(BitReader& r, int version)
{
    DefineShape s;
    s.version = static_cast<std::uint8_t>(version);
    s.id = r.u16();
    s.bounds = r.rect();
    s.edgeBounds = s.bounds;
    if (version >= 4) {
        s.edgeBounds = r.rect();
        r.ub(5);
        s.usesFillWindingRule = r.flag();
        s.usesNonScalingStrokes = r.flag();
        s.usesScalingStrokes = r.flag();
    }
    s.styles = readShapeStyles(r, version);
    s.shape = readShapeRecords(r, version, true);
    return s;
}

DefineMorphShape readDefineMorphShape(BitReader& r, int version)
{
    DefineMorphShape m;
    m.version = static_cast<std::uint8_t>(version);
    m.id = r.u16();
    m.startBounds = r.rect();
    m.endBounds = r.rect();
    m.startEdgeBounds = m.startBounds;
    m.endEdgeBounds = m.endBounds;
    if (version >= 2) {
        m.startEdgeBounds = r.rect();
        m.endEdgeBounds = r.rect();
        r.ub(6);
        m.usesNonScalingStrokes = r.flag();
        m.usesScalingStrokes = r.flag();
    }
    const std::uint32_t endEdgesOffset = r.u32();
    const std::size_t offsetBase = r.position();
    const std::uint32_t fills = readStyleCount(r, true);
    for (std::uint32_t i = 0; i < fills; ++i)
        m.fills.push_back(readMorphFillStyle(r));
    const std::uint32_t lines = readStyleCount(r, true);
    for (std::uint32_t i = 0; i < lines; ++i)
        m.lines.push_back(readMorphLineStyle(r, version));
    // Morph edges use RGBA styles and carry no new style arrays.
    m.startEdges = readShapeRecords(r, 3, false);
    // The end edges start where the offset says; some writers leave it 0.
    if (endEdgesOffset != 0 && endEdgesOffset <= r.size() - offsetBase)
        r.seek(offsetBase + endEdgesOffset);
    if (!r.atEnd())
        m.endEdges = readShapeRecords(r, 3, false);
    return m;
}

} // namespace swf::detail
