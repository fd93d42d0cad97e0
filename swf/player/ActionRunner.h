#pragma once
// Runs action blocks for the stage. The stage only knows this interface, so the full
// ActionScript machine can take the place of the simple runner.
#include "swf/format/Actions.h"

namespace swf::player {

class MovieStage;
class Timeline;

class ActionRunner {
public:
    virtual ~ActionRunner();
    // Runs `block` with `target` as its timeline. The runner must not keep references to
    // timelines across actions: any action may remove them (look them up by id).
    virtual void run(MovieStage& stage, Timeline& target, const ActionBlock& block) = 0;
};

// The actions of version-3 movies: frame control, labels, wait-for-frame, set target,
// quality, sounds and get-URL (logged, not followed). Everything else is skipped.
class SimpleActionRunner final : public ActionRunner {
public:
    void run(MovieStage& stage, Timeline& target, const ActionBlock& block) override;
};

} // namespace swf::player
