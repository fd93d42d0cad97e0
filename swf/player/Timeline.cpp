#include "swf/player/Timeline.h"

#include "swf/player/MovieStage.h"

#include <algorithm>
#include <cctype>

namespace swf::player {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

QString textOf(const TagBody* body, std::uint8_t version)
{
    const auto* edit = body ? std::get_if<DefineEditText>(body) : nullptr;
    if (!edit || !edit->initialText)
        return {};
    // Movies before version 6 store text in the author's code page; Latin-1 is the
    // nearest guess.
    return version >= 6 ? QString::fromUtf8(*edit->initialText) : QString::fromLatin1(*edit->initialText);
}

} // namespace

void applyPlaceObject(Placement& p, const PlaceObject& tag, bool fresh)
{
    if (fresh) {
        p = Placement{};
        p.characterId = tag.characterId.value_or(0);
    } else if (tag.characterId) {
        p.characterId = *tag.characterId;
    }
    if (tag.matrix)
        p.matrix = *tag.matrix;
    if (tag.colorTransform)
        p.colorTransform = *tag.colorTransform;
    if (tag.ratio)
        p.ratio = *tag.ratio;
    if (tag.name)
        p.name = *tag.name;
    if (tag.clipDepth)
        p.clipDepth = *tag.clipDepth;
    if (tag.filters)
        p.filters = *tag.filters;
    if (tag.blendMode)
        p.blendMode = *tag.blendMode == BlendMode{1} ? BlendMode::Normal : *tag.blendMode;
    if (tag.cacheAsBitmap)
        p.cacheAsBitmap = *tag.cacheAsBitmap;
    if (tag.visible)
        p.visible = *tag.visible;
    if (tag.backgroundColor)
        p.background = *tag.backgroundColor;
}

// ---------------------------------------------------------------------------------------

DisplayObject::DisplayObject(MovieStage& s) : stage(s), serial(s.objectCreated()), bornTick(s.tickCount()) {}

DisplayObject::~DisplayObject()
{
    // Children first, while the stage still counts them.
    sprite.reset();
    button.reset();
    stage.objectDestroyed();
}

