#pragma once
// Small hand-built movies for the player's tests: tags are written as typed values.
#include "swf/format/Movie.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace moviebuilder {

using namespace swf;

inline Tag tag(TagBody body)
{
    Tag t;
    t.body = std::move(body);
    return t;
}

inline Tag showFrame() { return tag(ShowFrame{}); }

inline Tag shape(std::uint16_t id)
{
    DefineShape s;
    s.id = id;
    s.bounds = Rect{Twips{0}, Twips{2000}, Twips{0}, Twips{2000}};
    return tag(std::move(s));
}

inline Tag sprite(std::uint16_t id, std::uint16_t frames, std::vector<Tag> tags)
{
    DefineSprite s;
    s.id = id;
    s.frameCount = frames;
    s.tags = std::move(tags);
    return tag(std::move(s));
}

inline Tag place(std::uint16_t depth, std::uint16_t id, int x = 0, int y = 0)
{
    PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.characterId = id;
    Matrix m;
    m.translateX = Twips{x};
    m.translateY = Twips{y};
    p.matrix = m;
    return tag(std::move(p));
}

inline Tag move(std::uint16_t depth, int x, int y)
{
    PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.move = true;
    Matrix m;
    m.translateX = Twips{x};
    m.translateY = Twips{y};
    p.matrix = m;
    return tag(std::move(p));
}

inline Tag placeTag(PlaceObject p) { return tag(std::move(p)); }

inline Tag remove(std::uint16_t depth)
{
    RemoveObject r;
    r.version = 2;
    r.depth = depth;
    return tag(r);
}

inline Tag label(const std::string& name) { return tag(FrameLabel{name, false}); }

inline Action act(ActionCode code, ActionOperands operands = {})
{
    Action a;
    a.code = static_cast<std::uint8_t>(code);
    a.operands = std::move(operands);
    return a;
}

inline Action actRaw(std::uint8_t code)
{
    Action a;
    a.code = code;
    return a;
}

inline ActionBlock block(std::initializer_list<Action> actions)
{
    ActionBlock b;
    b.actions = actions;
    return b;
}

inline Tag doAction(std::initializer_list<Action> actions)
{
    DoAction d;
    d.actions = block(actions);
    return tag(std::move(d));
}

inline Movie movie(std::uint16_t frames, std::vector<Tag> tags, std::uint8_t version = 6)
{
    Movie m;
    m.headerValid = true;
    m.header.version = version;
    m.header.frameCount = frames;
    m.header.frameRate = Fixed8::fromDouble(12);
    m.header.frameRect = Rect{Twips{0}, Twips{4000}, Twips{0}, Twips{3000}};
    m.tags = std::move(tags);
    m.tags.push_back(tag(End{}));
    return m;
}

} // namespace moviebuilder
