#include "protocol/program/program_window.h"

#include <gtest/gtest.h>

#include "net/link_names.h"
#include "payload_bytes.h"
#include "protocol/program/list_view_messages.h"
#include "protocol/program/menu_records.h"
#include "protocol/program/retc.h"

namespace kovw::protocol {
namespace {

using namespace testing;

TEST(ProgramWindow, RawTextsEndAtZeroOrPayloadEnd) {
  EXPECT_EQ(build_raw_text(net::KWD_WIN, net::KWK_WTIT, "Titel").payload,
            (Bytes{'T', 'i', 't', 'e', 'l', 0}));
  EXPECT_EQ(parse_raw_text(Bytes{'a', 0, 'b'}), "a");
  EXPECT_EQ(parse_raw_text(Bytes{'a', 'b'}), "ab");
  EXPECT_EQ(parse_raw_text(Bytes{}), "");
}

TEST(ProgramWindow, MessageBoxTextAndAnswer) {
  const Bytes payload = cat({int4(kMeldeRetc | kMeldeUtf8), int4(2), field({0xC3, 0xBC})});
  const auto box = parse_wmelde(payload);
  ASSERT_TRUE(box.ok());
  EXPECT_EQ(box->wide_text(), u"\u00fc");
  EXPECT_EQ(build_wmelde(*box).payload, payload);
  EXPECT_EQ(parse_wmelde(cat({int4(0), int4(3), field({'a'})})).error().code,
            ParseError::kCountTooLarge);
  const Outgoing yes = build_wmelde_answer(true);
  EXPECT_EQ(yes.service, net::KWD_WIN);
  EXPECT_EQ(yes.type, net::KWK_WMELDE);
  EXPECT_EQ(yes.payload, int4(25));
  EXPECT_EQ(build_wmelde_answer(false).payload, int4(1));
}

TEST(ProgramWindow, FieldRequestLimits) {
  const Bytes descriptor(20, 1);
  const auto ok = parse_wdiac(cat({field(descriptor), str("Hilfe"), str("abc")}));
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok->contents, "abc");
  EXPECT_EQ(parse_wdiac(cat({field(Bytes(19, 1)), str(""), str("")})).error().code,
            ParseError::kTruncated);
  EXPECT_EQ(
      parse_wdiac(cat({field(descriptor), str(std::string(1050, 'h')), str("")})).error().code,
      ParseError::kTextTooLong);
}

TEST(ProgramWindow, FieldReplyLayout) {
  FieldReply reply;
  reply.exit_key = 101;
  reply.cursor = 2;
  reply.mouse_column = 7;
  reply.mouse_row = 3;
  reply.mouse_info = 3;
  reply.text = "xyz";
  const Outgoing out = build_field_reply(reply);
  EXPECT_EQ(out.payload,
            cat({field({101, 0, 3, 0, 2, 0, 7, 0, 3, 0, 3, 0}), field({'x', 'y', 'z'})}));
  const auto parsed = parse_field_reply(out.payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->text, "xyz");
  EXPECT_EQ(parsed->mouse_row, 3);
  // A length beyond the contents sent.
  EXPECT_EQ(parse_field_reply(cat({field({1, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0}), field({'x'})}))
                .error()
                .code,
            ParseError::kCountTooLarge);
}

TEST(ProgramWindow, EditRequestTextWithinCapacity) {
  Bytes descriptor(28, 0);
  descriptor[2] = 4;  // text capacity 4
  const auto ok = parse_wedit(cat({field(descriptor), str("help"), field({'a', 'b', 'c', 'd'})}));
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok->text_capacity(), 4);
  EXPECT_EQ(parse_wedit(cat({field(descriptor), str(""), field(Bytes(5, 'a'))})).error().code,
            ParseError::kTextTooLong);
  EXPECT_EQ(parse_wedit(cat({field(Bytes(10, 0)), str(""), field({})})).error().code,
            ParseError::kTruncated);
}