namespace {

// Makes the object show `placement`: a new character gets a fresh sprite or button.
void setCharacter(MovieStage& stage, DisplayObject& obj, int nesting, Timeline* container)
{
    obj.character = stage.library().find(obj.placement.characterId);
    obj.sprite.reset();
    obj.button.reset();
    obj.text = textOf(obj.character, stage.library().swfVersion);
    if (!obj.character)
        return;
    if (const auto* sprite = std::get_if<DefineSprite>(obj.character)) {
        if (!stage.mayCreate(nesting + 1))
            return;
        obj.sprite = std::make_unique<Timeline>(stage, sprite->tags, sprite->frameCount, nesting + 1, &obj, container);
        obj.sprite->enterFirstFrame();
    } else if (const auto* button = std::get_if<DefineButton>(obj.character)) {
        if (!stage.mayCreate(nesting + 1))
            return;
        obj.button = std::make_unique<ButtonInstance>(stage, *button, nesting + 1, container);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------

FrameIndex::FrameIndex(const std::vector<Tag>& tags, int declaredFrames)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (std::holds_alternative<ShowFrame>(tags[i].body)) {
            starts_.push_back(start);
            ends_.push_back(i);
            start = i + 1;
        }
    }
    // Tags after the last ShowFrame (other than End) still make a frame.
    bool trailing = false;
    for (std::size_t i = start; i < tags.size(); ++i)
        trailing = trailing || !std::holds_alternative<End>(tags[i].body);
    if (trailing) {
        starts_.push_back(start);
        ends_.push_back(tags.size());
    }
    // The header's count is the length of the timeline: frames it claims beyond the tags
    // are empty, tags beyond it are never reached. A count of 0 takes what is there.
    std::size_t frames = declaredFrames > 0 ? static_cast<std::size_t>(declaredFrames) : starts_.size();
    frames = std::max<std::size_t>(frames, 1);
    starts_.resize(frames, tags.size());
    ends_.resize(frames, tags.size());
    for (std::size_t f = 0; f < frames; ++f) {
        for (std::size_t i = starts_[f]; i < ends_[f]; ++i) {
            if (const auto* label = std::get_if<FrameLabel>(&tags[i].body))
                labels_.emplace(lower(label->name), static_cast<int>(f));
        }
    }
}

std::optional<int> FrameIndex::labelFrame(const std::string& label) const
{
    const auto it = labels_.find(lower(label));
    if (it == labels_.end())
        return std::nullopt;
    return it->second;
}

// ---------------------------------------------------------------------------------------

Timeline::Timeline(MovieStage& stage, const std::vector<Tag>& tags, int declaredFrames, int nesting,
                   DisplayObject* owner, Timeline* parent)
    : stage_(stage), tags_(tags), frames_(stage.frameIndex(tags, declaredFrames)), nesting_(nesting), owner_(owner),
      parent_(parent)
{
    id_ = stage_.timelineCreated(this);
}

Timeline::~Timeline()
{
    list_.clear();
    stage_.timelineDestroyed(id_);
}

void Timeline::enterFirstFrame()
{
    current_ = -1;
    gotoFrame(0);
}

void Timeline::tick()
{
    if (playing_ && frames_->count() > 1)
        gotoFrame(current_ + 1 >= frames_->count() ? 0 : current_ + 1);
    const std::uint64_t now = stage_.tickCount();
    for (auto& [depth, obj] : list_) {
        if (obj->bornTick == now)
            continue; // placed in this tick: already showing its first frame
        if (obj->sprite)
            obj->sprite->tick();
        else if (obj->button)
            obj->button->tick();
    }
}

void Timeline::applyFrameToState(int frame, DepthState& state, bool seedFromList) const
{
    for (std::size_t i = frames_->first(frame); i < frames_->last(frame); ++i) {
        const Tag& tag = tags_[i];
        const auto* place = std::get_if<PlaceObject>(&tag.body);
        const auto* remove = std::get_if<RemoveObject>(&tag.body);
        if (!place && !remove)
            continue;
        const std::uint16_t depth = place ? place->depth : remove->depth;
        auto it = state.find(depth);
        if (it == state.end()) {
            // First touch of this depth: it starts as shown (forward) or empty (rebuild).
            std::optional<Placement> seed;
            if (seedFromList) {
                const auto live = list_.find(depth);
                if (live != list_.end() && live->second->placement.placeTag != kNoTag)
                    seed = live->second->placement;
            }
            it = state.emplace(depth, std::move(seed)).first;
        }
        std::optional<Placement>& slot = it->second;
        if (remove) {
            slot.reset();
        } else if (place->move && slot) {
            applyPlaceObject(*slot, *place, false);
        } else if (place->characterId) {
            // A new placement; a "replace" of an empty depth places its character too.
            // Moving an empty depth without a character does nothing.
            slot.emplace();
            applyPlaceObject(*slot, *place, true);
            slot->placeTag = i;
        }
    }
}

bool Timeline::keepOrUpdate(DisplayObject& obj, const std::optional<Placement>* target)
{
    if (!target || !*target || (*target)->placeTag != obj.placement.placeTag)
        return false;
    const bool newCharacter = (*target)->characterId != obj.placement.characterId;
    obj.placement = **target;
    if (newCharacter)
        setCharacter(stage_, obj, nesting_, this);
    return true;
}

void Timeline::reconcile(const DepthState& state, bool wholeList)
{
    // Objects whose placement is gone leave; kept ones take the properties of the target.
    // Objects placed by scripts (no placing tag) are left alone.
    if (wholeList) {
        for (auto it = list_.begin(); it != list_.end();) {
            if (it->second->placement.placeTag == kNoTag) {
                ++it;
                continue;
            }
            const auto target = state.find(it->first);
            if (keepOrUpdate(*it->second, target == state.end() ? nullptr : &target->second))
                ++it;
            else
                it = list_.erase(it);
        }
    } else {
        for (const auto& [depth, target] : state) {
            const auto it = list_.find(depth);
            if (it == list_.end() || it->second->placement.placeTag == kNoTag)
                continue;
            if (!keepOrUpdate(*it->second, &target))
                list_.erase(it);
        }
    }
    for (const auto& [depth, target] : state) {
        if (!target || list_.count(depth))
            continue; // nothing there, kept above, or a script's object holds the depth
        if (!stage_.mayCreate(nesting_))
            continue;
        auto obj = std::make_unique<DisplayObject>(stage_);
        obj->depth = depth;
        obj->placement = *target;
        DisplayObject& ref = *obj;
        list_.emplace(depth, std::move(obj));
        setCharacter(stage_, ref, nesting_, this);
    }
}

void Timeline::runFrameSideTags(int frame, bool runActions)
{
    for (std::size_t i = frames_->first(frame); i < frames_->last(frame); ++i) {
        const TagBody& body = tags_[i].body;
        if (const auto* action = std::get_if<DoAction>(&body)) {
            if (runActions)
                stage_.queueActions(*this, action->actions);
        } else if (const auto* bg = std::get_if<SetBackgroundColor>(&body)) {
            if (nesting_ == 0)
                stage_.setBackground(bg->color);
        }
    }
}

void Timeline::gotoFrame(int frame, bool runActions)
{
    frame = std::clamp(frame, 0, frames_->count() - 1);
    if (frame == current_)
        return;
    // Forward: the frames in between run their display-list tags on what is shown; only
    // the depths they touch change. Backward: the target frame is rebuilt from the first,
    // and objects whose placement is still the same are kept as they are (a sprite keeps
    // playing where it was).
    const bool forward = frame > current_;
    DepthState state;
    for (int f = forward ? current_ + 1 : 0; f <= frame; ++f)
        applyFrameToState(f, state, forward);
    current_ = frame;
    // The frame's own script is queued before the sprites it places queue their first
    // frames', so it runs first (a sprite's first frame sees what its parent set up).
    runFrameSideTags(frame, runActions);
    reconcile(state, !forward);
}

std::optional<int> Timeline::labelFrame(const std::string& label) const
{
    return frames_->labelFrame(label);
}

DisplayObject* Timeline::childByName(const std::string& name) const
{
    const std::string wanted = lower(name);
    for (const auto& [depth, obj] : list_) {
        if (!obj->placement.name.empty() && lower(obj->placement.name) == wanted)
            return obj.get();
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------

ButtonInstance::ButtonInstance(MovieStage& stage, const DefineButton& def, int nesting, Timeline* container)
    : stage_(stage), def_(def), nesting_(nesting), container_(container)
{
    for (std::size_t i = 0; i < def_.records.size(); ++i) {
        if (def_.records[i].hitTest) {
            if (auto child = makeChild(i))
                hit_.push_back(std::move(child));
        }
    }
    rebuildShown();
}

ButtonInstance::~ButtonInstance() = default;

std::unique_ptr<DisplayObject> ButtonInstance::makeChild(std::size_t index)
{
    if (!stage_.mayCreate(nesting_))
        return nullptr;
    const ButtonRecord& record = def_.records[index];
    auto obj = std::make_unique<DisplayObject>(stage_);
    obj->depth = record.depth;
    obj->placement.characterId = record.characterId;
    obj->placement.matrix = record.matrix;
    obj->placement.colorTransform = record.colorTransform;
    obj->placement.filters = record.filters;
    obj->placement.blendMode = record.blendMode == BlendMode{1} ? BlendMode::Normal : record.blendMode;
    obj->placement.placeTag = index;
    setCharacter(stage_, *obj, nesting_, container_);
    return obj;
}

void ButtonInstance::rebuildShown()
{
    std::vector<std::unique_ptr<DisplayObject>> next;
    std::vector<std::size_t> nextRecords;
    for (std::size_t i = 0; i < def_.records.size(); ++i) {
        const ButtonRecord& r = def_.records[i];
        bool wanted = false;
        switch (state_) {
        case ButtonState::Idle: wanted = r.up; break;
        case ButtonState::OverUp:
        case ButtonState::OutDown: wanted = r.over; break;
        case ButtonState::OverDown: wanted = r.down; break;
        }
        if (!wanted)
            continue;
        // A record shown in both states keeps its object (a sprite keeps playing).
        std::unique_ptr<DisplayObject> obj;
        for (std::size_t k = 0; k < shownRecords_.size(); ++k) {
            if (shownRecords_[k] == i && shown_[k]) {
                obj = std::move(shown_[k]);
                break;
            }
        }
        if (!obj)
            obj = makeChild(i);
        if (obj) {
            next.push_back(std::move(obj));
            nextRecords.push_back(i);
        }
    }
    shown_.clear(); // drop the old objects before the new list counts
    shown_ = std::move(next);
    shownRecords_ = std::move(nextRecords);
    // Bottom first; records of equal depth keep their order.
    std::vector<std::size_t> order(shown_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return shown_[a]->depth < shown_[b]->depth; });
    std::vector<std::unique_ptr<DisplayObject>> sorted;
    std::vector<std::size_t> sortedRecords;
    for (std::size_t i : order) {
        sorted.push_back(std::move(shown_[i]));
        sortedRecords.push_back(shownRecords_[i]);
    }
    shown_ = std::move(sorted);
    shownRecords_ = std::move(sortedRecords);
}

void ButtonInstance::setState(ButtonState state)
{
    if (state == state_)
        return;
    state_ = state;
    rebuildShown();
}

void ButtonInstance::tick()
{
    const std::uint64_t now = stage_.tickCount();
    for (auto& obj : shown_) {
        if (obj->bornTick == now)
            continue;
        if (obj->sprite)
            obj->sprite->tick();
        else if (obj->button)
            obj->button->tick();
    }
}

std::uint16_t buttonCondition(ButtonState from, ButtonState to)
{
    using S = ButtonState;
    namespace C = ButtonCondition;
    if (from == S::Idle && to == S::OverUp) return C::IdleToOverUp;
    if (from == S::OverUp && to == S::Idle) return C::OverUpToIdle;
    if (from == S::OverUp && to == S::OverDown) return C::OverUpToOverDown;
    if (from == S::OverDown && to == S::OverUp) return C::OverDownToOverUp;
    if (from == S::OverDown && to == S::OutDown) return C::OverDownToOutDown;
    if (from == S::OutDown && to == S::OverDown) return C::OutDownToOverDown;
    if (from == S::OutDown && to == S::Idle) return C::OutDownToIdle;
    if (from == S::Idle && to == S::OverDown) return C::IdleToOverDown;
    if (from == S::OverDown && to == S::Idle) return C::OverDownToIdle;
    return 0;
}

} // namespace swf::player
