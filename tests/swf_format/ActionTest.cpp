// Action records: operands of every kind, function and try bodies as byte ranges, and
// blocks that break part way.
#include "swf/format/Reader.h"
#include "tests/swf_format/FixtureWriter.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace swf;
using fixture::BitWriter;

namespace {

// An action record with a payload.
Bytes act(std::uint8_t code, const Bytes& payload)
{
    BitWriter w;
    w.u8(code).u16(static_cast<std::uint16_t>(payload.size())).bytes(payload);
    return w.data();
}

ActionBlock decode(const Bytes& bytes, std::uint8_t version = 8)
{
    ActionBlock b;
    b.bytes = bytes;
    decodeActions(b.bytes, 0, version, b.actions, b.decodeErrorAt);
    return b;
}

template <class T>
const T& operands(const ActionBlock& b, std::size_t i)
{
    const T* o = std::get_if<T>(&b.actions.at(i).operands);
    if (!o)
        throw std::runtime_error("action " + std::to_string(i) + " has other operands");
    return *o;
}

} // namespace

TEST(Actions, PushValuesOfEveryType)
{
    BitWriter p;
    p.u8(0).str("hi").u8(1).f32(1.5f).u8(2).u8(3).u8(4).u8(3).u8(5).u8(1);
    // Double 0.1 as two little-endian words, high word first.
    double d = 0.1;
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    p.u8(6).u32(static_cast<std::uint32_t>(bits >> 32)).u32(static_cast<std::uint32_t>(bits));
    p.u8(7).u32(static_cast<std::uint32_t>(-5)).u8(8).u8(200).u8(9).u16(40000);
    const ActionBlock b = decode(fixture::concat({act(0x96, p.data()), Bytes{0x00}}));
    ASSERT_FALSE(b.decodeErrorAt);
    ASSERT_EQ(b.actions.size(), 2u);
    const auto& v = operands<ActionPush>(b, 0).values;
    ASSERT_EQ(v.size(), 10u);
    using T = PushValue::Type;
    EXPECT_EQ(v[0].type, T::String);
    EXPECT_EQ(v[0].string, "hi");
    EXPECT_EQ(v[1].type, T::Float);
    EXPECT_DOUBLE_EQ(v[1].number, 1.5);
    EXPECT_EQ(v[2].type, T::Null);
    EXPECT_EQ(v[3].type, T::Undefined);
    EXPECT_EQ(v[4].type, T::Register);
    EXPECT_EQ(v[4].integer, 3);
    EXPECT_EQ(v[5].type, T::Boolean);
    EXPECT_EQ(v[5].integer, 1);
    EXPECT_EQ(v[6].type, T::Double);
    EXPECT_DOUBLE_EQ(v[6].number, 0.1);
    EXPECT_EQ(v[7].integer, -5);
    EXPECT_EQ(v[8].type, T::Constant8);
    EXPECT_EQ(v[8].integer, 200);
    EXPECT_EQ(v[9].type, T::Constant16);
    EXPECT_EQ(v[9].integer, 40000);
    EXPECT_EQ(b.actions[1].code, 0);
    EXPECT_EQ(b.actions[1].offset, b.actions[0].end());
}

