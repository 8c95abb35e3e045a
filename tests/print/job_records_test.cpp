#include "print/job_records.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace kovw::print {
namespace {

std::span<const std::uint8_t> bytes_of(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(JobHeader, AllFields) {
  const JobHeader h =
      parse_job_header(bytes_of("25\0host1:invoice\0Laser 3\0kovwp\0extra\0007\0-3\0ignored\0"s));
  EXPECT_EQ(h.mode, 25);
  EXPECT_EQ(h.origin, u"host1:invoice");
  EXPECT_EQ(h.printer, u"Laser 3");
  EXPECT_EQ(h.format, "kovwp");
  EXPECT_EQ(h.second, "extra");
  EXPECT_EQ(h.dialog_owner, 7);
  EXPECT_EQ(h.program_value, -3);
  EXPECT_TRUE(h.spooled());
  EXPECT_TRUE(h.interactive());
  EXPECT_TRUE(h.print_language());
}

TEST(JobHeader, MissingFieldsAreAbsent) {
  const JobHeader five = parse_job_header(bytes_of("0\0o\0standard\0raw\0x\0"s));
  EXPECT_EQ(five.dialog_owner, 0);
  EXPECT_EQ(five.program_value, 0);
  EXPECT_TRUE(five.standard_printer());
  EXPECT_FALSE(five.print_language());

  // A last field without its zero ends with the payload; nothing at all is mode 0.
  const JobHeader cut = parse_job_header(bytes_of("1\0origin\0DiAlOg"s));
  EXPECT_EQ(cut.printer, u"DiAlOg");
  EXPECT_TRUE(cut.dialog_printer());
  EXPECT_TRUE(cut.format.empty());
  const JobHeader empty = parse_job_header({});
  EXPECT_EQ(empty.mode, 0);
  EXPECT_TRUE(empty.printer.empty());
}

TEST(JobHeader, ModeBits) {
  struct Case {
    int mode;
    bool spooled, direct;
  } cases[] = {{0, true, false},  {1, true, false},     {0x19, true, false},
               {2, false, true},  {3, false, true},     {0x22, false, true},
               {4, false, false}, {0x20, false, false}, {-1, false, true}};
  for (const Case& c : cases) {
    JobHeader h;
    h.mode = c.mode;
    EXPECT_EQ(h.spooled(), c.spooled) << c.mode;
    EXPECT_EQ(h.direct(), c.direct) << c.mode;
  }
}

TEST(JobHeader, NamesAreCutAndFormatsToEightBytes) {
  const std::string long_name(300, 'n');
  const JobHeader h = parse_job_header(bytes_of("0\0"s + long_name + "\0p\0kovwp-long-format\0"s));
  EXPECT_EQ(h.origin.size(), kJobNameMax);
  EXPECT_EQ(h.format, "kovwp-lo");
  EXPECT_FALSE(h.print_language());
  // Host text: ANSI, or UTF-8 with the marker.
  const JobHeader text =
      parse_job_header(bytes_of("0\0M\xFCller\0Gr\xC3\xBC\xC3\x9F\xA0\0KOVWP\0"s));
  EXPECT_EQ(text.origin, u"M\u00fcller");
  EXPECT_EQ(text.printer, u"Gr\u00fc\u00df");
  EXPECT_TRUE(text.print_language());
}

TEST(JobHeader, BuiltHeadersParseBack) {
  const auto payload = build_job_header(3, "origin", "PDF", "kovwp", "sec", 1, 42);
  const JobHeader h = parse_job_header(payload);
  EXPECT_EQ(h.mode, 3);
  EXPECT_EQ(h.printer, u"PDF");
  EXPECT_EQ(h.dialog_owner, 1);
  EXPECT_EQ(h.program_value, 42);
}

TEST(PrintRecord, LengthCountsItsOwnTwoBytes) {
  EXPECT_EQ(print_record_payload_length(0, 0), -1);
  EXPECT_EQ(print_record_payload_length(0, 2), -1);
  EXPECT_EQ(print_record_payload_length(0, 3), 1);
  EXPECT_EQ(print_record_payload_length(0x01, 0x02), 256);
  EXPECT_EQ(print_record_payload_length(0xFF, 0xFF), 65533);
  const std::string data = "abc";
  EXPECT_EQ(build_print_record(bytes_of(data)), (std::vector<std::uint8_t>{0, 5, 'a', 'b', 'c'}));
  EXPECT_EQ(build_end_record(), (std::vector<std::uint8_t>{0, 2}));
}

TEST(StatusRecord, ByteExact) {
  const StatusRecord accepted = build_status_record(kStatusAccepted, "Request", false);
  StatusRecord expected{};
  expected[0] = '2';
  std::copy_n("Request", 7, expected.begin() + 1);
  EXPECT_EQ(accepted, expected);

  const StatusRecord blanks = build_status_record(kStatusFinished, "ok", true);
  EXPECT_EQ(blanks[0], '0');
  EXPECT_EQ(blanks[1], 'o');
  EXPECT_EQ(blanks[3], ' ');
  EXPECT_EQ(blanks[126], ' ');
  EXPECT_EQ(blanks[127], 0);

  const StatusRecord cut = build_status_record(kStatusError, std::string(200, 'x'), false);
  EXPECT_EQ(cut[0], '1');
  EXPECT_EQ(cut[126], 'x');
  EXPECT_EQ(cut[127], 0);
  const StatusRecord cut_explicit = build_status_record(kStatusError, std::string(200, 'y'), true);
  EXPECT_EQ(cut_explicit[126], 'y');
  EXPECT_EQ(cut_explicit[127], 0);

  const StatusReport report = parse_status_record(accepted);
  EXPECT_EQ(report.code, 2);
  EXPECT_EQ(report.text, "Request");
}

TEST(StatusRecord, DirectAcceptanceCarriesVersionAndComputer) {
  const std::string text = direct_accepted_text("Accepted", 0x070305, "station7   ");
  EXPECT_EQ(text, "Accepted\0\x00\x07\x03\x05\x01station7\0"s);
  const StatusRecord record = build_status_record(kStatusAccepted, text, true);
  EXPECT_EQ(record[9], 0);
  EXPECT_EQ(record[12], 0x03);
  EXPECT_EQ(record[14], 0x01);
  EXPECT_EQ(record[23], 0);
  EXPECT_EQ(record[24], ' ');
}

TEST(StatusRecord, TextsGoToTheHostInTheAnsiCodePage) {
  EXPECT_EQ(host_status_text("Druck auf \"PDF\" f\xC3\xBCr x beendet."),
            "Druck auf \"PDF\" f\xFCr x beendet.");
}

}  // namespace
}  // namespace kovw::print
