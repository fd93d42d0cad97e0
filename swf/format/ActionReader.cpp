#include "swf/format/Reader.h"
#include "swf/format/TagReaders.h"

#include <cstring>

namespace swf {

const char* actionName(std::uint8_t code)
{
    switch (code) {
    case 0x00: return "End";
    case 0x04: return "NextFrame";
    case 0x05: return "PreviousFrame";
    case 0x06: return "Play";
    case 0x07: return "Stop";
    case 0x08: return "ToggleQuality";
    case 0x09: return "StopSounds";
    case 0x0A: return "Add";
    case 0x0B: return "Subtract";
    case 0x0C: return "Multiply";
    case 0x0D: return "Divide";
    case 0x0E: return "Equals";
    case 0x0F: return "Less";
    case 0x10: return "And";
    case 0x11: return "Or";
    case 0x12: return "Not";
    case 0x13: return "StringEquals";
    case 0x14: return "StringLength";
    case 0x15: return "StringExtract";
    case 0x17: return "Pop";
    case 0x18: return "ToInteger";
    case 0x1C: return "GetVariable";
    case 0x1D: return "SetVariable";
    case 0x20: return "SetTarget2";
    case 0x21: return "StringAdd";
    case 0x22: return "GetProperty";
    case 0x23: return "SetProperty";
    case 0x24: return "CloneSprite";
    case 0x25: return "RemoveSprite";
    case 0x26: return "Trace";
    case 0x27: return "StartDrag";
    case 0x28: return "EndDrag";
    case 0x29: return "StringLess";
    case 0x2A: return "Throw";
    case 0x2B: return "CastOp";
    case 0x2C: return "ImplementsOp";
    case 0x30: return "RandomNumber";
    case 0x31: return "MBStringLength";
    case 0x32: return "CharToAscii";
    case 0x33: return "AsciiToChar";
    case 0x34: return "GetTime";
    case 0x35: return "MBStringExtract";
    case 0x36: return "MBCharToAscii";
    case 0x37: return "MBAsciiToChar";
    case 0x3A: return "Delete";
    case 0x3B: return "Delete2";
    case 0x3C: return "DefineLocal";
    case 0x3D: return "CallFunction";
    case 0x3E: return "Return";
    case 0x3F: return "Modulo";
    case 0x40: return "NewObject";
    case 0x41: return "DefineLocal2";
    case 0x42: return "InitArray";
    case 0x43: return "InitObject";
    case 0x44: return "TypeOf";
    case 0x45: return "TargetPath";
    case 0x46: return "Enumerate";
    case 0x47: return "Add2";
    case 0x48: return "Less2";
    case 0x49: return "Equals2";
    case 0x4A: return "ToNumber";
    case 0x4B: return "ToString";
    case 0x4C: return "PushDuplicate";
    case 0x4D: return "StackSwap";
    case 0x4E: return "GetMember";
    case 0x4F: return "SetMember";
    case 0x50: return "Increment";
    case 0x51: return "Decrement";
    case 0x52: return "CallMethod";
    case 0x53: return "NewMethod";
    case 0x54: return "InstanceOf";
    case 0x55: return "Enumerate2";
    case 0x60: return "BitAnd";
    case 0x61: return "BitOr";
    case 0x62: return "BitXor";
    case 0x63: return "BitLShift";
    case 0x64: return "BitRShift";
    case 0x65: return "BitURShift";
    case 0x66: return "StrictEquals";
    case 0x67: return "Greater";
    case 0x68: return "StringGreater";
    case 0x69: return "Extends";
    case 0x81: return "GotoFrame";
    case 0x83: return "GetURL";
    case 0x87: return "StoreRegister";
    case 0x88: return "ConstantPool";
    case 0x8A: return "WaitForFrame";
    case 0x8B: return "SetTarget";
    case 0x8C: return "GotoLabel";
    case 0x8D: return "WaitForFrame2";
    case 0x8E: return "DefineFunction2";
    case 0x8F: return "Try";
    case 0x94: return "With";
    case 0x96: return "Push";
    case 0x99: return "Jump";
    case 0x9A: return "GetURL2";
    case 0x9B: return "DefineFunction";
    case 0x9D: return "If";
    case 0x9E: return "Call";
    case 0x9F: return "GotoFrame2";
    default: return "Unknown";
    }
}

namespace {

// A body follows its owning record in the same block and must end inside it.
CodeRange bodyAfter(std::size_t start, std::size_t size, std::size_t blockSize)
{
    if (start > blockSize || size > blockSize - start)
        throw ReadError("code body runs past the end of its block");
    return CodeRange{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(size)};
}

ActionPush readPush(BitReader& p)
{
    ActionPush push;
    while (!p.atEnd()) {
        PushValue v;
        const std::uint8_t type = p.u8();
        switch (type) {
        case 0: v.string = p.string(); break;
        case 1: v.number = p.f32(); break;
        case 2:
        case 3: break;
        case 4: v.integer = p.u8(); break;
        case 5: v.integer = p.u8() != 0; break;
        case 6: {
            // Two little-endian 32-bit halves, the high half first.
            const std::uint64_t hi = p.u32();
            const std::uint64_t lo = p.u32();
            const std::uint64_t bits = (hi << 32) | lo;
            std::memcpy(&v.number, &bits, sizeof v.number);
            break;
        }
        case 7: v.integer = p.s32(); break;
        case 8: v.integer = p.u8(); break;
        case 9: v.integer = p.u16(); break;
        default: throw ReadError("unknown push value type " + std::to_string(type));
        }
        v.type = static_cast<PushValue::Type>(type);
        push.values.push_back(std::move(v));
    }
    return push;
}

} // namespace

Action decodeAction(std::span<const std::uint8_t> bytes, std::uint32_t offset, std::uint8_t swfVersion)
{
    (void)swfVersion; // operands have the same layout in every version
    BitReader r(bytes);
    r.seek(offset);
    Action a;
    a.offset = offset;
    a.code = r.u8();
    if (a.code < 0x80) {
        a.size = 1;
        return a;
    }
    const std::uint16_t length = r.u16();
    BitReader p(r.bytes(length));
    a.size = 3u + length;
    const std::size_t end = a.end();
    switch (a.code) {
    case 0x81: a.operands = ActionGotoFrame{p.u16()}; break;
    case 0x83: {
        ActionGetUrl g;
        g.url = p.string();
        g.target = p.string();
        a.operands = std::move(g);
        break;
    }
    case 0x87: a.operands = ActionStoreRegister{p.u8()}; break;
    case 0x88: {
        ActionConstantPool c;
        const std::uint16_t count = p.u16();
        // Some compilers declare more constants than they write; keep those present.
        for (std::uint16_t i = 0; i < count && !p.atEnd(); ++i)
            c.constants.push_back(p.string());
        a.operands = std::move(c);
        break;
    }
    case 0x8A: {
        ActionWaitForFrame w;
        w.frame = p.u16();
        w.skipCount = p.u8();
        a.operands = w;
        break;
    }
    case 0x8B: a.operands = ActionSetTarget{p.string()}; break;
    case 0x8C: a.operands = ActionGotoLabel{p.string()}; break;
    case 0x8D: a.operands = ActionWaitForFrame2{p.u8()}; break;
    case 0x8E: {
        ActionDefineFunction2 f;
        f.name = p.string();
        const std::uint16_t params = p.u16();
        f.registerCount = p.u8();
        f.flags = p.u16();
        for (std::uint16_t i = 0; i < params; ++i) {
            FunctionParam fp;
            fp.reg = p.u8();
            fp.name = p.string();
            f.params.push_back(std::move(fp));
        }
        f.body = bodyAfter(end, p.u16(), bytes.size());
        a.operands = std::move(f);
        break;
    }
    case 0x8F: {
        ActionTry t;
        const std::uint8_t flags = p.u8();
        t.hasFinally = flags & 0x02;
        t.hasCatch = flags & 0x01;
        const std::uint16_t trySize = p.u16();
        const std::uint16_t catchSize = p.u16();
        const std::uint16_t finallySize = p.u16();
        if (flags & 0x04)
            t.catchRegister = p.u8();
        else
            t.catchName = p.string();
        t.tryBody = bodyAfter(end, trySize, bytes.size());
        t.catchBody = bodyAfter(t.tryBody.offset + t.tryBody.size, catchSize, bytes.size());
        t.finallyBody = bodyAfter(t.catchBody.offset + t.catchBody.size, finallySize, bytes.size());
        a.operands = std::move(t);
        break;
    }
    case 0x94: a.operands = ActionWith{bodyAfter(end, p.u16(), bytes.size())}; break;
    case 0x96: a.operands = readPush(p); break;
    case 0x99:
    case 0x9D: a.operands = ActionBranch{p.s16()}; break;
    case 0x9A: {
        const std::uint8_t flags = p.u8();
        ActionGetUrl2 g;
        g.sendVarsMethod = flags >> 6;
        g.loadTarget = flags & 0x02;
        g.loadVariables = flags & 0x01;
        a.operands = g;
        break;
    }
    case 0x9B: {
        ActionDefineFunction f;
        f.name = p.string();
        const std::uint16_t params = p.u16();
        for (std::uint16_t i = 0; i < params; ++i)
            f.params.push_back(p.string());
        f.body = bodyAfter(end, p.u16(), bytes.size());
        a.operands = std::move(f);
        break;
    }
    case 0x9E: break; // Call has a length but no operands
    case 0x9F: {
        const std::uint8_t flags = p.u8();
        ActionGotoFrame2 g;
        g.play = flags & 0x01;
        if (flags & 0x02)
            g.sceneBias = p.u16();
        a.operands = g;
        break;
    }
    default: a.operands = ActionUnknown{p.copyRest()}; break;
    }
    return a;
}

void decodeActions(std::span<const std::uint8_t> bytes, std::uint32_t offset, std::uint8_t swfVersion,
                   std::vector<Action>& out, std::optional<std::uint32_t>& errorAt)
{
    while (offset < bytes.size()) {
        try {
            Action a = decodeAction(bytes, offset, swfVersion);
            const bool end = a.code == 0;
            offset = a.end();
            out.push_back(std::move(a));
            if (end)
                return;
        } catch (const ReadError&) {
            errorAt = offset;
            return;
        }
    }
}

namespace detail {

ActionBlock readActionBlock(std::span<const std::uint8_t> bytes, std::uint8_t swfVersion)
{
    ActionBlock b;
    b.bytes.assign(bytes.begin(), bytes.end());
    decodeActions(b.bytes, 0, swfVersion, b.actions, b.decodeErrorAt);
    return b;
}

} // namespace detail
} // namespace swf