TEST(Actions, ControlFlowAndFrameOperands)
{
    BitWriter pool;
    pool.u16(2).str("a").str("b");
    BitWriter url;
    url.str("http://x/").str("_blank");
    BitWriter wait;
    wait.u16(7).u8(2);
    const Bytes code = fixture::concat({
        act(0x81, {5, 0}),                 // GotoFrame 5
        act(0x83, url.data()),             // GetURL
        act(0x88, pool.data()),            // ConstantPool
        act(0x8A, wait.data()),            // WaitForFrame 7, skip 2
        act(0x8B, {'/', 'm', 0}),          // SetTarget
        act(0x8C, {'l', 0}),               // GotoLabel
        act(0x99, {0xFE, 0xFF}),           // Jump -2
        act(0x9D, {0x03, 0x00}),           // If +3
        act(0x9A, {0x80 | 0x02 | 0x01}),   // GetURL2 POST, target, variables
        act(0x9F, {0x03, 0x02, 0x00}),     // GotoFrame2 play, bias 2
        act(0x87, {1}),                    // StoreRegister 1
        act(0x8D, {4}),                    // WaitForFrame2 skip 4
        act(0xC0, {1, 2, 3}),              // unknown, kept
        Bytes{0x06, 0x00},                 // Play, End
    });
    const ActionBlock b = decode(code);
    ASSERT_FALSE(b.decodeErrorAt);
    ASSERT_EQ(b.actions.size(), 15u);
    EXPECT_EQ(operands<ActionGotoFrame>(b, 0).frame, 5);
    EXPECT_EQ(operands<ActionGetUrl>(b, 1).target, "_blank");
    EXPECT_EQ(operands<ActionConstantPool>(b, 2).constants, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(operands<ActionWaitForFrame>(b, 3).skipCount, 2);
    EXPECT_EQ(operands<ActionSetTarget>(b, 4).target, "/m");
    EXPECT_EQ(operands<ActionGotoLabel>(b, 5).label, "l");
    EXPECT_EQ(operands<ActionBranch>(b, 6).offset, -2);
    EXPECT_EQ(operands<ActionBranch>(b, 7).offset, 3);
    const auto& g2 = operands<ActionGetUrl2>(b, 8);
    EXPECT_EQ(g2.sendVarsMethod, 2);
    EXPECT_TRUE(g2.loadTarget);
    EXPECT_TRUE(g2.loadVariables);
    EXPECT_TRUE(operands<ActionGotoFrame2>(b, 9).play);
    EXPECT_EQ(operands<ActionGotoFrame2>(b, 9).sceneBias, 2);
    EXPECT_EQ(operands<ActionStoreRegister>(b, 10).reg, 1);
    EXPECT_EQ(operands<ActionWaitForFrame2>(b, 11).skipCount, 4);
    EXPECT_EQ(operands<ActionUnknown>(b, 12).payload, (Bytes{1, 2, 3}));
    EXPECT_EQ(b.actions[13].code, 0x06);
    EXPECT_EQ(b.actions[13].size, 1u);
}

TEST(Actions, FunctionWithAndTryBodiesAreRangesOfTheBlock)
{
    const Bytes body = {0x06, 0x07}; // Play, Stop
    BitWriter f1;
    f1.str("f").u16(2).str("x").str("y").u16(2);
    BitWriter f2;
    f2.str("g").u16(1).u8(3).u16(ActionDefineFunction2::PreloadThis | ActionDefineFunction2::PreloadGlobal);
    f2.u8(2).str("p").u16(2);
    BitWriter t;
    t.u8(0x04 | 0x02 | 0x01).u16(1).u16(0).u16(1).u8(4);
    const Bytes code = fixture::concat({act(0x9B, f1.data()), body, act(0x8E, f2.data()), body,
                                        act(0x94, {1, 0}), Bytes{0x06}, act(0x8F, t.data()), body, Bytes{0x00}});
    const ActionBlock b = decode(code);
    ASSERT_FALSE(b.decodeErrorAt);
    const auto& fn = operands<ActionDefineFunction>(b, 0);
    EXPECT_EQ(fn.name, "f");
    EXPECT_EQ(fn.params, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(fn.body, (CodeRange{b.actions[0].end(), 2}));
    // The linear list goes on into the body.
    EXPECT_EQ(b.actions[1].offset, fn.body.offset);
    const auto& fn2 = operands<ActionDefineFunction2>(b, 3);
    EXPECT_EQ(fn2.registerCount, 3);
    EXPECT_EQ(fn2.flags, ActionDefineFunction2::PreloadThis | ActionDefineFunction2::PreloadGlobal);
    ASSERT_EQ(fn2.params.size(), 1u);
    EXPECT_EQ(fn2.params[0].reg, 2);
    EXPECT_EQ(fn2.params[0].name, "p");
    EXPECT_EQ(fn2.body.offset, b.actions[3].end());
    EXPECT_EQ(operands<ActionWith>(b, 6).body.size, 1u);
    const auto& tr = operands<ActionTry>(b, 8);
    EXPECT_TRUE(tr.hasCatch);
    EXPECT_TRUE(tr.hasFinally);
    EXPECT_EQ(tr.catchRegister, 4);
    EXPECT_EQ(tr.tryBody.size, 1u);
    EXPECT_EQ(tr.catchBody.size, 0u);
    EXPECT_EQ(tr.finallyBody.offset, tr.tryBody.offset + 1);
}

TEST(Actions, BrokenRecordsKeepWhatDecodedAndTheBytes)
{
    struct Case {
        const char* what;
        Bytes bytes;
        std::size_t decoded;
        std::uint32_t errorAt;
    };
    const std::vector<Case> cases = {
        {"length past the end", fixture::concat({Bytes{0x06}, Bytes{0x96, 0x10, 0x00, 0x00}}), 1, 1},
        {"length cut", Bytes{0x07, 0x96, 0x01}, 1, 1},
        {"operand longer than the record", fixture::concat({Bytes{0x06}, act(0x81, {5})}), 1, 1},
        {"unknown push type", fixture::concat({Bytes{0x06, 0x07}, act(0x96, {0x0A, 0})}), 2, 2},
        {"string without end", act(0x83, {'a', 'b'}), 0, 0},
        {"function body past the block", act(0x9B, {0, 0, 0, 0x10, 0}), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ActionBlock b = decode(c.bytes);
        EXPECT_EQ(b.actions.size(), c.decoded);
        EXPECT_EQ(b.decodeErrorAt, c.errorAt);
        EXPECT_EQ(b.bytes, c.bytes);
    }
    // In a movie, a broken block does not end reading.
    const Movie m = fixture::readTags(6, fixture::concat({fixture::tag(12, {0x96, 0x10, 0x00}), fixture::tag(1, {})}));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    ASSERT_EQ(m.tags.size(), 2u);
    EXPECT_EQ(fixture::bodyAt<DoAction>(m, 0)->actions.decodeErrorAt, 0u);
}

TEST(Actions, DecodingStopsAtEndAndCanStartAtAJumpTarget)
{
    const Bytes code = {0x07, 0x00, 0x06, 0x00};
    const ActionBlock b = decode(code);
    ASSERT_EQ(b.actions.size(), 2u); // Stop, End; the bytes after End are not decoded
    std::vector<Action> more;
    std::optional<std::uint32_t> err;
    decodeActions(code, 2, 8, more, err);
    ASSERT_EQ(more.size(), 2u);
    EXPECT_EQ(more[0].code, 0x06);
    EXPECT_FALSE(err);
    EXPECT_THROW(decodeAction(code, 4, 8), ReadError);
}

TEST(Actions, DoInitActionAndConstantPoolShortOfItsCount)
{
    BitWriter pool;
    pool.u16(5).str("only");
    const Bytes block = fixture::concat({act(0x88, pool.data()), Bytes{0x00}});
    BitWriter init;
    init.u16(3).bytes(block);
    const Movie m = fixture::readTags(7, fixture::tag(59, init.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DoInitAction* a = fixture::bodyAt<DoInitAction>(m);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->spriteId, 3);
    EXPECT_FALSE(a->actions.decodeErrorAt);
    EXPECT_EQ(std::get<ActionConstantPool>(a->actions.actions.at(0).operands).constants,
              (std::vector<std::string>{"only"}));
}
