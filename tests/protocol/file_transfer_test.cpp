// File-transfer messages: the fetch request as each daemon version gets it, the start and
// answer records of program-link transfers, transfer keys, text-mode line ends across block
// boundaries and the directory entries of listings.
#include "protocol/file_transfer.h"

#include <gtest/gtest.h>

#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/program/file_records.h"

namespace kovw::protocol {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

TEST(FetchRequest, TypeFlagsAndFieldsByCallerAndDaemonVersion) {
  const struct {
    int mode;
    bool for_program;
    bool text;
    int daemon;
    int type;
    std::int32_t flags;
  } cases[] = {
      {kFetchFile, false, false, 0x7000C, net::KWK_KSDATEI, 0x10},
      {kFetchFile, true, false, 0x70006, net::KWK_KSDATEI, 0x10},
      {kFetchFile, true, true, 0x70007, net::KWK_KSKOVW, 0x51},
      {kFetchBuffer, false, false, 0x70000, net::KWK_KSDATEI, 0x30},
      {kFetchListing, true, false, 0x7000C, net::KWK_KSKOVW, 0xD0},
      {kFetchWholeBuffer, false, true, 0x7000C, net::KWK_KSDATEI, 0x51},
  };
  for (const auto& c : cases) {
    FetchRequest request;
    request.mode = c.mode;
    request.host_name = "/u/pic.pcx";
    request.for_program = c.for_program;
    request.text_mode = c.text;
    request.start_offset = 7;
    request.further = 9;
    request.in_out = 0x0000000500000400ull;
    const Outgoing out = build_fetch_request(request, c.daemon);
    SCOPED_TRACE(c.mode);
    EXPECT_EQ(out.type, c.type);
    PayloadReader in(out.payload);
    EXPECT_EQ(in.text("name"), "/u/pic.pcx");
    EXPECT_EQ(in.int_field("flags"), c.flags);
    EXPECT_EQ(in.int_field("block"), 1024);
    EXPECT_EQ(in.int_field("offset"), 7);
    EXPECT_EQ(in.int_field("low"), 0x400);
    EXPECT_EQ(in.int_field("further"), 9);
    EXPECT_EQ(in.int_field("high"), 5);
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(in.remaining(), 0u);
    const auto back = parse_fetch_request(out.type, out.payload);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->mode, c.mode);
    EXPECT_EQ(back->in_out, request.in_out);
  }
}

TEST(FetchRequest, NamedTextsCarryTheCountAndNames) {
  FetchRequest request;
  request.mode = kFetchTexts;
  request.names = {"topic", "file"};
  const Outgoing out = build_fetch_request(request, 0x7000D);
  const auto back = parse_fetch_request(out.type, out.payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->mode, kFetchTexts);
  EXPECT_EQ(back->host_name, "topic");
  EXPECT_EQ(back->names, request.names);
}

TEST(FetchRequest, ModesOfNewerDaemonsAndTheAnswerSequences) {
  EXPECT_FALSE(fetch_mode_supported(kFetchListing, 0x7000B));
  EXPECT_TRUE(fetch_mode_supported(kFetchListing, 0x7000C));
  EXPECT_FALSE(fetch_mode_supported(kFetchTexts, 0x7000C));
  EXPECT_TRUE(fetch_mode_supported(kFetchTexts, 0x7000D));
  EXPECT_TRUE(fetch_mode_supported(kFetchFile, 0x60000));
  EXPECT_FALSE(fetch_mode_supported(9, 0x7000D));

  EXPECT_EQ(fetch_answer_kind(false, 0x7000D), FetchAnswer::SizeFirst);
  EXPECT_EQ(fetch_answer_kind(true, 0x70007), FetchAnswer::SizeFirst);
  EXPECT_EQ(fetch_answer_kind(true, 0x70008), FetchAnswer::PlainData);
  EXPECT_EQ(fetch_answer_kind(true, 0x7000B), FetchAnswer::PlainData);
  EXPECT_EQ(fetch_answer_kind(true, 0x7000C), FetchAnswer::InfoHeader);
}

TEST(FetchInfo, HeaderThenDataAndShortHeaderRefused) {
  std::vector<std::uint8_t> frame = build_fetch_info({1700000000, 0x100000002ull});
  frame.push_back('x');
  std::span<const std::uint8_t> rest;
  const auto info = parse_fetch_info(frame, rest);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->file_time, 1700000000);
  EXPECT_EQ(info->size, 0x100000002ull);
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0], 'x');
  EXPECT_FALSE(parse_fetch_info(std::span(frame).first(11), rest));
}

