#pragma once
// Timelines and display lists: the root movie and every sprite instance keep a list of
// placed objects by depth and run their frames' display-list tags. Nothing here draws;
// MovieStage turns the tree into DisplayNodes for the renderer.
#include "swf/format/Movie.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace swf::player {

class MovieStage;
class Timeline;
class ButtonInstance;

inline constexpr std::size_t kNoTag = std::numeric_limits<std::size_t>::max();

// What the timeline says about one depth: the character and every PlaceObject field.
// placeTag (the index of the PlaceObject that put the character there) is the identity of
// the placement: an object survives a gotoFrame exactly when the target frame still
// holds the same placement at its depth.
struct Placement {
    std::uint16_t characterId = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    std::uint16_t clipDepth = 0;
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool visible = true;
    bool cacheAsBitmap = false;
    std::optional<Rgba> background;
    std::string name;
    std::size_t placeTag = kNoTag; // kNoTag: placed by a script, not by the timeline
};

// Applies a PlaceObject to the placement at its depth. `fresh` starts from defaults (a
// new object); otherwise absent fields keep their values.
void applyPlaceObject(Placement& placement, const PlaceObject& tag, bool fresh);

// One object on a display list. Sprites own a Timeline, buttons a ButtonInstance.
struct DisplayObject {
    explicit DisplayObject(MovieStage& stage);
    ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    MovieStage& stage;
    std::uint64_t serial = 0; // unique while the stage lives; input state refers to it
    std::uint16_t depth = 0;
    Placement placement;
    const TagBody* character = nullptr; // null when the id is not defined
    QString text;                       // edit text: what it shows
    int scroll = 1;                     // edit text: the first line shown, from 1
    std::uint64_t bornTick = 0;         // the stage tick it was created in
    std::unique_ptr<Timeline> sprite;
    std::unique_ptr<ButtonInstance> button;
};

using DisplayList = std::map<std::uint16_t, std::unique_ptr<DisplayObject>>;

// The frames of a tag list (where each frame's tags begin and end) and its labels. One
// per sprite definition, shared by all its instances.
class FrameIndex {
public:
    FrameIndex(const std::vector<Tag>& tags, int declaredFrames);
    int count() const { return static_cast<int>(starts_.size()); }
    // Tag index range [first, last) of `frame`; empty past the tags.
    std::size_t first(int frame) const { return starts_[static_cast<std::size_t>(frame)]; }
    std::size_t last(int frame) const { return ends_[static_cast<std::size_t>(frame)]; }
    // Frame of a label (case-insensitive, as labels are in scripts; the first wins).
    std::optional<int> labelFrame(const std::string& label) const;

private:
    std::vector<std::size_t> starts_, ends_;
    std::unordered_map<std::string, int> labels_; // lower-case label -> frame
};

class Timeline {
public:
    // `nesting` counts the sprites above this one (0 for the root).
    Timeline(MovieStage& stage, const std::vector<Tag>& tags, int declaredFrames, int nesting,
             DisplayObject* owner, Timeline* parent);
    ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    std::uint64_t id() const { return id_; }
    int currentFrame() const { return current_; }
    int totalFrames() const { return frames_->count(); }
    bool isPlaying() const { return playing_; }
    int nesting() const { return nesting_; }
    DisplayObject* owner() const { return owner_; }
    // The timeline this one is placed on (through a button too); null for the root.
    Timeline* parent() const { return parent_; }
    const DisplayList& displayList() const { return list_; }
    DisplayList& displayList() { return list_; }

    void play() { playing_ = true; }
    void stop() { playing_ = false; }

    // Shows the first frame (a new instance, or after load).
    void enterFirstFrame();
    // One tick: the next frame when playing (back to the first after the last), then the
    // sprites and buttons on this list.
    void tick();
    // Shows `frame` (clamped to the timeline); queues the actions of that frame only when
    // `runActions`. Frames skipped on the way run their display-list tags and nothing else.
    void gotoFrame(int frame, bool runActions = true);
    void nextFrame() { gotoFrame(current_ + 1); }
    void prevFrame() { gotoFrame(current_ - 1); }
    // Frame of a label (case-insensitive, as labels are in scripts), if any.
    std::optional<int> labelFrame(const std::string& label) const;
    // The child with this instance name (case-insensitive), if any.
    DisplayObject* childByName(const std::string& name) const;

private:
    // What a run of frames leaves at each depth it touches (empty: nothing there).
    using DepthState = std::map<std::uint16_t, std::optional<Placement>>;
    void applyFrameToState(int frame, DepthState& state, bool seedFromList) const;
    bool keepOrUpdate(DisplayObject& obj, const std::optional<Placement>* target);
    // Makes the list show `state`: all of it when rebuilding, else the touched depths.
    void reconcile(const DepthState& state, bool wholeList);
    void runFrameSideTags(int frame, bool runActions);

    MovieStage& stage_;
    const std::vector<Tag>& tags_;
    std::shared_ptr<const FrameIndex> frames_;
    int nesting_ = 0;
    DisplayObject* owner_ = nullptr;
    Timeline* parent_ = nullptr;
    std::uint64_t id_ = 0;
    int current_ = -1;
    bool playing_ = true;
    DisplayList list_;
};

// A button's mouse state; what it shows follows from it.
enum class ButtonState { Idle, OverUp, OverDown, OutDown };

class ButtonInstance {
public:
    ButtonInstance(MovieStage& stage, const DefineButton& def, int nesting, Timeline* container);
    ~ButtonInstance();
    ButtonInstance(const ButtonInstance&) = delete;
    ButtonInstance& operator=(const ButtonInstance&) = delete;

    const DefineButton& definition() const { return def_; }
    // The timeline the button is placed on: its actions run there.
    Timeline* container() const { return container_; }
    ButtonState state() const { return state_; }
    // Changes the state and the children shown (objects in both states are kept).
    void setState(ButtonState state);
    // Children of the state shown, bottom first, and of the hit area.
    const std::vector<std::unique_ptr<DisplayObject>>& shown() const { return shown_; }
    const std::vector<std::unique_ptr<DisplayObject>>& hitArea() const { return hit_; }
    void tick();

private:
    std::unique_ptr<DisplayObject> makeChild(std::size_t record);
    void rebuildShown();

    MovieStage& stage_;
    const DefineButton& def_;
    int nesting_ = 0;
    Timeline* container_ = nullptr;
    ButtonState state_ = ButtonState::Idle;
    std::vector<std::unique_ptr<DisplayObject>> shown_;
    std::vector<std::size_t> shownRecords_; // record index of each shown child
    std::vector<std::unique_ptr<DisplayObject>> hit_;
};

// The transition condition bit of DefineButton2 actions for a state change, 0 for none.
std::uint16_t buttonCondition(ButtonState from, ButtonState to);

} // namespace swf::player
