#include "swf/format/TagReaders.h"

namespace swf::detail {

namespace {

Filter readFilter(BitReader& r)
{
    const std::uint8_t id = r.u8();
    switch (id) {
    case 0: {
        DropShadowFilter f;
        f.color = r.rgba();
        f.blurX = Fixed16{r.s32()};
        f.blurY = Fixed16{r.s32()};
        f.angle = Fixed16{r.s32()};
        f.distance = Fixed16{r.s32()};
        f.strength = Fixed8{r.s16()};
        f.inner = r.flag();
        f.knockout = r.flag();
        f.compositeSource = r.flag();
        f.passes = static_cast<std::uint8_t>(r.ub(5));
        return f;
    }
    case 1: {
        BlurFilter f;
        f.blurX = Fixed16{r.s32()};
        f.blurY = Fixed16{r.s32()};
        f.passes = static_cast<std::uint8_t>(r.ub(5));
        r.align();
        return f;
    }
    case 2: {
        GlowFilter f;
        f.color = r.rgba();
        f.blurX = Fixed16{r.s32()};
        f.blurY = Fixed16{r.s32()};
        f.strength = Fixed8{r.s16()};
        f.inner = r.flag();
        f.knockout = r.flag();
        f.compositeSource = r.flag();
        f.passes = static_cast<std::uint8_t>(r.ub(5));
        return f;
    }
    case 3: {
        BevelFilter f;
        f.shadowColor = r.rgba();
        f.highlightColor = r.rgba();
        f.blurX = Fixed16{r.s32()};
        f.blurY = Fixed16{r.s32()};
        f.angle = Fixed16{r.s32()};
        f.distance = Fixed16{r.s32()};
        f.strength = Fixed8{r.s16()};
        f.inner = r.flag();
        f.knockout = r.flag();
        f.compositeSource = r.flag();
        f.onTop = r.flag();
        f.passes = static_cast<std::uint8_t>(r.ub(4));
        return f;
    }
    case 4:
    case 7: {
        GradientFilter f;
        f.bevel = id == 7;
        const std::uint8_t count = r.u8();
        for (unsigned i = 0; i < count; ++i)
            f.colors.push_back(r.rgba());
        for (unsigned i = 0; i < count; ++i)
            f.ratios.push_back(r.u8());
        f.blurX = Fixed16{r.s32()};
        f.blurY = Fixed16{r.s32()};
        f.angle = Fixed16{r.s32()};
        f.distance = Fixed16{r.s32()};
        f.strength = Fixed8{r.s16()};
        f.inner = r.flag();
        f.knockout = r.flag();
        f.compositeSource = r.flag();
        f.onTop = r.flag();
        f.passes = static_cast<std::uint8_t>(r.ub(4));
        return f;
    }
    case 5: {
        ConvolutionFilter f;
        f.matrixX = r.u8();
        f.matrixY = r.u8();
        f.divisor = r.f32();
        f.bias = r.f32();
        const unsigned n = static_cast<unsigned>(f.matrixX) * f.matrixY;
        if (static_cast<std::size_t>(n) * 4 > r.remaining())
            throw ReadError("convolution matrix larger than its tag");
        f.matrix.reserve(n);
        for (unsigned i = 0; i < n; ++i)
            f.matrix.push_back(r.f32());
        f.defaultColor = r.rgba();
        r.ub(6);
        f.clamp = r.flag();
        f.preserveAlpha = r.flag();
        return f;
    }
    case 6: {
        ColorMatrixFilter f;
        for (float& v : f.matrix)
            v = r.f32();
        return f;
    }
    default:
        throw ReadError("unknown filter type " + std::to_string(id));
    }
}

std::vector<ClipAction> readClipActions(BitReader& r, std::uint8_t swfVersion)
{
    const bool wide = swfVersion >= 6;
    std::vector<ClipAction> out;
    r.u16(); // reserved
    if (wide)
        r.u32(); // all events, the union of the records below
    else
        r.u16();
    // The list ends with zero flags; tolerate a tag that simply ends.
    while (r.remaining() >= (wide ? 4u : 2u)) {
        const std::uint32_t events = wide ? r.u32() : r.u16();
        if (events == 0)
            break;
        ClipAction a;
        a.events = events;
        std::uint32_t size = r.u32();
        if (size > r.remaining())
            throw ReadError("clip action longer than its tag");
        // A key press record holds its key code first; one of size 0 has none.
        if ((events & ClipEvent::KeyPress) && wide && size > 0) {
            a.keyCode = r.u8();
            --size;
        }
        a.actions = readActionBlock(r.bytes(size), swfVersion);
        out.push_back(std::move(a));
    }
    return out;
}

ButtonRecord readButtonRecord(BitReader& r, std::uint8_t flags, int version)
{
    ButtonRecord b;
    b.hitTest = flags & 0x08;
    b.down = flags & 0x04;
    b.over = flags & 0x02;
    b.up = flags & 0x01;
    b.characterId = r.u16();
    b.depth = r.u16();
    b.matrix = r.matrix();
    if (version >= 2) {
        b.colorTransform = r.colorTransform(true);
        if (flags & 0x10)
            b.filters = readFilters(r);
        if (flags & 0x20)
            b.blendMode = static_cast<BlendMode>(r.u8());
    }
    return b;
}

} // namespace

std::vector<Filter> readFilters(BitReader& r)
{
    std::vector<Filter> filters;
    const std::uint8_t count = r.u8();
    for (unsigned i = 0; i < count; ++i)
        filters.push_back(readFilter(r));
    return filters;
}

PlaceObject readPlaceObject(BitReader& r, int version, std::uint8_t swfVersion)
{
    PlaceObject p;
    p.version = static_cast<std::uint8_t>(version);
    if (version == 1) {
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = r.matrix();
        if (!r.atEnd())
            p.colorTransform = r.colorTransform(false);
        return p;
    }
    const std::uint8_t f1 = r.u8();
    const std::uint8_t f2 = version >= 3 ? r.u8() : 0;
    const bool hasClipActions = f1 & 0x80;
    const bool hasClipDepth = f1 & 0x40;
    const bool hasName = f1 & 0x20;
    const bool hasRatio = f1 & 0x10;
    const bool hasColorTransform = f1 & 0x08;
    const bool hasMatrix = f1 & 0x04;
    const bool hasCharacter = f1 & 0x02;
    p.move = f1 & 0x01;
    const bool hasBackground = f2 & 0x40;
    const bool hasVisible = f2 & 0x20;
    p.hasImage = f2 & 0x10;
    const bool hasClassName = f2 & 0x08;
    const bool hasCacheAsBitmap = f2 & 0x04;
    const bool hasBlendMode = f2 & 0x02;
    const bool hasFilters = f2 & 0x01;
    p.depth = r.u16();
    if (hasClassName)
        p.className = r.string();
    if (hasCharacter)
        p.characterId = r.u16();
    if (hasMatrix)
        p.matrix = r.matrix();
    if (hasColorTransform)
        p.colorTransform = r.colorTransform(true);
    if (hasRatio)
        p.ratio = r.u16();
    if (hasName)
        p.name = r.string();
    if (hasClipDepth)
        p.clipDepth = r.u16();
    if (hasFilters)
        p.filters = readFilters(r);
    if (hasBlendMode)
        p.blendMode = static_cast<BlendMode>(r.u8());
    if (hasCacheAsBitmap)
        p.cacheAsBitmap = r.atEnd() ? true : r.u8() != 0; // some writers leave the byte out
    if (hasVisible)
        p.visible = r.u8() != 0;
    if (hasBackground)
        p.backgroundColor = r.rgba();
    if (hasClipActions)
        p.clipActions = readClipActions(r, swfVersion);
    return p;
}

DefineButton readDefineButton(BitReader& r, int version, std::uint8_t swfVersion)
{
    DefineButton b;
    b.version = static_cast<std::uint8_t>(version);
    b.id = r.u16();
    std::size_t actionStart = 0;
    if (version >= 2) {
        b.trackAsMenu = r.u8() & 0x01;
        const std::size_t offsetPos = r.position();
        const std::uint16_t actionOffset = r.u16();
        actionStart = actionOffset ? offsetPos + actionOffset : 0;
    }
    for (;;) {
        const std::uint8_t flags = r.u8();
        if (flags == 0)
            break;
        b.records.push_back(readButtonRecord(r, flags, version));
    }
    if (version < 2) {
        ButtonAction a;
        a.conditions = ButtonCondition::OverDownToOverUp;
        a.actions = readActionBlock(r.rest(), swfVersion);
        b.actions.push_back(std::move(a));
        return b;
    }
    if (actionStart == 0)
        return b;
    r.seek(actionStart);
    while (r.remaining() >= 4) {
        const std::size_t start = r.position();
        const std::uint16_t size = r.u16();
        const std::uint16_t cond = r.u16();
        ButtonAction a;
        a.conditions = cond & 0x1FF;
        a.keyCode = static_cast<std::uint8_t>(cond >> 9);
        std::size_t end = r.size();
        if (size != 0) {
            if (size < 4 || size > r.size() - start)
                throw ReadError("button action size outside the tag");
            end = start + size;
        }
        a.actions = readActionBlock(r.bytes(end - r.position()), swfVersion);
        b.actions.push_back(std::move(a));
        if (size == 0)
            break;
    }
    return b;
}

DefineButtonSound readDefineButtonSound(BitReader& r)
{
    DefineButtonSound s;
    s.buttonId = r.u16();
    for (ButtonSound& bs : s.sounds) {
        bs.soundId = r.u16();
        if (bs.soundId)
            bs.info = readSoundInfo(r);
    }
    return s;
}

} // namespace swf::detail
