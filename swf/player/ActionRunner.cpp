#include "swf/player/ActionRunner.h"

#include "swf/player/MovieStage.h"

namespace swf::player {

ActionRunner::~ActionRunner() = default;

void SimpleActionRunner::run(MovieStage& stage, Timeline& target, const ActionBlock& block)
{
    const std::uint64_t originalId = target.id();
    std::uint64_t currentId = originalId; // 0: a set target that named nothing
    std::size_t skip = 0;
    for (const Action& action : block.actions) {
        if (skip > 0) {
            --skip;
            continue;
        }
        Timeline* t = currentId ? stage.timeline(currentId) : nullptr;
        switch (static_cast<ActionCode>(action.code)) {
        case ActionCode::End:
            return;
        case ActionCode::NextFrame:
            if (t) {
                t->stop();
                t->nextFrame();
            }
            break;
        case ActionCode::PreviousFrame:
            if (t) {
                t->stop();
                t->prevFrame();
            }
            break;
        case ActionCode::Play:
            if (t)
                t->play();
            break;
        case ActionCode::Stop:
            if (t)
                t->stop();
            break;
        case ActionCode::ToggleQuality:
            stage.toggleQuality();
            break;
        case ActionCode::StopSounds:
            stage.stopSounds();
            break;
        case ActionCode::GotoFrame:
            // Going to a frame stops there; movies say play() after it to run on.
            if (const auto* op = std::get_if<ActionGotoFrame>(&action.operands); op && t) {
                t->stop();
                t->gotoFrame(op->frame);
            }
            break;
        case ActionCode::GotoLabel:
            if (const auto* op = std::get_if<ActionGotoLabel>(&action.operands); op && t) {
                if (const auto frame = t->labelFrame(op->label)) {
                    t->stop();
                    t->gotoFrame(*frame);
                }
            }
            break;
        case ActionCode::WaitForFrame:
            // The whole movie is loaded: only frames past the end are never ready.
            if (const auto* op = std::get_if<ActionWaitForFrame>(&action.operands); op && t) {
                if (op->frame >= t->totalFrames())
                    skip = op->skipCount;
            }
            break;
        case ActionCode::SetTarget:
            if (const auto* op = std::get_if<ActionSetTarget>(&action.operands)) {
                Timeline* base = stage.timeline(originalId);
                Timeline* resolved = base ? stage.resolveTarget(*base, op->target) : nullptr;
                currentId = resolved ? resolved->id() : 0;
            }
            break;
        case ActionCode::GetUrl:
            if (const auto* op = std::get_if<ActionGetUrl>(&action.operands))
                stage.log(QStringLiteral("getURL: %1 (target \"%2\"), not followed")
                              .arg(QString::fromStdString(op->url), QString::fromStdString(op->target)));
            break;
        default:
            // Needs the script machine (stack, variables, branches): skipped.
            break;
        }
    }
}

} // namespace swf::player
