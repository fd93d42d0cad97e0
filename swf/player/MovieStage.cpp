#include "swf/player/MovieStage.h"

#include "swf/player/ActionRunner.h"

#include <algorithm>
#include <cctype>

namespace swf::player {

QTransform toTransform(const Matrix& m)
{
    return QTransform(m.scaleX.toDouble(), m.rotateSkew0.toDouble(), m.rotateSkew1.toDouble(), m.scaleY.toDouble(),
                      m.translateX.value, m.translateY.value);
}

MovieDictionary buildDictionary(const Movie& movie)
{
    MovieDictionary dict;
    dict.library.swfVersion = movie.header.version;
    for (const Tag& tag : movie.tags) {
        std::visit(
            [&](const auto& body) {
                using T = std::decay_t<decltype(body)>;
                if constexpr (std::is_same_v<T, JpegTables>) {
                    if (!dict.library.jpegTables)
                        dict.library.jpegTables = &body;
                } else if constexpr (std::is_same_v<T, DefineFontInfo>) {
                    dict.library.fontInfo.emplace(body.fontId, &body);
                } else if constexpr (std::is_same_v<T, DefineScalingGrid>) {
                    dict.library.scalingGrids.emplace(body.characterId, body.splitter);
                } else if constexpr (std::is_same_v<T, DefineButtonCxform>) {
                    dict.buttonColorTransforms.emplace(body.buttonId, body.colorTransform);
                } else if constexpr (std::is_same_v<T, SetBackgroundColor>) {
                    if (!dict.background)
                        dict.background = body.color;
                } else if constexpr (requires { body.id; }) {
                    dict.library.characters.emplace(body.id, &tag.body);
                }
            },
            tag.body);
    }
    return dict;
}

// ---------------------------------------------------------------------------------------

MovieStage::MovieStage(const Movie& movie, StageLimits limits)
    : movie_(movie), limits_(limits), dictionary_(buildDictionary(movie)),
      runner_(std::make_unique<SimpleActionRunner>())
{
    root_ = std::make_unique<Timeline>(*this, movie_.tags, movie_.header.frameCount, 0, nullptr, nullptr);
}

MovieStage::~MovieStage()
{
    queue_.clear();
    root_.reset();
}

void MovieStage::start()
{
    root_->enterFirstFrame();
    runQueuedActions();
}

void MovieStage::advanceFrame()
{
    ++tick_;
    root_->tick();
    runQueuedActions();
    // Objects may have moved under a resting mouse.
    if (mousePoint_ && hitTest_)
        updateButtons(mousePoint_, false, false);
}

const ColorTransform* MovieStage::buttonColorTransform(std::uint16_t buttonId) const
{
    const auto it = dictionary_.buttonColorTransforms.find(buttonId);
    return it == dictionary_.buttonColorTransforms.end() ? nullptr : &it->second;
}

bool MovieStage::mayCreate(int nesting)
{
    if (nesting > limits_.maxNesting || liveObjects_ >= limits_.maxObjects) {
        ++limitCuts_;
        return false;
    }
    return true;
}

std::uint64_t MovieStage::objectCreated()
{
    ++liveObjects_;
    return nextSerial_++;
}

void MovieStage::objectDestroyed()
{
    --liveObjects_;
}

std::uint64_t MovieStage::timelineCreated(Timeline* timeline)
{
    const std::uint64_t id = nextSerial_++;
    timelines_.emplace(id, timeline);
    return id;
}

void MovieStage::timelineDestroyed(std::uint64_t id)
{
    timelines_.erase(id);
}

Timeline* MovieStage::timeline(std::uint64_t id) const
{
    const auto it = timelines_.find(id);
    return it == timelines_.end() ? nullptr : it->second;
}

std::shared_ptr<const FrameIndex> MovieStage::frameIndex(const std::vector<Tag>& tags, int declaredFrames)
{
    auto& slot = frameIndexes_[&tags];
    if (!slot)
        slot = std::make_shared<const FrameIndex>(tags, declaredFrames);
    return slot;
}

void MovieStage::queueActions(Timeline& target, const ActionBlock& block)
{
    queue_.push_back({target.id(), &block});
}

void MovieStage::runQueuedActions()
{
    if (runningActions_)
        return; // the outer loop picks up what is queued meanwhile
    runningActions_ = true;
    int budget = limits_.maxActionBlocksPerRun;
    std::size_t next = 0;
    while (next < queue_.size()) {
        if (budget-- <= 0) {
            // Frames that keep sending each other back and forth: stop for this tick.
            ++limitCuts_;
            break;
        }
        const Queued item = queue_[next++];
        if (Timeline* t = timeline(item.timeline); t && runner_)
            runner_->run(*this, *t, *item.block);
    }
    queue_.clear();
    runningActions_ = false;
}

void MovieStage::setActionRunner(std::unique_ptr<ActionRunner> runner)
{
    runner_ = std::move(runner);
}

void MovieStage::log(const QString& line) const
{
    if (trace_)
        trace_(line);
}

void MovieStage::toggleQuality()
{
    if (toggleQuality_)
        toggleQuality_();
}

Timeline* MovieStage::resolveTarget(Timeline& base, const std::string& path)
{
    if (path.empty())
        return &base;
    Timeline* t = &base;
    std::string rest = path;
    if (rest[0] == '/') {
        t = root_.get();
        rest.erase(0, 1);
    }
    std::size_t pos = 0;
    while (t && pos <= rest.size()) {
        std::size_t end = rest.find_first_of("/.:", pos);
        // ".." is a part of its own, not two separators.
        if (rest.compare(pos, 2, "..") == 0)
            end = pos + 2;
        if (end == std::string::npos)
            end = rest.size();
        std::string part = rest.substr(pos, end - pos);
        std::string lowerPart = part;
        std::transform(lowerPart.begin(), lowerPart.end(), lowerPart.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (part.empty() || lowerPart == "this") {
            // "a//b", a trailing separator or "this": stay.
        } else if (part == ".." || lowerPart == "_parent") {
            t = t->parent();
        } else if (lowerPart == "_root" || lowerPart.rfind("_level", 0) == 0) {
            t = root_.get();
        } else {
            DisplayObject* child = t->childByName(part);
            t = child ? child->sprite.get() : nullptr;
        }
        if (end >= rest.size())
            break;
        pos = end + 1;
    }
    return t;
}

// ---------------------------------------------------------------------------------------

namespace {

void buildNode(const MovieStage& stage, const DisplayObject& obj, DisplayNode& node,
               const ColorTransform* inheritedButtonCx);

// Masks whose ranges lie inside one another on one list: each costs a layer while drawn,
// so a movie that stacks thousands of them is cut here.
constexpr std::size_t kMaxNestedMasks = 16;

void buildChildren(const MovieStage& stage, const DisplayList& list, std::vector<DisplayNode>& out)
{
    out.reserve(list.size());
    std::vector<std::uint16_t> openMasks; // clip depths of the masks covering this depth
    for (const auto& [depth, obj] : list) {
        if (!obj->character)
            continue;
        while (!openMasks.empty() && openMasks.back() < depth)
            openMasks.pop_back();
        const std::uint16_t clip = obj->placement.clipDepth;
        if (clip != 0) {
            if (openMasks.size() >= kMaxNestedMasks)
                continue;
            if (clip > depth)
                openMasks.push_back(std::min(clip, openMasks.empty() ? clip : openMasks.back()));
        }
        out.emplace_back();
        buildNode(stage, *obj, out.back(), nullptr);
    }
}

void buildNode(const MovieStage& stage, const DisplayObject& obj, DisplayNode& node,
               const ColorTransform* buttonCx)
{
    const Placement& p = obj.placement;
    node.depth = obj.depth;
    node.characterId = p.characterId;
    node.character = obj.character;
    node.matrix = p.matrix;
    node.colorTransform = (buttonCx && p.colorTransform.isIdentity()) ? *buttonCx : p.colorTransform;
    node.ratio = p.ratio;
    node.clipDepth = p.clipDepth;
    node.blendMode = p.blendMode;
    node.filters = p.filters;
    node.visible = p.visible;
    node.cacheAsBitmap = p.cacheAsBitmap;
    node.opaqueBackground = p.background;
    node.text = obj.text;
    node.scroll = obj.scroll;
    if (obj.sprite) {
        buildChildren(stage, obj.sprite->displayList(), node.children);
    } else if (obj.button) {
        // Old buttons take their colour transform from a separate tag.
        const ColorTransform* cx = obj.button->definition().version == 1
            ? stage.buttonColorTransform(obj.button->definition().id)
            : nullptr;
        node.children.reserve(obj.button->shown().size());
        for (const auto& child : obj.button->shown()) {
            if (!child->character)
                continue;
            node.children.emplace_back();
            buildNode(stage, *child, node.children.back(), cx);
        }
    }
}

} // namespace

void MovieStage::buildScene(DisplayNode& root) const
{
    root = DisplayNode{};
    buildChildren(*this, root_->displayList(), root.children);
}

// ---------------------------------------------------------------------------------------

struct MovieStage::ButtonHit {
    std::uint64_t serial;
    ButtonInstance* button;
    QTransform toStage;
};

void MovieStage::collectButtons(const Timeline& timeline, const QTransform& parentToStage, bool visible,
                                std::vector<ButtonHit>& out) const
{
    for (const auto& [depth, obj] : timeline.displayList()) {
        if (!obj->character || !obj->placement.visible || !visible)
            continue;
        // A mask is not a button surface.
        if (obj->placement.clipDepth != 0)
            continue;
        const QTransform toStage = toTransform(obj->placement.matrix) * parentToStage;
        if (obj->sprite) {
            collectButtons(*obj->sprite, toStage, true, out);
        } else if (obj->button) {
            out.push_back({obj->serial, obj->button.get(), toStage});
        }
    }
}

std::uint64_t MovieStage::buttonAt(QPointF point, std::vector<ButtonHit>& buttons) const
{
    if (!hitTest_)
        return 0;
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        for (const auto& child : it->button->hitArea()) {
            if (!child->character)
                continue;
            DisplayNode node;
            buildNode(*this, *child, node, nullptr);
            const QTransform nodeToStage = toTransform(child->placement.matrix) * it->toStage;
            if (hitTest_(node, nodeToStage, point))
                return it->serial;
        }
    }
    return 0;
}

void MovieStage::setButtonState(const ButtonHit& hit, ButtonState next)
{
    ButtonInstance& button = *hit.button;
    const ButtonState from = button.state();
    if (from == next)
        return;
    auto fire = [&](ButtonState a, ButtonState b) {
        const std::uint16_t condition = buttonCondition(a, b);
        Timeline* container = button.container();
        if (!condition || !container)
            return;
        for (const ButtonAction& action : button.definition().actions) {
            if (action.conditions & condition)
                queueActions(*container, action.actions);
        }
    };
    const bool viaOverUp = buttonCondition(from, next) == 0
        || (from == ButtonState::Idle && next == ButtonState::OverDown && !button.definition().trackAsMenu);
    if (viaOverUp) {
        // A plain button pressed without a move before: it is rolled over, then pressed.
        fire(from, ButtonState::OverUp);
        fire(ButtonState::OverUp, next);
    } else {
        fire(from, next);
    }
    button.setState(next);
}

void MovieStage::updateButtons(std::optional<QPointF> point, bool press, bool release)
{
    std::vector<ButtonHit> buttons;
    collectButtons(*root_, QTransform(), true, buttons);
    const std::uint64_t under = point ? buttonAt(*point, buttons) : 0;
    if (press)
        pressed_ = under;
    for (const ButtonHit& hit : buttons) {
        const bool over = hit.serial == under;
        const bool captured = hit.serial == pressed_ && pressed_ != 0;
        const bool menu = hit.button->definition().trackAsMenu;
        const ButtonState cur = hit.button->state();
        ButtonState next = cur;
        if (release) {
            next = over ? ButtonState::OverUp : ButtonState::Idle;
        } else if (mouseDown_) {
            if (captured)
                next = over ? ButtonState::OverDown : (menu ? ButtonState::Idle : ButtonState::OutDown);
            else if (menu)
                next = over ? ButtonState::OverDown : ButtonState::Idle;
            else
                next = ButtonState::Idle;
        } else {
            next = over ? ButtonState::OverUp : ButtonState::Idle;
        }
        setButtonState(hit, next);
    }
    if (release)
        pressed_ = 0;
    hovered_ = under;
    runQueuedActions();
}

void MovieStage::mouseMove(QPointF point)
{
    mousePoint_ = point;
    updateButtons(point, false, false);
}

void MovieStage::mousePress(QPointF point)
{
    mousePoint_ = point;
    mouseDown_ = true;
    updateButtons(point, true, false);
}

void MovieStage::mouseRelease(QPointF point)
{
    mousePoint_ = point;
    mouseDown_ = false;
    updateButtons(point, false, true);
}

void MovieStage::mouseLeave()
{
    mousePoint_.reset();
    updateButtons(std::nullopt, false, mouseDown_);
    mouseDown_ = false;
}

DisplayObject* MovieStage::editTextAt(const Timeline& timeline, const QTransform& parentToStage, QPointF point) const
{
    // Topmost first: the highest depth is drawn last.
    const DisplayList& list = timeline.displayList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        DisplayObject& obj = *it->second;
        if (!obj.character || !obj.placement.visible || obj.placement.clipDepth != 0)
            continue;
        const QTransform toStage = toTransform(obj.placement.matrix) * parentToStage;
        if (obj.sprite) {
            if (DisplayObject* inner = editTextAt(*obj.sprite, toStage, point))
                return inner;
        } else if (std::holds_alternative<DefineEditText>(*obj.character)) {
            DisplayNode node;
            buildNode(*this, obj, node, nullptr);
            if (hitTest_(node, toStage, point))
                return &obj;
        }
    }
    return nullptr;
}

void MovieStage::mouseWheel(int lines)
{
    if (!mousePoint_ || !hitTest_ || !maxScroll_ || lines == 0)
        return;
    DisplayObject* text = editTextAt(*root_, QTransform(), *mousePoint_);
    if (!text)
        return;
    DisplayNode node;
    buildNode(*this, *text, node, nullptr);
    const long long wanted = static_cast<long long>(text->scroll) - lines;
    text->scroll = static_cast<int>(std::clamp<long long>(wanted, 1, std::max(1, maxScroll_(node))));
}

void MovieStage::keyPress(std::uint8_t code)
{
    if (code == 0)
        return;
    std::vector<ButtonHit> buttons;
    collectButtons(*root_, QTransform(), true, buttons);
    for (const ButtonHit& hit : buttons) {
        Timeline* container = hit.button->container();
        if (!container)
            continue;
        for (const ButtonAction& action : hit.button->definition().actions) {
            if (action.keyCode == code)
                queueActions(*container, action.actions);
        }
    }
    runQueuedActions();
}

} // namespace swf::player
