#pragma once
// Buttons: their state records, conditional actions, colour transform and sounds.
#include "swf/format/Actions.h"
#include "swf/format/DisplayList.h"
#include "swf/format/Sounds.h"
#include "swf/format/Units.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace swf {

struct ButtonRecord {
    bool up = false, over = false, down = false, hitTest = false;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform; // DefineButton2
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
};

// Transition bits of DefineButton2 actions.
namespace ButtonCondition {
inline constexpr std::uint16_t IdleToOverUp = 1u << 0, OverUpToIdle = 1u << 1,
    OverUpToOverDown = 1u << 2, OverDownToOverUp = 1u << 3, OverDownToOutDown = 1u << 4,
    OutDownToOverDown = 1u << 5, OutDownToIdle = 1u << 6, IdleToOverDown = 1u << 7,
    OverDownToIdle = 1u << 8;
}

struct ButtonAction {
    std::uint16_t conditions = 0; // ButtonCondition bits; DefineButton: OverDownToOverUp
    std::uint8_t keyCode = 0;     // key press that triggers the actions, 0 for none
    ActionBlock actions;
};

// DefineButton (version 1) and DefineButton2.
struct DefineButton {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
};

struct DefineButtonCxform {
    std::uint16_t buttonId = 0;
    ColorTransform colorTransform;
};

struct ButtonSound {
    std::uint16_t soundId = 0; // 0: none
    SoundInfo info;
};

// Sounds for the transitions OverUpToIdle, IdleToOverUp, OverUpToOverDown, OverDownToOverUp.
struct DefineButtonSound {
    std::uint16_t buttonId = 0;
    std::array<ButtonSound, 4> sounds;
};

} // namespace swf