TEST(ProgramWindow, EditReplyWithAndWithoutPointerRecord) {
  EditReply reply;
  reply.exit_key = 13;
  reply.text = {'o', 'k'};
  reply.object = 5;
  const Outgoing plain = build_edit_reply(reply);
  const auto parsed = parse_edit_reply(plain.payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->text, reply.text);
  EXPECT_EQ(parsed->object, 5);
  EXPECT_FALSE(parsed->pointer_record);
  EXPECT_EQ(plain.payload[2], 40);      // record length member
  EXPECT_EQ(plain.payload[2 + 24], 2);  // text length member

  reply.exit_key = kEditPointerKey;
  reply.pointer_record = Bytes(44, 7);
  const Outgoing pointer = build_edit_reply(reply);
  const auto with = parse_edit_reply(pointer.payload);
  ASSERT_TRUE(with.ok());
  EXPECT_EQ(*with->pointer_record, Bytes(44, 7));
  EXPECT_FALSE(parse_edit_reply(Bytes(pointer.payload.begin(), pointer.payload.end() - 10)).ok());
}

TEST(ProgramWindow, KeyDataWithMouseEvents) {
  const std::vector<KeyEvent> keys{
      {0x0102, {}}, {0x165, std::array<std::uint16_t, 3>{10, 20, 3}}, {'A', {}}};
  const Outgoing out = build_key_data(keys);
  EXPECT_EQ(out.payload, (Bytes{0x01, 0x02, 0x01, 0x65, 0, 10, 0, 20, 0, 3, 0, 'A'}));
  EXPECT_EQ(*parse_key_data(out.payload), keys);
  EXPECT_EQ(parse_key_data(Bytes{0x01, 0xCC, 0, 1}).error().code, ParseError::kTruncated);
  EXPECT_FALSE(parse_key_data(Bytes{0x01}).ok());
}

TEST(ListView, DialogRecordsAndValuePositions) {
  ListDialog dialog;
  dialog.fields.assign(1, Bytes(kListDialogFieldSize, 0));
  dialog.fields[0][128] = 3;  // value length 3
  dialog.fields[0][130] = 1;  // at position 1
  dialog.buttons.assign(2, Bytes(kListDialogButtonSize, 0));
  dialog.data = {'x', 'a', 'b', 'c'};
  const Outgoing out = build_ldialog(dialog);
  const auto parsed = parse_ldialog(out.payload);
  ASSERT_TRUE(parsed.ok()) << parsed.error().message;
  EXPECT_EQ(parsed->buttons.size(), 2u);
  EXPECT_EQ(parsed->data, dialog.data);

  dialog.data.pop_back();  // the value now runs past the data block
  EXPECT_EQ(parse_ldialog(build_ldialog(dialog).payload).error().code, ParseError::kBadRecord);

  Bytes header(kListDialogHeaderSize, 0);
  header[0] = 5;  // five fields announced, one sent
  EXPECT_EQ(parse_ldialog(cat({field(header), field(Bytes(kListDialogFieldSize, 0)), field({}),
                               int4(0), field({})}))
                .error()
                .code,
            ParseError::kCountTooLarge);
}

TEST(ListView, AnswersAndSmallMessages) {
  ListAnswer answer;
  answer.event = 3;
  answer.text = "Eintrag";
  answer.values[8] = 150;
  const auto parsed = parse_lantw(build_lantw(answer).payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->values[8], 150);
  EXPECT_EQ(parse_lantwdia(build_lantwdia(ListDialogAnswer{2, {1, 2}}).payload)->data,
            (Bytes{1, 2}));
  EXPECT_EQ(parse_linfo(cat({field(Bytes(18, 0)), int4(3), field({1, 2})})).error().code,
            ParseError::kCountTooLarge);
  EXPECT_EQ(parse_view_definition(net::KWK_LLIST, field(Bytes(719, 0))).error().code,
            ParseError::kTruncated);
  EXPECT_TRUE(parse_view_definition(net::KWK_LTREE, field(Bytes(64 + 136, 0))).ok());
  EXPECT_EQ(parse_lcursor(Bytes{'2'}), ListCursor::kWait);
  EXPECT_EQ(parse_lcursor(Bytes{'1'}), ListCursor::kAppStarting);
  EXPECT_EQ(parse_lcursor(Bytes{'x'}), ListCursor::kArrow);
  EXPECT_EQ(parse_lcursor(Bytes{}), ListCursor::kArrow);
}

}  // namespace
}  // namespace kovw::protocol
