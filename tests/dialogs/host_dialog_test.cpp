// Host dialogs without a window: definitions in, the state's steps and the reply bytes out.

#include "dialogs/host_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "net/fields.h"
#include "protocol/payload_codec.h"

namespace kovw::dialogs {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Button {
  std::string label;
  int key = 0;
  int result = 0;
  int flags = 0;
};

void put16(std::uint8_t* p, int v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
void put32(std::uint8_t* p, int v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(static_cast<unsigned>(v) >> (8 * i));
}

// A definition: header values, buttons, lines, title (and for input dialogs the preset).
Bytes definition(int kind, int flags, const std::vector<Button>& buttons,
                 const std::vector<std::string>& lines, int total = 0, int first = 0,
                 int visible = 0, const std::string& input = "") {
  std::array<std::uint8_t, kDialogHeaderSize> header{};
  put16(&header[0], kind);
  put16(&header[2], flags);
  put16(&header[4], visible);
  put16(&header[8], static_cast<int>(lines.size()));
  put16(&header[10], static_cast<int>(buttons.size()));
  put32(&header[56], total);
  put32(&header[60], first);
  Bytes out;
  net::put_tagged_field(out, header.data(), header.size(), kDialogHeaderTag);
  if (kind < 32) {
    for (const Button& b : buttons) {
      std::array<std::uint8_t, kDialogButtonSize> record{};
      std::copy(b.label.begin(), b.label.end(), record.begin());
      put16(&record[102], b.key);
      put16(&record[104], b.result);
      put16(&record[106], b.flags);
      net::put_tagged_field(out, record.data(), record.size(), kDialogButtonTag);
    }
  }
  auto text = [&](const std::string& t) {
    std::string z = t + '\0';
    net::put_tagged_field(out, z.data(), z.size(), kDialogTextTag);
  };
  if (kind <= 32) {
    for (const std::string& line : lines) text(line);
    text("Title");
  }
  if (kind < 32 && (kind == 3 || (flags & kDialogInput))) text(input);
  return out;
}

struct Reply {
  int kind, flags, visible, selected, key, changed, first_line, result;
  std::string input;
};

Reply decode(const Bytes& payload) {
  net::FieldCursor at(payload);
  std::array<std::uint8_t, kDialogHeaderSize> h{};
  std::size_t length = 0;
  EXPECT_GT(net::get_tagged_field(at, h, &length, kDialogHeaderTag), 0);
  Reply r{};
  r.kind = static_cast<std::int16_t>(h[0] | h[1] << 8);
  r.flags = h[2] | h[3] << 8;
  r.visible = h[4] | h[5] << 8;
  r.selected = static_cast<std::int16_t>(h[12] | h[13] << 8);
  r.key = h[16];
  r.changed = h[17];
  r.first_line = static_cast<std::int32_t>(h[60] | h[61] << 8 | h[62] << 16 | h[63] << 24);
  const auto rest = std::span<const std::uint8_t>(payload).subspan(payload.size() - at.remaining());
  protocol::PayloadReader in(rest, "reply");
  r.result = in.int_field("result");
  if (in.more()) {
    net::FieldCursor text(rest.subspan(rest.size() - in.remaining()));
    std::array<std::uint8_t, 300> buffer{};
    EXPECT_GT(net::get_tagged_field(text, buffer, &length, kDialogTextTag), 0);
    r.input.assign(reinterpret_cast<const char*>(buffer.data()), length ? length - 1 : 0);
  }
  return r;
}

std::vector<std::string> numbered(int count, int from = 1) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back("line " + std::to_string(from + i));
  return lines;
}

TEST(HostDialogTest, AMessageDialogRepliesWithTheChosenButtonAndCloses) {
  DialogState state;
  DialogStep step =
      state.define(definition(0, 0, {{"Yes", 0, 1}, {"No", 0, 2}}, {"Save?", "Sure"}));
  EXPECT_TRUE(step.show);
  EXPECT_FALSE(step.reply);
  EXPECT_EQ(0, state.pending_kind());
  DialogAction no{DialogAction::Kind::Button, 1, 0, u"", 0};
  step = state.act(no);
  ASSERT_TRUE(step.reply);
  EXPECT_EQ(2, *step.reply);
  EXPECT_TRUE(step.close);
  EXPECT_FALSE(state.shown());
  const Reply r = decode(step.payload);
  EXPECT_EQ(2, r.result);
  EXPECT_EQ(0, r.selected);
}

TEST(HostDialogTest, AVirtualListPagesOneReplyPerAskedAction) {
  DialogState state;
  state.define(definition(2, kDialogListFilled, {{"OK", 0, 1}}, numbered(20), 500, 0));
  EXPECT_TRUE(state.definition().header.flags & kDialogScrollBar);
  // The view shows 12 of the 20 lines (the window fits no more).
  DialogAction page{DialogAction::Kind::PageDown, 0, 3, u"", 12};
  DialogStep step = state.act(page);
  ASSERT_TRUE(step.reply);
  Reply r = decode(step.payload);
  EXPECT_EQ(kResultScrolled, r.result);
  EXPECT_EQ(12, r.first_line);
  EXPECT_EQ(12, r.visible);
  EXPECT_EQ(3, r.selected);
  EXPECT_FALSE(step.close);
  // No reply is owed until the host asks again (kind 33).
  EXPECT_FALSE(state.act(page).reply);
  state.define(definition(33, 0, {}, {}, 500, 24));
  // Near the end Page Down clamps to total - visible; Page Up at the start to 0.
  DialogAction scroll{DialogAction::Kind::Scroll, 495, 0, u"", 12};
  r = decode(state.act(scroll).payload);
  EXPECT_EQ(488, r.first_line);
  state.define(definition(33, 0, {}, {}, 500, 0));
  r = decode(state.act({DialogAction::Kind::PageUp, 0, 0, u"", 12}).payload);
  EXPECT_EQ(0, r.first_line);
  // Up on the first line and Down on the last.
  state.define(definition(35, 0, {}, {}, 500, 0));
  r = decode(state.act({DialogAction::Kind::UpAtTop, 0, 1, u"", 12}).payload);
  EXPECT_EQ(kResultUpAtTop, r.result);
  EXPECT_EQ(0, r.selected);
  state.define(definition(35, 0, {}, {}, 500, 0));
  r = decode(state.act({DialogAction::Kind::DownAtBottom, 0, 20, u"", 12}).payload);
  EXPECT_EQ(kResultDownAtBottom, r.result);
  EXPECT_EQ(21, r.selected);
}

TEST(HostDialogTest, KindsThatAnswerAtOnce) {
  DialogState state;
  // Kind 34 without a dialog still replies 0; a display list replies 0 at once and owes nothing.
  DialogStep step = state.define(definition(34, 0, {}, {}));
  ASSERT_TRUE(step.reply);
  EXPECT_EQ(0, *step.reply);
  step = state.define(definition(1, kDialogListFilled, {{"OK", 0, 1}}, numbered(3)));
  EXPECT_TRUE(step.show);
  ASSERT_TRUE(step.reply);
  EXPECT_EQ(0, *step.reply);
  EXPECT_FALSE(state.act({DialogAction::Kind::Button, 0, 0, u"", 3}).reply);
  // Its close box closes it without a reply.
  step = state.act({DialogAction::Kind::CloseBox, 0, 0, u"", 3});
  EXPECT_TRUE(step.close);
  EXPECT_FALSE(step.reply);
  // No buttons: the empty message box error and result 1.
  step = state.define(definition(0, 0, {}, {"text"}));
  EXPECT_EQ(1, step.reply.value_or(0));
  EXPECT_NE(std::string::npos, step.message_text.find("Empty Message Box"));
}

TEST(HostDialogTest, TheStackBringsBackTheHiddenDialogWithItsOwnState) {
  DialogState state;
  state.define(definition(2, kDialogListFilled, {{"OK", 0, 1}}, numbered(5), 100, 0));
  state.act({DialogAction::Kind::PageDown, 0, 2, u"", 5});  // first_line 5, reply sent
  state.define(definition(33, 0, {}, {}, 100, 5));
  DialogStep step = state.define(definition(2, kDialogListFilled, {{"Go", 0, 7}}, numbered(3, 50)));
  EXPECT_TRUE(step.hide_for_stack);
  EXPECT_EQ(1u, state.stacked());
  EXPECT_EQ(7, state.act({DialogAction::Kind::Button, 0, 1, u"", 3}).reply.value_or(0));
  step = state.define(definition(34, 0, {}, {}));
  EXPECT_TRUE(step.close);
  EXPECT_TRUE(step.restore);
  EXPECT_EQ(u"line 1", state.definition().lines.front());
  EXPECT_EQ(5, state.definition().header.first_line);
  EXPECT_EQ(33, state.pending_kind());  // it still owes its answer
  // An eleventh hidden dialog is refused with an answer; the shown one stays.
  for (int i = 0; i < kMaxStackedDialogs; ++i)
    state.define(definition(2, kDialogListFilled, {{"OK", 0, 1}}, numbered(2)));
  EXPECT_EQ(static_cast<std::size_t>(kMaxStackedDialogs), state.stacked());
  step = state.define(definition(2, kDialogListFilled, {{"OK", 0, 1}}, numbered(2)));
  EXPECT_FALSE(step.show);
  EXPECT_EQ(-1, step.reply.value_or(0));
  EXPECT_FALSE(step.message_text.empty());
}

TEST(HostDialogTest, TwelveButtonsAndTheKeysThatChooseThem) {
  std::vector<Button> buttons;
  for (int i = 0; i < 12; ++i) buttons.push_back({"B" + std::to_string(i), 300 + i, 10 + i});
  buttons[11].flags = 0x0002;  // hidden
  DialogState state;
  state.define(definition(2, kDialogListFilled, buttons, numbered(4)));
  EXPECT_EQ(12u, state.definition().buttons.size());
  const DialogStep step = state.act({DialogAction::Kind::HostKey, 311, 2, u"", 4});
  ASSERT_TRUE(step.reply);
  EXPECT_EQ(21, *step.reply);
  EXPECT_EQ(311 & 0xFF, decode(step.payload).key);
  // A typed character: -2 with its code.
  state.define(definition(33, 0, {}, {}));
  EXPECT_EQ(kResultCharacter, state.act({DialogAction::Kind::Character, 'x', 2, u"", 4}).reply);
}

TEST(HostDialogTest, TheInputTextIsReadWhenTheReplyIsBuilt) {
  DialogState state;
  state.define(definition(3, kDialogListFilled, {{"OK", 0, 1}}, numbered(2), 0, 0, 0, "old"));
  const DialogStep step = state.act({DialogAction::Kind::ListEnter, 0, 1, u"typed", 2});
  const Reply r = decode(step.payload);
  EXPECT_EQ(kResultEnter, r.result);
  EXPECT_EQ("typed", r.input);
  EXPECT_EQ(1, r.changed);
  EXPECT_EQ(1, r.selected);
}

TEST(HostDialogTest, HeldAnswersKeepTheReplyOwed) {
  // With the message-box flag 0x2000 the workstation's own dialog takes the answers: the reply
  // is made, and the dialog still owes the next one.
  DialogState state;
  state.define(definition(2, kDialogListFilled, {{"OK", 0, 1}}, numbered(3)));
  EXPECT_EQ(kResultEnter, state.act({DialogAction::Kind::ListEnter, 0, 1, u"", 3}, true).reply);
  EXPECT_EQ(2, state.pending_kind());
  EXPECT_EQ(kResultEnter, state.act({DialogAction::Kind::ListEnter, 0, 1, u"", 3}).reply);
  EXPECT_EQ(-1, state.pending_kind());
}

TEST(HostDialogTest, AWrongTagShowsTheErrorAndStillAnswers) {
  DialogState state;
  Bytes wrong;
  std::array<std::uint8_t, kDialogButtonSize> button{};
  net::put_tagged_field(wrong, button.data(), button.size(), kDialogButtonTag);
  DialogStep step = state.define(wrong);
  EXPECT_EQ(10049, step.message.value_or(0));
  EXPECT_EQ("dm_dialog 6 5", step.message_text);
  EXPECT_EQ(6 * 65536 + 5, step.reply.value_or(0));
  // Nothing of it was taken over; a negative count is refused too.
  EXPECT_FALSE(state.shown());
  Bytes negative = definition(2, 0, {{"OK", 0, 1}}, {});
  negative[4 + 9] = 0xFF;  // line_count's high byte (after the tag word and the length)
  step = state.define(negative);
  EXPECT_FALSE(step.show);
}

}  // namespace
}  // namespace kovw::dialogs
