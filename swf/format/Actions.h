#pragma once
// ActionScript 1/2 byte code: a block keeps its bytes (jumps and function bodies are byte
// offsets into them) and the list of action records decoded from its start.
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace swf {

// Action codes that carry operands, and a few without that the dump names.
enum class ActionCode : std::uint8_t {
    End = 0x00,
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    ToggleQuality = 0x08,
    StopSounds = 0x09,
    Trace = 0x26,
    GotoFrame = 0x81,
    GetUrl = 0x83,
    StoreRegister = 0x87,
    ConstantPool = 0x88,
    WaitForFrame = 0x8A,
    SetTarget = 0x8B,
    GotoLabel = 0x8C,
    WaitForFrame2 = 0x8D,
    DefineFunction2 = 0x8E,
    Try = 0x8F,
    With = 0x94,
    Push = 0x96,
    Jump = 0x99,
    GetUrl2 = 0x9A,
    DefineFunction = 0x9B,
    If = 0x9D,
    Call = 0x9E,
    GotoFrame2 = 0x9F,
};

// Name of an action code for dumps ("Push", "ActionAdd2"); "Unknown" if not defined.
const char* actionName(std::uint8_t code);

// One value of ActionPush.
struct PushValue {
    enum class Type : std::uint8_t {
        String = 0, Float = 1, Null = 2, Undefined = 3, Register = 4,
        Boolean = 5, Double = 6, Integer = 7, Constant8 = 8, Constant16 = 9,
    };
    Type type = Type::Undefined;
    std::string string;     // String
    double number = 0;      // Float, Double
    std::int32_t integer = 0; // Integer; register number; boolean 0/1; constant index
    bool operator==(const PushValue&) const = default;
};

struct ActionGotoFrame { std::uint16_t frame = 0; };
struct ActionGetUrl { std::string url, target; };
struct ActionStoreRegister { std::uint8_t reg = 0; };
struct ActionConstantPool { std::vector<std::string> constants; };
struct ActionWaitForFrame { std::uint16_t frame = 0; std::uint8_t skipCount = 0; };
struct ActionSetTarget { std::string target; };
struct ActionGotoLabel { std::string label; };
struct ActionWaitForFrame2 { std::uint8_t skipCount = 0; };
struct ActionPush { std::vector<PushValue> values; };
// Jump and If: the target is bytes from the end of this action record.
struct ActionBranch { std::int16_t offset = 0; };
struct ActionGetUrl2 {
    std::uint8_t sendVarsMethod = 0; // 0 none, 1 GET, 2 POST
    bool loadTarget = false;
    bool loadVariables = false;
};
struct ActionGotoFrame2 {
    bool play = false;
    std::uint16_t sceneBias = 0;
};

// The body of a function, with, or try/catch/finally part: bytes of the same block
// starting at bodyOffset, right after the record that owns them.
struct CodeRange {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    bool operator==(const CodeRange&) const = default;
};

struct ActionDefineFunction {
    std::string name; // empty for anonymous functions
    std::vector<std::string> params;
    CodeRange body;
};

struct FunctionParam {
    std::uint8_t reg = 0; // 0: not in a register
    std::string name;
};

struct ActionDefineFunction2 {
    std::string name;
    std::uint8_t registerCount = 0;
    std::uint16_t flags = 0; // see the Preload/Suppress bits below
    std::vector<FunctionParam> params;
    CodeRange body;

    static constexpr std::uint16_t PreloadThis = 0x0001, SuppressThis = 0x0002,
        PreloadArguments = 0x0004, SuppressArguments = 0x0008, PreloadSuper = 0x0010,
        SuppressSuper = 0x0020, PreloadRoot = 0x0040, PreloadParent = 0x0080,
        PreloadGlobal = 0x0100;
};

struct ActionWith { CodeRange body; };

struct ActionTry {
    std::optional<std::uint8_t> catchRegister;
    std::string catchName; // when the caught value goes to a variable
    bool hasCatch = false, hasFinally = false;
    CodeRange tryBody, catchBody, finallyBody;
};

// An action with a payload this reader does not interpret.
struct ActionUnknown { Bytes payload; };

using ActionOperands = std::variant<std::monostate, ActionGotoFrame, ActionGetUrl,
    ActionStoreRegister, ActionConstantPool, ActionWaitForFrame, ActionSetTarget,
    ActionGotoLabel, ActionWaitForFrame2, ActionDefineFunction2, ActionTry, ActionWith,
    ActionPush, ActionBranch, ActionGetUrl2, ActionDefineFunction, ActionGotoFrame2,
    ActionUnknown>;

struct Action {
    std::uint32_t offset = 0; // of the record within its block
    std::uint32_t size = 0;   // of the whole record (code, length and payload)
    std::uint8_t code = 0;
    ActionOperands operands;

    std::uint32_t end() const { return offset + size; }
};

struct ActionBlock {
    Bytes bytes;
    std::vector<Action> actions; // decoded in order from offset 0 up to the first End
    // Offset of the first record that could not be decoded; the actions before it are
    // kept and the bytes stay complete, so a player may still run what decoded.
    std::optional<std::uint32_t> decodeErrorAt;
};

struct DoAction {
    ActionBlock actions;
};

struct DoInitAction {
    std::uint16_t spriteId = 0;
    ActionBlock actions;
};

} // namespace swf
