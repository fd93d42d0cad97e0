#pragma once
// One loaded movie while it plays: its dictionary, the root timeline with every sprite
// below it, the frame tick, the queue of frame and button actions, the mouse state of the
// buttons, and the snapshot for the renderer. Coordinates here are twips of the stage.
#include "swf/player/Timeline.h"
#include "swf/render/Scene.h"

#include <QPointF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace swf::player {

class ActionRunner;

// Limits against hostile movies. A cut object is left out; the rest still plays.
struct StageLimits {
    int maxNesting = 32;            // sprites and buttons inside one another
    int maxObjects = 20000;         // display objects alive at once, all lists together
    int maxActionBlocksPerRun = 2000; // action blocks run in one go (goto ping-pong)
};

// The characters of a movie, its button colour transforms and its first background.
struct MovieDictionary {
    CharacterLibrary library;
    std::unordered_map<std::uint16_t, ColorTransform> buttonColorTransforms;
    std::optional<Rgba> background;
};

// Collects the definitions of every root-timeline tag. A complete file is loaded at
// once, so every definition is known before the first frame, as in a movie that has
// finished loading. The first definition of an id wins.
MovieDictionary buildDictionary(const Movie& movie);

class MovieStage {
public:
    explicit MovieStage(const Movie& movie, StageLimits limits = {});
    ~MovieStage();
    MovieStage(const MovieStage&) = delete;
    MovieStage& operator=(const MovieStage&) = delete;

    const Movie& movie() const { return movie_; }
    const CharacterLibrary& library() const { return dictionary_.library; }
    const StageLimits& limits() const { return limits_; }
    Timeline& root() { return *root_; }
    const Timeline& root() const { return *root_; }

    // Shows the first frame and runs its actions.
    void start();
    // One tick of the whole tree, then the actions it queued.
    void advanceFrame();
    std::uint64_t tickCount() const { return tick_; }

    // The movie's own background colour, if it set one. Only the first SetBackgroundColor
    // that runs counts; movies that set another later keep the first.
    std::optional<Rgba> background() const { return background_; }
    void setBackground(Rgba color)
    {
        if (!background_)
            background_ = color;
    }
    const ColorTransform* buttonColorTransform(std::uint16_t buttonId) const;

    // Book-keeping of objects and timelines (limits, weak references from queues).
    bool mayCreate(int nesting);
    std::uint64_t objectCreated();
    void objectDestroyed();
    int liveObjects() const { return liveObjects_; }
    int limitCuts() const { return limitCuts_; }
    std::uint64_t timelineCreated(Timeline* timeline);
    void timelineDestroyed(std::uint64_t id);
    Timeline* timeline(std::uint64_t id) const;
    // The frame index of a tag list, made once and shared by every timeline that plays it.
    std::shared_ptr<const FrameIndex> frameIndex(const std::vector<Tag>& tags, int declaredFrames);

    // Actions: frame and button actions are queued and run in order by the runner.
    void queueActions(Timeline& target, const ActionBlock& block);
    void runQueuedActions();
    void setActionRunner(std::unique_ptr<ActionRunner> runner);

    // Services the actions use.
    void setTraceSink(std::function<void(const QString&)> sink) { trace_ = std::move(sink); }
    void log(const QString& line) const;
    void setToggleQualityHandler(std::function<void()> handler) { toggleQuality_ = std::move(handler); }
    void toggleQuality();
    void stopSounds() {}
    // A target path ("/a/b", "a.b", "../x", "_root", "_parent", "_levelN") from `base`.
    Timeline* resolveTarget(Timeline& base, const std::string& path);

    // The display list as a tree for the renderer.
    void buildScene(DisplayNode& root) const;

    // Mouse and keys. The hit test says whether a stage point lies in a node drawn with the
    // given node-to-stage transform (the renderer's hit test).
    using HitTest = std::function<bool(const DisplayNode&, const QTransform&, QPointF)>;
    void setHitTest(HitTest hitTest) { hitTest_ = std::move(hitTest); }
    // The highest first line an edit text node can scroll to, from its layout (the
    // renderer's); without it text does not scroll.
    using MaxScroll = std::function<int(const DisplayNode&)>;
    void setMaxScroll(MaxScroll maxScroll) { maxScroll_ = std::move(maxScroll); }
    void mouseMove(QPointF stagePoint);
    void mousePress(QPointF stagePoint);
    void mouseRelease(QPointF stagePoint);
    void mouseLeave();
    // A key in the codes of button key conditions (ASCII, or 1..19 for special keys).
    void keyPress(std::uint8_t buttonKeyCode);
    // The mouse wheel turned by `lines` (positive: away from the user) over the stage: the
    // edit text under the mouse scrolls by as many lines, within its text.
    void mouseWheel(int lines);

private:
    struct ButtonHit;
    void collectButtons(const Timeline& timeline, const QTransform& toStage, bool visible,
                        std::vector<ButtonHit>& out) const;
    std::uint64_t buttonAt(QPointF stagePoint, std::vector<ButtonHit>& buttons) const;
    void setButtonState(const ButtonHit& button, ButtonState state);
    void updateButtons(std::optional<QPointF> point, bool pressEdge, bool releaseEdge);
    DisplayObject* editTextAt(const Timeline& timeline, const QTransform& toStage, QPointF stagePoint) const;

    const Movie& movie_;
    StageLimits limits_;
    MovieDictionary dictionary_;
    std::optional<Rgba> background_;
    std::unique_ptr<Timeline> root_;
    std::uint64_t tick_ = 0;
    std::uint64_t nextSerial_ = 1;
    int liveObjects_ = 0;
    int limitCuts_ = 0;
    std::unordered_map<std::uint64_t, Timeline*> timelines_;
    std::unordered_map<const std::vector<Tag>*, std::shared_ptr<const FrameIndex>> frameIndexes_;

    struct Queued {
        std::uint64_t timeline;
        const ActionBlock* block;
    };
    std::vector<Queued> queue_;
    bool runningActions_ = false;
    std::unique_ptr<ActionRunner> runner_;

    std::function<void(const QString&)> trace_;
    std::function<void()> toggleQuality_;
    HitTest hitTest_;
    MaxScroll maxScroll_;
    bool mouseDown_ = false;
    std::optional<QPointF> mousePoint_;
    std::uint64_t hovered_ = 0; // serial of the button under the mouse
    std::uint64_t pressed_ = 0; // serial of the button the mouse went down on
};

// A Matrix as a QTransform (twips).
QTransform toTransform(const Matrix& m);

} // namespace swf::player
