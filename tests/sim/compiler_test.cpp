#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace simtest;

namespace {

std::optional<sim::ScriptProgram> compile(const std::vector<world::ScriptBlock>& blocks,
                                          const std::vector<world::Entity>& entities = {}) {
  world::World w;
  w.scripts = blocks;
  w.entities = entities;
  return sim::compileScripts(w);
}

// The one error line the compiler logs, captured from standard error.
std::string failureOf(const std::vector<world::ScriptBlock>& blocks,
                      const std::vector<world::Entity>& entities = {}) {
  testing::internal::CaptureStderr();
  const auto program = compile(blocks, entities);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(program.has_value());
  return err;
}

}  // namespace

TEST(ScriptCompiler, LaysOutInstructionsAtDosAddresses) {
  const auto p = compile({code("A", {op("wait", {3})})});
  ASSERT_TRUE(p);
  ASSERT_EQ(p->instrs.size(), 2u);
  EXPECT_EQ(p->instrs[0].op, sim::kOpWait);
  EXPECT_EQ(p->instrs[0].a, 3);
  EXPECT_EQ(p->instrs[1].op, sim::kOpBlockEnd);
  ASSERT_EQ(p->layout.codeAddress.size(), 2u);
  EXPECT_EQ(p->layout.codeAddress[0], 0x6CB1);
  EXPECT_EQ(p->layout.codeAddress[1], 0x6CB3);
  EXPECT_EQ(p->layout.codeIndex.at(0x6CB1), 0);
  EXPECT_EQ(p->layout.codeIndex.count(0x6CB3), 0u);
}

TEST(ScriptCompiler, SizesOperandsAndTextEscapes) {
  // say: opcode, width byte, text "a\x41b" of encoded length 3 plus terminator.
  const auto p = compile({code("A", {op("say", {4, "a\\x41b"}), op("setscript", {"A"}),
                                      op("teleport", {1, 2, 3, 4}), op("end")}),
                          gfx("G", 2, 1, {1, 2}), raw("R", 10), touch("T", 0, 0, 1, 1),
                          code("B", {op("rnd", {3, 1})})});
  ASSERT_TRUE(p);
  const auto& a = p->layout.codeAddress;
  ASSERT_EQ(a.size(), 7u);  // four + end, one + end
  EXPECT_EQ(a[0], 0x6CB1);
  EXPECT_EQ(a[1], 0x6CB1 + 6);
  EXPECT_EQ(a[2], 0x6CB1 + 6 + 3);
  EXPECT_EQ(a[3], 0x6CB1 + 6 + 3 + 7);
  EXPECT_EQ(a[4], 0x6CB1 + 17);  // block end of A
  const std::uint16_t gfxAt = 0x6CB1 + 17;
  ASSERT_EQ(p->layout.gfxAddress.size(), 1u);
  EXPECT_EQ(p->layout.gfxAddress[0], gfxAt);
  EXPECT_EQ(p->layout.gfxIndex.at(gfxAt), 0);
  // graphic 2 + 2 * 2 bytes, raw 10, touch box 4
  EXPECT_EQ(a[5], gfxAt + 6 + 10 + 4);
  EXPECT_EQ(p->instrs[0].text, "a\\x41b");
  EXPECT_EQ(p->instrs[1].target, 0);
  EXPECT_EQ(p->instrs[2].a, 1);
  EXPECT_EQ(p->instrs[2].d, 4);
  ASSERT_EQ(p->touches.size(), 1u);
  EXPECT_EQ(p->touches[0].code, 5);
  ASSERT_EQ(p->graphics.size(), 1u);
  EXPECT_EQ(p->graphics[0].tiles, (std::vector<std::uint16_t>{1, 2}));
}

TEST(ScriptCompiler, BlockEndsAndLabels) {
  // Two consecutive code blocks share one block end; a label pseudo-op takes no
  // instruction; a later label definition replaces an earlier one.
  const auto p = compile({code("A", {op("end"), op("label", {"MID"}), op("stop")}),
                          code("B", {op("jmp", {"MID"}), op("label", {"A"})}), gfx("G", 1, 1, {1}),
                          code("C", {op("yield")})});
  ASSERT_TRUE(p);
  ASSERT_EQ(p->instrs.size(), 6u);
  EXPECT_EQ(p->instrs[3].op, sim::kOpBlockEnd);
  EXPECT_EQ(p->instrs[5].op, sim::kOpBlockEnd);
  EXPECT_EQ(p->label("MID"), 1);
  EXPECT_EQ(p->label("B"), 2);
  EXPECT_EQ(p->label("A"), 3);
  EXPECT_EQ(p->label("C"), 4);
  EXPECT_EQ(p->instrs[2].target, 1);
  EXPECT_EQ(p->label("nothing"), -1);
}

