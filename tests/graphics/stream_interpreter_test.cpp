// The graphics command stream: framing by type, operand sizes by host library version, the
// drawing state, window and segment operations, recording and replay, the repaint throttle.

#include "graphics/stream_interpreter.h"

#include <gtest/gtest.h>

#include "graphics/stream_opcodes.h"
#include "stream_test_support.h"

namespace kovw::graphics {
namespace {

constexpr std::int32_t kNew = 0x060D05;  // a recent host library

struct StreamFixture : ::testing::Test {
  RecordingOperations ops;
  StreamInterpreter interpreter{ops};
  StreamContext context;
  StreamWindow* window = nullptr;

  void SetUp() override {
    context.library_version = kNew;
    context.suppress_repaints = true;
    window = &interpreter.add_window(0);
  }
  int run(const Stream& s, int type) { return interpreter.interpret(s.bytes, type, context); }
  void make_segmented() {
    window->mapping = fit_world(4000, 4000, 4000, 4000, false);
    window->virtual_y = true;
    window->visible_width = 400;
    window->visible_height = 400;
  }
};

// Each opcode followed by DB_LINE: the line is drawn only when the opcode's operands were
// sized right for the version.
TEST_F(StreamFixture, OperandSizesFollowTheHostLibraryVersion) {
  struct Case {
    int opcode;
    std::int32_t version;
    std::size_t operands;
  };
  const Case cases[] = {
      {DB_FONT, 0x041306, 4},   {DB_FONT, 0x041307, 6},   {DB_RECT, 0x030D09, 23},
      {DB_RECT, 0x030D0A, 24},  {DB_RECT, 0x060A03, 26},  {DB_SENSE, 0x03FFFF, 24},
      {DB_SENSE, 0x040000, 28}, {DB_TOPT, kNew, 10},      {DB_TOPT7, kNew, 11},
      {DB_KREIS, kNew, 22},     {DB_KREIS_BOX, kNew, 38}, {DB_HGF, kNew, 5},
      {0x15, kNew, 3},          {DB_CONTROL, kNew, 18},   {DB_WINOP, kNew, 6},
      {DB_MEDIAOPT, kNew, 8},   {DB_FILL2, kNew, 2},      {DB_END, kNew, 0},
      {0x17, kNew, 3},          {0x1F, kNew, 3},          {0x3F, kNew, 0},
  };
  for (const Case& c : cases) {
    RecordingOperations fresh;
    StreamInterpreter interp(fresh);
    interp.add_window(0);
    Stream s;
    s.u8(c.opcode);
    for (std::size_t i = 0; i < c.operands; ++i) s.u8(0);
    s.u8(DB_LINE).append(line_operands({{1, 2}, {3, 4}}));
    StreamContext ctx;
    ctx.library_version = c.version;
    ctx.suppress_repaints = true;
    EXPECT_EQ(0, interp.interpret(s.bytes, kStreamData, ctx));
    ASSERT_EQ(1u, fresh.lines_drawn.size())
        << opcode_name(c.opcode) << " " << std::hex << c.version;
    EXPECT_EQ(3, fresh.lines_drawn[0][1].x) << opcode_name(c.opcode);
  }
}

TEST_F(StreamFixture, CountedOperandsCarryTheirTexts) {
  // DB_SENSE takes (flags & 0xFF) bytes of text after its window operand.
  Stream s;
  s.u8(DB_SENSE).u16(kSenseAdd).u16(0x0803).i32(7).i32(0).i32(0).i32(10).i32(10).i32(0).text("abc");
  s.u8(DB_TEXT).u16(2).i32(5).i32(6).text("hi");
  s.u8(DB_MSG).u16(3).text("msg");
  EXPECT_EQ(0, run(s, kStreamData));
  ASSERT_EQ(1u, ops.senses.size());
  EXPECT_EQ("abc", ops.senses[0].text);
  EXPECT_EQ(7, ops.senses[0].value);
  EXPECT_EQ((std::vector<std::string>{"5,6:hi", "0,0:msg"}), ops.texts);
}

TEST_F(StreamFixture, TypeFourColourTakesItsAlphaOnlyWhenSent) {
  run(with_length(0x15, Stream{}.u8(1).u8(2).u8(3)), kStreamWithLengths);
  EXPECT_EQ(0xFF010203u, window->attributes.colours.at(0x15));
  run(with_length(0x15, Stream{}.u8(1).u8(2).u8(3).u8(0x40)), kStreamWithLengths);
  EXPECT_EQ(0x40010203u, window->attributes.colours.at(0x15));
  // Without lengths a colour is always opaque and has three operands.
  run(Stream{}.u8(0x19).u8(9).u8(8).u8(7).u8(DB_LWID).u8(3), kStreamData);
  EXPECT_EQ(0xFF090807u, window->attributes.colours.at(0x19));
  EXPECT_EQ(3, window->attributes.line_width);
}

TEST_F(StreamFixture, TypeFourLengthsOfOneAndTwoBytes) {
  // 0x80 0x0C: ten operand bytes (DB_TLEN's four, then six more that are skipped).
  Stream s;
  s.u8(DB_TLEN).u8(0x80).u8(0x0C).i32(1234).u16(0).i32(0);
  s.append(with_length(DB_LINE, line_operands({{1, 1}, {2, 2}})));
  EXPECT_EQ(0, run(s, kStreamWithLengths));
  EXPECT_EQ(1234, window->attributes.text_length);
  EXPECT_EQ(1u, ops.lines_drawn.size());
  // A long command takes the two-byte form.
  std::vector<std::pair<int, int>> many(20, {5, 5});
  ops.lines_drawn.clear();
  run(with_length(DB_LINE, line_operands(many)), kStreamWithLengths);
  ASSERT_EQ(1u, ops.lines_drawn.size());
  EXPECT_EQ(20u, ops.lines_drawn[0].size());
}

TEST_F(StreamFixture, MalformedAndShortCommandsAreSkippedWithoutLosingStep) {
  // Length byte 0 and a two-byte length of 1: skipped, the next command still runs. A DB_TLEN
  // with two operand bytes is too short for its number: skipped. An unknown opcode: skipped.
  Stream s;
  s.u8(DB_LWID).u8(0);
  s.u8(DB_LWID).u8(0x80).u8(0x01);
  s.append(with_length(DB_TLEN, Stream{}.u16(9)));
  s.append(with_length(0x3C, Stream{}.u8(1).u8(2)));
  s.append(with_length(DB_LWID, Stream{}.u8(4)));
  EXPECT_EQ(0, run(s, kStreamWithLengths));
  EXPECT_EQ(4, window->attributes.line_width);
  EXPECT_EQ(0, window->attributes.text_length);
  // A command whose length runs past the end ends the message.
  Stream cut;
  cut.u8(DB_LWID).u8(2).u8(7).u8(DB_TLEN).u8(5).u8(1);
  EXPECT_EQ(0, run(cut, kStreamWithLengths));
  EXPECT_EQ(7, window->attributes.line_width);
  // Without lengths: an unknown opcode is one byte; a text whose count runs past the end is
  // not drawn.
  Stream plain;
  plain.u8(0x3C).u8(DB_LWID).u8(6).u8(DB_TEXT).u16(50).i32(0).i32(0).text("short");
  EXPECT_EQ(0, run(plain, kStreamData));
  EXPECT_EQ(6, window->attributes.line_width);
  EXPECT_TRUE(ops.texts.empty());
}

TEST_F(StreamFixture, ALineDrawsAtMostItsFirstHundredPoints) {
  std::vector<std::pair<int, int>> points;
  for (int i = 0; i < 150; ++i) points.push_back({i, i});
  run(Stream{}.u8(DB_LINE).append(line_operands(points)), kStreamData);
  ASSERT_EQ(1u, ops.lines_drawn.size());
  EXPECT_EQ(100u, ops.lines_drawn[0].size());
  EXPECT_EQ(99, ops.lines_drawn[0].back().x);
  // A type-4 count larger than the points sent is bounded by the bytes.
  ops.lines_drawn.clear();
  Stream lying = line_operands({{1, 1}, {2, 2}});
  lying.bytes[0] = 0xFF;
  lying.bytes[1] = 0xFF;
  run(with_length(DB_LINE, lying), kStreamWithLengths);
  ASSERT_EQ(1u, ops.lines_drawn.size());
  EXPECT_EQ(2u, ops.lines_drawn[0].size());
}

TEST_F(StreamFixture, BackgroundStackKeepsTwentyAndRestoresInOrder) {
  const Argb first = window->attributes.background;
  for (int i = 1; i <= 21; ++i) run(Stream{}.u8(DB_HGF).u8(i).u8(0).u8(0).u16(1), kStreamData);
  EXPECT_EQ(20u, window->saved_backgrounds.size());
  EXPECT_EQ(0xFF150000u, window->attributes.background);  // the 21st still sets its colour
  run(Stream{}.u8(DB_HGF).u8(0).u8(0).u8(0).u16(2), kStreamData);
  // The 21st did not save colour 20: the last one saved is colour 19.
  EXPECT_EQ(0xFF130000u, window->attributes.background);
  for (int i = 0; i < 30; ++i) run(Stream{}.u8(DB_HGF).u8(0).u8(0).u8(0).u16(2), kStreamData);
  EXPECT_EQ(first, window->attributes.background);
}

TEST_F(StreamFixture, WindowOperationsSwitchAndRestoreTheCurrentWindow) {
  interpreter.add_window(5);
  auto winop = [](int operation, int id) { return Stream{}.u8(DB_WINOP).u16(operation).i32(id); };
  run(winop(2, 0), kStreamData);  // nothing to go back to
  EXPECT_EQ(0, interpreter.current_id());
  run(winop(1, 99), kStreamData);  // no such window
  EXPECT_EQ(0, interpreter.current_id());
  run(winop(1, 5).u8(DB_LWID).u8(9), kStreamData);
  EXPECT_EQ(5, interpreter.current_id());
  EXPECT_EQ(9, interpreter.window(5)->attributes.line_width);
  EXPECT_EQ(1, window->attributes.line_width);
  run(winop(2, 0).append(winop(3, 5)).append(winop(4, 5)), kStreamData);
  EXPECT_EQ(0, interpreter.current_id());
  EXPECT_EQ((std::vector<std::string>{"winop 3 5", "winop 4 5"}), ops.calls);
}

TEST_F(StreamFixture, SetFontStoresTheNameUnderItsNumberWithinTheTable) {
  Stream s;
  s.u8(DB_SETFONT).u8(3).u16(5).text("Arial");
  s.u8(DB_SETFONT).u8(25).u16(4).text("Nope");
  s.u8(DB_SETFONT).u8(4).u16(200).text(std::string(200, 'x'));
  run(s, kStreamData);
  EXPECT_EQ("Arial", interpreter.font_names().name(3));
  EXPECT_EQ(63u, interpreter.font_names().name(4).size());
  EXPECT_EQ((std::vector<std::string>{"fontname 3", "fontname 4"}), ops.calls);
}

TEST_F(StreamFixture, SegmentsOnAWindowWithoutVirtualExtentAreRefused) {
  run(Stream{}
          .u8(DB_WINSEG)
          .append(winseg_operands(1, 0, 0, 100, 100))
          .u8(DB_LINE)
          .append(line_operands({{1, 1}, {2, 2}})),
      kStreamData);
  EXPECT_FALSE(interpreter.recording());
  EXPECT_EQ(1u, ops.lines_drawn.size());
}

TEST_F(StreamFixture, TypeThreeAfterWinsegStoresEverythingAndDrawsNothing) {
  make_segmented();
  Stream s;
  s.u8(DB_WINSEG).append(winseg_operands(1, 0, 4000, 1000, 3000));
  Stream body;
  body.u8(DB_LINE).append(line_operands({{1, 1}, {2, 2}})).u8(DB_LWID).u8(5);
  s.append(body);
  EXPECT_EQ(0, run(s, kStreamRepeat));
  EXPECT_TRUE(ops.lines_drawn.empty());
  EXPECT_EQ(1, window->attributes.line_width);
  ASSERT_EQ(1u, window->segments.segments().size());
  const Segment& segment = window->segments.segments()[0];
  EXPECT_EQ(3, segment.stream_type);
  ASSERT_EQ(1u, segment.chunks.size());
  EXPECT_EQ(body.bytes, segment.chunks[0].bytes);
  const DevicePoint a = window->mapping.map(0, 4000);
  const DevicePoint b = window->mapping.map(1000, 3000);
  EXPECT_EQ(normalised(a.x, a.y, b.x, b.y), segment.rect);
}

TEST_F(StreamFixture, TypeFourRecordsExactlyUpToTheNextSegmentCommandAndRewritesInPlace) {
  make_segmented();
  const Stream line1 = with_length(DB_LINE, line_operands({{1, 1}, {2, 2}}));
  const Stream line2 = with_length(DB_LINE, line_operands({{3, 3}, {4, 4}}));
  auto message = [&](const Stream& a, const Stream& b) {
    Stream s = with_length(DB_WINSEG, winseg_operands(1, 0, 0, 500, 500));
    s.append(a).append(b).append(with_length(DB_WINSEG, winseg_operands(3, 0, 0, 0, 0)));
    s.append(with_length(DB_LWID, Stream{}.u8(2)));
    return s;
  };
  EXPECT_EQ(0, run(message(line1, line2), kStreamWithLengths));
  EXPECT_FALSE(interpreter.recording());
  EXPECT_EQ(2, window->attributes.line_width);  // after WINSEG 3 the stream is live again
  EXPECT_TRUE(ops.lines_drawn.empty());
  const Segment& segment = window->segments.segments()[0];
  ASSERT_EQ(1u, segment.chunks.size());
  Stream both = line1;
  both.append(line2);
  EXPECT_EQ(both.bytes, segment.chunks[0].bytes);
  EXPECT_EQ(4, segment.stream_type);
  const std::uint8_t* storage = segment.chunks[0].bytes.data();

  // The same segment again with operation 1: the chunk is overwritten in place.
  EXPECT_EQ(0, run(message(line2, line1), kStreamWithLengths));
  ASSERT_EQ(1u, window->segments.segments().size());
  ASSERT_EQ(1u, segment.chunks.size());
  EXPECT_EQ(storage, segment.chunks[0].bytes.data());
  Stream swapped = line2;
  swapped.append(line1);
  EXPECT_EQ(swapped.bytes, segment.chunks[0].bytes);

  // Replay draws the two lines, skips the control commands, and leaves the state alone.
  window->attributes.line_width = 7;
  interpreter.replay(*window, segment, context);
  EXPECT_EQ(2u, ops.lines_drawn.size());
  EXPECT_EQ(7, window->attributes.line_width);
}

TEST_F(StreamFixture, RecordingGoesOnOverSeveralMessagesAndEmptyingKeepsTheChunks) {
  make_segmented();
  const Stream line = with_length(DB_LINE, line_operands({{1, 1}, {2, 2}}));
  run(with_length(DB_WINSEG, winseg_operands(1, 0, 0, 500, 500)).append(line), kStreamWithLengths);
  run(line, kStreamWithLengths);  // still recording: a second chunk
  EXPECT_TRUE(interpreter.recording());
  EXPECT_EQ(2u, window->segments.segments()[0].chunks.size());
  // Operation 2 empties; one message of one line fills the first chunk only.
  run(with_length(DB_WINSEG, winseg_operands(2, 0, 0, 500, 500)).append(line), kStreamWithLengths);
  const Segment& segment = window->segments.segments()[0];
  EXPECT_EQ(line.bytes.size(), segment.bytes_in_use());
  EXPECT_EQ(2u, segment.chunks.size());
  // A recording larger than the first chunk's capacity drops the chunks and appends one.
  Stream big;
  std::vector<std::pair<int, int>> points(60, {1, 1});
  big = with_length(DB_LINE, line_operands(points));
  run(with_length(DB_WINSEG, winseg_operands(1, 0, 0, 500, 500)).append(big), kStreamWithLengths);
  ASSERT_EQ(1u, segment.chunks.size());
  EXPECT_EQ(big.bytes, segment.chunks[0].bytes);
}

TEST_F(StreamFixture, SegmentsAreOrderedAndTheDrawnExtentGrows) {
  make_segmented();
  for (int top : {4000, 2000, 3000})
    run(Stream{}
            .u8(DB_WINSEG)
            .append(winseg_operands(1, 0, top, 4000, top - 1000))
            .u8(DB_WINSEG)
            .append(winseg_operands(3, 0, 0, 0, 0)),
        kStreamData);
  const auto& segments = window->segments.segments();
  ASSERT_EQ(3u, segments.size());
  EXPECT_LT(segments[0].rect.y1, segments[1].rect.y1);
  EXPECT_LT(segments[1].rect.y1, segments[2].rect.y1);
  EXPECT_EQ(segments[2].rect.y2, window->extent_height);
  // Operation 4 drops them all.
  run(Stream{}.u8(DB_WINSEG).append(winseg_operands(4, 0, 0, 0, 0)), kStreamData);
  EXPECT_TRUE(window->segments.segments().empty());
}

TEST_F(StreamFixture, ASegmentPastTheMemoryLimitStopsTheMessageWith249) {
  make_segmented();
  window->segments = SegmentStore(10, 1000);
  Stream s;
  s.u8(DB_WINSEG).append(winseg_operands(1, 0, 0, 100, 100)).text(std::string(1200, '\x01'));
  EXPECT_EQ(kSegmentMemoryError, run(s, kStreamRepeat));
  EXPECT_FALSE(interpreter.recording());
  EXPECT_TRUE(window->segments.segments()[0].chunks.empty());
  // Too many segments: the segment is refused and nothing is recorded.
  window->segments = SegmentStore(1, 100000);
  run(Stream{}.u8(DB_WINSEG).append(winseg_operands(1, 0, 0, 100, 100)), kStreamData);
  run(Stream{}.u8(DB_WINSEG).append(winseg_operands(1, 0, 0, 200, 200)).u8(DB_LWID).u8(3),
      kStreamData);
  EXPECT_FALSE(interpreter.recording());
  EXPECT_EQ(3, window->attributes.line_width);
}

TEST_F(StreamFixture, RepaintsAreThrottledUnlessTheHostFlushes) {
  context.suppress_repaints = false;
  const Stream line = Stream{}.u8(DB_LINE).append(line_operands({{1, 1}, {2, 2}}));
  ops.clock = 10000;
  run(line, kStreamData);
  EXPECT_EQ(1, ops.repaints);  // the first after a quiet time at once
  ops.clock = 11000;
  run(line, kStreamData);
  EXPECT_EQ(1, ops.repaints);  // within two seconds: held
  ops.clock = 12001;
  run(line, kStreamData);
  EXPECT_EQ(2, ops.repaints);
  run(Stream{}.append(line).u8(DB_FLUSH), kStreamData);
  EXPECT_EQ(3, ops.repaints);  // the host asked
  run(Stream{}.u8(DB_LWID).u8(2).u8(DB_END), kStreamData);
  EXPECT_EQ(3, ops.repaints);  // attributes and DB_END never repaint
  context.suppress_repaints = true;
  run(Stream{}.append(line).u8(DB_FLUSH), kStreamData);
  EXPECT_EQ(3, ops.repaints);
}

TEST_F(StreamFixture, AttributesReachTheDrawingCalls) {
  Stream s;
  s.u8(DB_FONT).u8(1).u8(7).u16(120).u16(900);
  s.u8(DB_TOPT7).u16(1).u16(0x0202).u8(3).u8(4).u16(5).u16(6).u8(7);
  s.u8(DB_LART).u8(2).u8(DB_FILL2).u8(105).u8(3).u8(DB_TANGLE).i32(450);
  s.u8(DB_RECT).u8(0).u16(0).u16(0).u8(0).u8(0).i32(0).i32(0).i32(10).i32(10).u8(0).u16(0);
  run(s, kStreamData);
  ASSERT_EQ(1u, ops.states.size());
  const DrawingAttributes& a = ops.states[0];
  EXPECT_EQ(7, a.font.number);
  EXPECT_EQ(120, a.font.size);
  EXPECT_EQ(900, a.font.attribute);
  EXPECT_EQ(0x0202, a.text.flags);
  EXPECT_EQ(7, a.text.t7);
  EXPECT_EQ(2, a.line_type);
  EXPECT_EQ(105, a.fill_style);  // styles above 100 stay whole
  EXPECT_EQ(3, a.fill_option);
  EXPECT_EQ(450, a.text_angle);
  // Old host libraries draw texts unrotated on the screen.
  context.library_version = 0x020409;
  run(Stream{}.u8(DB_TANGLE).i32(450), kStreamData);
  EXPECT_EQ(0, window->attributes.text_angle);
}

}  // namespace
}  // namespace kovw::graphics
