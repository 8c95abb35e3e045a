#include "protocol/program/host_requests.h"

#include <gtest/gtest.h>

#include "net/link_names.h"
#include "payload_bytes.h"
#include "protocol/program/error_answers.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {
namespace {

using namespace testing;

Bytes text_bytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

TEST(Clipboard, SetClipTakesTheAnnouncedLength) {
  const auto parsed = parse_ksetclip(cat({int4(1), int4(3), field(text_bytes("abc"))}));
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->text, text_bytes("abc"));
  const auto over = parse_ksetclip(cat({int4(1), int4(4), field(text_bytes("abc"))}));
  ASSERT_FALSE(over.ok());
  EXPECT_EQ(over.error().code, ParseError::kCountTooLarge);
  EXPECT_FALSE(parse_ksetclip(cat({int4(1), int4(-1), field({})})).ok());
}

TEST(Clipboard, EmptyAnswerKeepsKindAndSendsNull) {
  const Outgoing out = build_clip_answer(ClipAnswer{7, {}});
  EXPECT_EQ(out.type, net::KWK_KGETCLIP);
  EXPECT_EQ(out.payload, cat({int4(7), int4(0), field(text_bytes("NULL"))}));
  const auto parsed = parse_clip_answer(out.payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_TRUE(parsed->data.empty());
  const auto text = parse_clip_answer(build_clip_answer(ClipAnswer{1, text_bytes("x")}).payload);
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(text->data, text_bytes("x"));
}

TEST(Choices, DateAndColourLayouts) {
  const auto date = parse_kgetdate(cat({int4(2024), int4(2), int4(29), str("Datum")}));
  ASSERT_TRUE(date.ok());
  EXPECT_EQ(date->day, 29);
  EXPECT_EQ(date->title, "Datum");
  EXPECT_EQ(build_date_answer(DateAnswer{2024, 3, 1, kChoiceChosen}).payload,
            cat({int4(2024), int4(3), int4(1), int4(2)}));
  EXPECT_EQ(build_kgetcol(Colour{1, 2, 3}).payload, cat({int4(1), int4(2), int4(3), str("")}));
  const auto colour = parse_colour_answer(build_colour_answer(ColourAnswer{{4, 5, 6}, 25}).payload);
  ASSERT_TRUE(colour.ok());
  EXPECT_EQ(colour->colour.blue, 6);
  EXPECT_EQ(colour->result, kChoiceCancelled);
}

TEST(Exec, FlagsFromHostLibrary040709) {
  const Bytes payload = cat({str("prog"), str("-x"), int4(1)});
  EXPECT_EQ(parse_kskomm(payload, 0x040709)->flags, 1);
  EXPECT_EQ(parse_kskomm(payload, 0x040708)->flags, 0);
  EXPECT_EQ(parse_kskomm(cat({str("prog"), str("")}), 0x060000)->flags, 0);
  EXPECT_EQ(build_kskomm(KExec{"prog", "-x", 1}, 0x040708).payload, cat({str("prog"), str("-x")}));
  // Results above 60000 are sent reduced by 60000.
  EXPECT_EQ(build_exec_answer(ExecAnswer{"t", 60002}).payload, cat({str("t"), int4(2)}));
}

TEST(FileOperations, PathLimitAndAnswerText) {
  const std::string longest(kFilePathMax, 'a');
  EXPECT_EQ(*parse_file_operation(net::KWK_KDEL, str(longest)), longest);
  const auto too_long = parse_file_operation(net::KWK_KDEL, str(longest + "a"));
  ASSERT_FALSE(too_long.ok());
  EXPECT_EQ(too_long.error().code, ParseError::kTextTooLong);

  const Outgoing ok = build_file_answer(net::KWK_KRMDIR, 0, false);
  EXPECT_EQ(ok.type, net::KWK_KRMDIR);
  const auto ok_parsed = parse_file_answer(ok.payload);
  ASSERT_TRUE(ok_parsed.ok());
  EXPECT_EQ(ok_parsed->error, 0);

  const auto failed = parse_file_answer(build_file_answer(net::KWK_KDEL, 20002, false).payload);
  ASSERT_TRUE(failed.ok());
  EXPECT_EQ(failed->error, 20002);
  EXPECT_EQ(failed->text.rfind("20002 ", 0), 0u) << failed->text;
  EXPECT_LE(failed->text.size(), kFileAnswerTextMax);
}

TEST(FileSelection, PlacementOnlyWithFlag1000) {
  const auto plain = parse_kgetfname(cat({str("TMP"), str("*.txt"), int4(0), str("Wahl")}));
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(plain->width, -1);
  EXPECT_EQ(plain->filter, "*.txt");
  const Bytes placed = cat({str("TMP"), str(""), int4(0x1000), str("t"), int4(1), int4(300),
                            int4(200), int4(10), int4(20)});
  const auto with = parse_kgetfname(placed);
  ASSERT_TRUE(with.ok());
  EXPECT_EQ(with->height, 200);
  EXPECT_EQ(build_kgetfname(*with).payload, placed);
  EXPECT_FALSE(parse_kgetfname(Bytes(placed.begin(), placed.end() - 6)).ok());
  EXPECT_EQ(
      parse_kgetfname(cat({str("x"), str(std::string(64, 'f')), int4(0), str("")})).error().code,
      ParseError::kTextTooLong);
}

TEST(FileCheck, AnswerRecordsAndReducedError) {
  FileCheckAnswer answer;
  answer.error = 20002;
  answer.text = "No such file";
  const Outgoing out = build_filecheck_answer(answer);
  const auto parsed = parse_filecheck_answer(out.payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->error, 2);
  EXPECT_EQ(parsed->entry.size(), kFileEntrySize);
  EXPECT_EQ(parsed->file_record.size(), kFileRecordSize);
  // A file entry shorter than 740 bytes is refused.
  EXPECT_FALSE(parse_filecheck_answer(
                   cat({int4(0), field(Bytes(739, 0)), str(""), field(Bytes(kFileRecordSize, 0))}))
                   .ok());
}

TEST(HelpRequest, CountAndTextLimits) {
  const auto ok =
      parse_khelp_request(cat({int4(2), str("topic"), str("title"), str("a"), str("b")}));
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok->entries, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(parse_khelp_request(cat({int4(11), str("t"), str("t")})).error().code,
            ParseError::kCountTooLarge);
  EXPECT_EQ(parse_khelp_request(cat({int4(3), str("t"), str("t"), str("a")})).error().code,
            ParseError::kTruncated);
  EXPECT_EQ(parse_khelp_request(cat({int4(1), str("t"), str("t"), str(std::string(83, 'e'))}))
                .error()
                .code,
            ParseError::kTextTooLong);
}

TEST(Printers, AlwaysNotImplemented) {
  const auto get = parse_printer_answer(build_printer_answer(KWK_KGETPRINTER).payload);
  ASSERT_TRUE(get.ok());
  EXPECT_EQ(get->value, 1);
  EXPECT_EQ(get->text, "getprinter not implemented");
  EXPECT_EQ(parse_printer_answer(build_printer_answer(KWK_KSENDPRINTER).payload)->text,
            "sendprinter not implemented");

  KPrinter send;
  send.record = Bytes(kPrinterRecordSize, 7);
  send.path = "PRT/x";
  const Outgoing out = build_ksendprinter(send);
  EXPECT_EQ(out.payload[0], 0x80);  // tagged field, tag 13
  EXPECT_EQ(out.payload[1], 13);
  const auto parsed = parse_ksendprinter(out.payload);
  ASSERT_TRUE(parsed.ok()) << parsed.error().message;
  EXPECT_EQ(parsed->path, "PRT/x");
  EXPECT_EQ(parsed->record, send.record);
  EXPECT_FALSE(parse_ksendprinter(cat({str("PRT/x"), str("")})).ok());
}

TEST(FontList, CharacterSetOnlyWithFlagBit0) {
  EXPECT_EQ(parse_kfontlist(cat({int4(0), str("Arial*")}))->character_set, 1);
  EXPECT_EQ(parse_kfontlist(cat({int4(1), str("Arial*"), int4(0)}))->character_set, 0);
  EXPECT_EQ(parse_kfontlist(cat({int4(0), str(std::string(128, 'f'))})).error().code,
            ParseError::kTextTooLong);
}

TEST(FontList, AnswerForms) {
  EXPECT_EQ(build_fontlist_answer(FontListAnswer{0, {}}).payload,
            cat({int4(0), field(text_bytes("NULL"))}));
  EXPECT_EQ(build_fontlist_answer(FontListAnswer{-1, {}}).payload,
            cat({int4(-1), field(text_bytes("Error building Fontlist"))}));
  const auto two = parse_fontlist_answer(build_fontlist_answer(FontListAnswer{2, {}}).payload);
  ASSERT_TRUE(two.ok());
  EXPECT_EQ(two->records.size(), 2 * kFontRecordSize);
  EXPECT_EQ(
      parse_fontlist_answer(cat({int4(3), field(Bytes(2 * kFontRecordSize, 0))})).error().code,
      ParseError::kCountTooLarge);
}

// A request whose text does not fit still gets the answer the host waits for.
TEST(ErrorAnswers, WaitingRequestsGetAClearError) {
  const ParseFailure too_long{ParseError::kTextTooLong, "x"};
  const auto del = error_answer(net::KWD_KOMM, net::KWK_KDEL, too_long, false);
  ASSERT_TRUE(del);
  EXPECT_EQ(del->type, net::KWK_KDEL);
  const auto del_parsed = parse_file_answer(del->payload);
  ASSERT_TRUE(del_parsed.ok());
  EXPECT_EQ(del_parsed->error, 20036);

  const auto fonts = error_answer(net::KWD_KOMM, KWK_KFONTLIST, too_long, false);
  ASSERT_TRUE(fonts);
  EXPECT_EQ(parse_fontlist_answer(fonts->payload)->count, -1);

  const auto select = error_answer(net::KWD_KOMM, net::KWK_KGETFNAME, too_long, true);
  ASSERT_TRUE(select);
  EXPECT_EQ(parse_fname_answer(select->payload)->result, kChoiceCancelled);

  const auto check = error_answer(net::KWD_KOMM, net::KWK_KFILECHECK, too_long, false);
  ASSERT_TRUE(check);
  EXPECT_EQ(parse_filecheck_answer(check->payload)->error, 36);

  // Requests without an answer stay unanswered.
  EXPECT_FALSE(error_answer(net::KWD_KOMM, net::KWK_KHELP_REQUEST, too_long, false));
  EXPECT_FALSE(error_answer(net::KWD_DIGRA, net::KWK_GKTEXT, too_long, false));
}

}  // namespace
}  // namespace kovw::protocol