TEST(DownloadStart, OptionalItemsFollowTheFlags) {
  DownloadStart start;
  start.target = "C:\\out\\a.txt";
  start.size = 5000;
  start.flags =
      kTransferText | kTransferEncrypted | kTransferTime | kTransferDisplayName | kTransferWritable;
  start.key = "00112233445566778899aabbccddeeff";
  start.file_time = 1234567;
  start.display_name = "Report";
  const Outgoing out = build_download_start(net::KWK_KSDATEI, start);
  const auto back = parse_download_start(net::KWK_KSDATEI, out.payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->target, start.target);
  EXPECT_EQ(back->key, start.key);
  EXPECT_EQ(back->file_time, 1234567);
  EXPECT_EQ(back->display_name, "Report");

  DownloadStart plain;
  plain.target = "a";
  const auto minimal =
      parse_download_start(net::KWK_KFPDIR, build_download_start(net::KWK_KFPDIR, plain).payload);
  ASSERT_TRUE(minimal);
  EXPECT_EQ(minimal->display_name, "Host");
  EXPECT_FALSE(minimal->file_time);

  // The flags promise a key that is not there.
  std::vector<std::uint8_t> lying;
  PayloadWriter(lying).text("a").int_field(0).int_field(kTransferEncrypted);
  EXPECT_FALSE(parse_download_start(net::KWK_KSDATEI, lying));
  // A target longer than a path may be.
  std::vector<std::uint8_t> long_name;
  PayloadWriter(long_name).text(std::string(300, 'a')).int_field(0).int_field(0);
  EXPECT_FALSE(parse_download_start(net::KWK_KSDATEI, long_name));
}

TEST(UploadRequest, BlockSizeIsBoundedAndDefaults) {
  UploadRequest request;
  request.source = "/tmp/x";
  EXPECT_EQ(
      parse_upload_request(net::KWK_KFGET, build_upload_request(net::KWK_KFGET, request).payload)
          ->block_size,
      1024);
  request.flags = kTransferBlockSize | kTransferTime;
  for (const std::int32_t size : {0, -5, kUploadBlockMax + 1}) {
    request.block_size = size;
    EXPECT_FALSE(
        parse_upload_request(net::KWK_KFGET, build_upload_request(net::KWK_KFGET, request).payload))
        << size;
  }
  request.block_size = 4096;
  const auto ok =
      parse_upload_request(net::KWK_KFGDIR, build_upload_request(net::KWK_KFGDIR, request).payload);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->block_size, 4096);
}

TEST(TransferAnswer, TextCodeAndWideTime) {
  const TransferAnswer answer{transfer_answer_text(20002, false), 20002, 0x123456789ll};
  const auto back = parse_transfer_answer(build_transfer_answer(net::KWK_KFGET, answer).payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text.rfind("20002 ", 0), 0u);
  EXPECT_EQ(back->error, 20002);
  EXPECT_EQ(back->file_time, 0x123456789ll);
  EXPECT_EQ(transfer_answer_text(0, false).find("0 "), std::string::npos);
}

TEST(TransferKey, ThirtyTwoHexDigitsOnly) {
  const auto key = transfer_key_bytes("000102030405060708090A0b0c0d0e0F");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->size(), 16u);
  EXPECT_EQ((*key)[10], 0x0A);
  EXPECT_EQ((*key)[15], 0x0F);
  EXPECT_FALSE(transfer_key_bytes(""));
  EXPECT_FALSE(transfer_key_bytes("0001"));
  EXPECT_FALSE(transfer_key_bytes("000102030405060708090a0b0c0d0eXX"));
}

TEST(TextMode, LineEndsAcrossBlocks) {
  const struct {
    std::vector<const char*> blocks;
    const char* expanded;
  } cases[] = {
      {{"a\nb\n"}, "a\r\nb\r\n"},
      {{"a\r\nb"}, "a\r\nb"},
      {{"a\r", "\nb"}, "a\r\nb"},  // CR ends one block, LF starts the next
      {{"a", "\n\n"}, "a\r\n\r\n"},
      {{"\r", "\r", "\n"}, "\r\r\n"},
      {{"\n"}, "\r\n"},
  };
  for (const auto& c : cases) {
    LineEndExpander expander;
    std::vector<std::uint8_t> out;
    for (const char* block : c.blocks) expander.expand(bytes(block), out);
    EXPECT_EQ(std::string(out.begin(), out.end()), c.expanded);
  }
  std::vector<std::uint8_t> out;
  drop_carriage_returns(bytes("a\r\nb\rc\n"), out);
  EXPECT_EQ(std::string(out.begin(), out.end()), "a\nbc\n");
}

TEST(DirectoryEntry, RoundTripAndBrokenEntries) {
  FileStatus status;
  status.mode = kModeDirectory;
  status.size = 4096;
  status.modification_time = 1700000000;
  status.listing_name = "sub/dir";
  std::vector<std::uint8_t> listing = build_directory_entry(status);
  status.mode = kModeRegular;
  status.size = 12;
  status.listing_name = "a.txt";
  const auto second = build_directory_entry(status);
  listing.insert(listing.end(), second.begin(), second.end());
  const auto entries = parse_directory_listing(listing);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].kind, '1');
  EXPECT_EQ((*entries)[0].name, "sub/dir");
  EXPECT_EQ((*entries)[1].size, 12u);
  EXPECT_EQ((*entries)[1].time.size(), 14u);

  EXPECT_FALSE(parse_directory_listing(std::span(listing).first(300)));
  auto broken = second;
  broken[20] = 'x';  // a size that is no number
  EXPECT_FALSE(parse_directory_entry(broken));
  broken = second;
  broken[0] = '9';
  EXPECT_FALSE(parse_directory_entry(broken));
}

}  // namespace
}  // namespace kovw::protocol
