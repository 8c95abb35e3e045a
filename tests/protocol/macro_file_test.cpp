#include "protocol/macro_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "net/link_names.h"
#include "protocol/little_endian.h"
#include "protocol/program/host_requests.h"
#include "protocol/program/list_view_messages.h"
#include "protocol/program/program_window.h"

namespace kovw::protocol {
namespace {

std::vector<std::uint8_t> file_of(const std::vector<MacroRecord>& records) {
  std::vector<std::uint8_t> out = macro_file_header();
  for (const MacroRecord& r : records) {
    const auto bytes = encode_macro_record(r);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

TEST(MacroFile, HeaderIsTheTextPaddedWithBlanks) {
  const auto header = macro_file_header();
  ASSERT_EQ(header.size(), 32u);
  EXPECT_EQ(std::string(header.begin(), header.end()), "KOVW_MACRO_V07.00.00            ");
  EXPECT_TRUE(is_macro_file_header(header));
  EXPECT_FALSE(is_macro_file_header(std::span(header).first(20)));
}

TEST(MacroFile, RecordHeaderLayoutIsLittleEndian) {
  MacroRecord r = macro_comment("Titel", "Kommentar");
  r.wait_ms = 0x01020304;
  const auto bytes = encode_macro_record(r);
  ASSERT_EQ(bytes.size(), 160u);
  EXPECT_EQ(le32(bytes.data()), 160u);
  EXPECT_EQ(le32(bytes.data() + 4), 0u);
  EXPECT_EQ(bytes[8], 0x04);
  EXPECT_EQ(bytes[11], 0x01);
  EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 32), "Titel               ");
  EXPECT_EQ(bytes[32 + 9], ' ');  // comment text padded with blanks
}

// Every kind the recording produces comes back as the same answer, byte for byte.
TEST(MacroFile, AnswersRoundTripThroughTheirRecords) {
  ListAnswer menu;
  menu.event = 3;
  menu.text = "Auftrag";
  for (int i = 0; i < 9; ++i) menu.values[i] = i * 11 - 5;
  const std::vector<Outgoing> answers = {
      build_lantw(menu),
      build_lantwdia({2, {1, 2, 3, 4}}),
      Outgoing{net::KWD_WIN, net::KWK_WTAST, {0, 4, 0, 0, 0, 65}},
      Outgoing{net::KWD_KOMM, net::KWK_KGETDATE, {0, 4, 0, 1, 2, 3}},
      Outgoing{net::KWD_KOMM, net::KWK_KGETFNAME, {1, 2, 3}},
      Outgoing{net::KWD_KOMM, net::KWK_KGETCOL, {9}},
      Outgoing{net::KWD_DIGRA, net::KWK_GGET, {7, 7}},
      Outgoing{net::KWD_WIN, net::KWK_WEDIT, std::vector<std::uint8_t>(1960, 'x')},
      Outgoing{net::KWD_WIN, net::KWK_WDIAC, {5}},
  };
  std::vector<MacroRecord> records;
  for (const Outgoing& a : answers) {
    auto r = macro_record_of_answer(a.service, a.type, a.payload, false, "Fenster");
    ASSERT_TRUE(r) << a.service << "/" << a.type;
    r->wait_ms = 250;
    records.push_back(*r);
  }
  const MacroFileContents back = decode_macro_file(file_of(records));
  ASSERT_FALSE(back.failure) << back.failure->message;
  ASSERT_EQ(back.records.size(), answers.size());
  for (std::size_t i = 0; i < answers.size(); ++i) {
    EXPECT_EQ(back.records[i].wait_ms, 250);
    const auto answer = macro_answer_of_record(back.records[i]);
    ASSERT_TRUE(answer) << i;
    EXPECT_EQ(answer->service, answers[i].service) << i;
    EXPECT_EQ(answer->type, answers[i].type) << i;
    EXPECT_EQ(answer->payload, answers[i].payload) << i;
  }
  EXPECT_EQ(back.records[0].kind, kMacroMenu);
  EXPECT_EQ(back.records[0].tag, "<wdimen>");
  EXPECT_EQ(encode_macro_record(back.records[0]).size(), 96u);
  EXPECT_EQ(back.records[2].tag, "<wtast>");
  EXPECT_EQ(back.records[8].tag.substr(0, 7), "Fenster");
}

TEST(MacroFile, HostDialogAndGraphicsDialogAnswersAreToldApartByTheRequest) {
  EXPECT_EQ(macro_kind_of_answer(net::KWD_DIGRA, net::KWK_GDIALOG, true), kMacroDialog);
  EXPECT_EQ(macro_kind_of_answer(net::KWD_DIGRA, net::KWK_GDIALOG, false), kMacroGraphicsDialog);
  EXPECT_FALSE(macro_kind_of_answer(net::KWD_KOMM, net::KWK_KGETWINID, false));
}

// A file cannot make playback send a message that is no answer of the record's kind.
TEST(MacroFile, RecordNamingAnotherMessageGivesNoAnswer) {
  auto r =
      macro_record_of_answer(net::KWD_WIN, net::KWK_WTAST, std::vector<std::uint8_t>{1}, false);
  ASSERT_TRUE(r);
  put_le32(r->data.data(), net::KWK_WINIT);
  EXPECT_FALSE(macro_answer_of_record(*r));
  EXPECT_FALSE(macro_answer_of_record(macro_comment("", "x")));
}

struct BadFile {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&)> spoil;
  ParseError error;
};

TEST(MacroFile, TruncatedAndLyingFilesAreRefusedWithoutReadingPastTheEnd) {
  const auto keys = *macro_record_of_answer(net::KWD_WIN, net::KWK_WTAST,
                                            std::vector<std::uint8_t>(10, 1), false);
  const std::vector<std::uint8_t> good = file_of({macro_comment("c", "x"), keys});
  const std::size_t second = 32 + 160;
  const std::vector<BadFile> cases = {
      {"cut inside the record header", [](auto& f) { f.resize(32 + 160 + 20); },
       ParseError::kTruncated},
      {"cut inside the data", [](auto& f) { f.pop_back(); }, ParseError::kTruncated},
      {"length below the header", [&](auto& f) { put_le32(f.data() + second, 31); },
       ParseError::kBadRecord},
      {"length beyond the kind's limit",
       [&](auto& f) { put_le32(f.data() + second, macro_record_limit(kMacroKeys) + 1); },
       ParseError::kBadRecord},
      {"length beyond the file", [&](auto& f) { put_le32(f.data() + second, 1000); },
       ParseError::kTruncated},
      {"comment of another length", [](auto& f) { put_le32(f.data() + 32, 159); },
       ParseError::kBadRecord},
      {"unknown kind", [&](auto& f) { put_le32(f.data() + second + 4, 12); },
       ParseError::kMalformed},
      {"negative kind", [&](auto& f) { put_le32(f.data() + second + 4, 0xffffffff); },
       ParseError::kMalformed},
      {"payload length lies", [&](auto& f) { put_le32(f.data() + second + 36, 11); },
       ParseError::kBadRecord},
      {"negative wait", [&](auto& f) { put_le32(f.data() + second + 8, 0x80000000); },
       ParseError::kMalformed},
  };
  for (const BadFile& c : cases) {
    std::vector<std::uint8_t> file = good;
    c.spoil(file);
    const MacroFileContents contents = decode_macro_file(file);
    ASSERT_TRUE(contents.failure) << c.name;
    EXPECT_EQ(contents.failure->code, c.error) << c.name << ": " << contents.failure->message;
    // The records before the fault are still read.
    EXPECT_EQ(contents.records.size(), std::string(c.name).find("comment") == 0 ? 0u : 1u)
        << c.name;
  }
  EXPECT_TRUE(decode_macro_file(std::vector<std::uint8_t>(10, 'K')).failure);
}

TEST(MacroFile, WaitRules) {
  struct Case {
    const char* rule;
    int recorded;
    int wait;
  };
  for (const Case& c : {Case{"+100", 300, 100}, Case{"200", 300, 200}, Case{"1000", 300, 300},
                        Case{"", 300, 300}, Case{"+0", 5000, 0}, Case{"0", 5000, 0}}) {
    const auto rule = parse_macro_wait_rule(c.rule);
    ASSERT_TRUE(rule) << c.rule;
    EXPECT_EQ(macro_wait_ms(*rule, c.recorded), c.wait) << c.rule;
  }
  for (const char* bad : {"+", "-5", "12x", "99999999999", "+ 1"})
    EXPECT_FALSE(parse_macro_wait_rule(bad)) << bad;
}

}  // namespace
}  // namespace kovw::protocol