TEST(ScriptCompiler, ResolvesNativesGraphicsAndEntities) {
  const auto p = compile(
      {gfx("G0", 1, 1, {7}), gfx("G1", 1, 1, {8}), touch("T", 4, 8, 2, 3),
       code("S", {op("setw", {"G1"}), op("native", {"flash_to_room_61"}), op("native_end", {"redraw"}),
                  op("goto", {"S"})})},
      {entity(300, -15, 17, "S", "G1", "T"), entity(1, 8, 8, "")});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->instrs[0].target, 1);
  EXPECT_EQ(p->instrs[1].native, 21);
  EXPECT_EQ(p->instrs[2].native, 0);
  ASSERT_EQ(p->entities.size(), 2u);
  const auto& e = p->entities[0];
  EXPECT_EQ(e.room, 300 & 0xFF);
  EXPECT_EQ(e.x8, static_cast<std::uint8_t>(-1));  // -15 / 8 truncates toward zero
  EXPECT_EQ(e.y8, 2);
  EXPECT_EQ(e.step, 0);
  EXPECT_EQ(e.touch, 0);
  EXPECT_EQ(e.gfx, 1);
  EXPECT_EQ(p->entities[1].step, -1);
  EXPECT_EQ(p->entities[1].gfx, -1);
  EXPECT_EQ(p->entities[1].touch, -1);
}

TEST(ScriptCompiler, FindsTheConversationSequence) {
  auto p = compile({code("A", {op("say_at", {1, 2, 3, "x"})}),
                    code("L_756D", {op("say_at", {1, 2, 3, "a"}), op("wait", {1}), op("say_at", {1, 2, 3, "b"})})});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->conversation, (std::array<std::int32_t, 4>{1, 3, -1, -1}));
  p = compile({code("A", {op("say_at", {1, 2, 3, "x"})})});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->conversation, (std::array<std::int32_t, 4>{-1, -1, -1, -1}));
}

TEST(ScriptCompiler, ReportsEveryFailureWithItsMessage) {
  EXPECT_NE(failureOf({code("A", {op("dance")})}).find("script A: unknown opcode 'dance'"), std::string::npos);
  EXPECT_NE(failureOf({touch("T", 0, 0, 1, 1)}).find("touch box T is not followed by its code"), std::string::npos);
  EXPECT_NE(failureOf({touch("T", 0, 0, 1, 1), gfx("G", 1, 1, {1}), code("A", {op("end")})})
                .find("touch box T is not followed by its code"),
            std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("rnd", {1})})}).find("script A: rnd lacks operands"), std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("jmp", {"nowhere"})})}).find("script A: jump to an unknown code label"),
            std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("jmp", {3})})}).find("script A: jump to an unknown code label"),
            std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("goto", {"G"})}), gfx("G", 1, 1, {1})})
                .find("script A: jump to an unknown code label"),
            std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("setw", {"A"})})}).find("script A: unknown graphic list"), std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("native", {"Redraw"})})}).find("script A: unknown native 'Redraw'"),
            std::string::npos);
  const std::string wrongType = "scripts: an operand has the wrong type (number, label or text)";
  EXPECT_NE(failureOf({code("A", {op("wait", {"A"})})}).find(wrongType), std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("say", {1, 2})})}).find(wrongType), std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("label", {5})})}).find(wrongType), std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("template", {"A", 1})})}).find(wrongType), std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("end")})}, {entity(0, 0, 0, "B")}).find("entity: unknown step label B"),
            std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("end")})}, {entity(0, 0, 0, "", "", "A")})
                .find("entity: unknown touch label A"),
            std::string::npos);
  EXPECT_NE(failureOf({code("A", {op("end")})}, {entity(0, 0, 0, "", "A")}).find("entity: unknown graphic label A"),
            std::string::npos);
  // A label pseudo-operation without its operand fails too, with one line.
  const std::string err = failureOf({code("A", {op("label")})});
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(ScriptCompiler, OperationTableLookups) {
  ASSERT_NE(sim::findOp("stop"), nullptr);
  EXPECT_EQ(sim::findOp("stop")->opcode, 28);
  EXPECT_EQ(sim::findOp("label"), nullptr);
  EXPECT_EQ(sim::findOp(""), nullptr);
  for (std::size_t i = 0; i < sim::kNatives.size(); ++i) EXPECT_EQ(static_cast<std::size_t>(sim::kNatives[i].id), i);
}
