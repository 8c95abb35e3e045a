// Seeds of fuzz_file_transfer: one valid record per parser, behind its selector byte.
#include "net/link_names.h"
#include "protocol/file_transfer.h"
#include "protocol/program/file_records.h"
#include "seed_set.h"

namespace kovw::fuzz {

void add_table_file_seeds(SeedSet& seeds);

void add_file_transfer_seeds(SeedSet& seeds) {
  using namespace protocol;
  constexpr const char* kTarget = "file_transfer";
  FileStatus status;
  status.mode = kModeRegular;
  status.size = 1234;
  status.modification_time = 1700000000;
  status.listing_name = "dir/a.txt";
  Bytes listing = build_directory_entry(status);
  status.mode = kModeDirectory;
  status.listing_name = "dir";
  append(listing, build_directory_entry(status));
  seeds.add(kTarget, "listing", prefixed({0}, listing));

  DownloadStart start;
  start.target = "C:\\tmp\\a.txt";
  start.size = 100;
  start.flags = kTransferText | kTransferEncrypted | kTransferTime | kTransferDisplayName;
  start.key = "00112233445566778899aabbccddeeff";
  start.file_time = 1700000000;
  start.display_name = "Bericht";
  seeds.add(kTarget, "download_start", prefixed({1}, build_download_start(22, start).payload));

  UploadRequest upload;
  upload.source = "/tmp/a.txt";
  upload.flags = kTransferBlockSize | kTransferDisplayName;
  upload.block_size = 4096;
  seeds.add(kTarget, "upload_request", prefixed({2}, build_upload_request(28, upload).payload));

  FetchRequest fetch;
  fetch.host_name = "/u/pic.pcx";
  fetch.for_program = true;
  seeds.add(kTarget, "fetch_request", prefixed({3}, build_fetch_request(fetch, 0x7000C).payload));
  FetchRequest texts;
  texts.mode = kFetchTexts;
  texts.names = {"topic", "file"};
  seeds.add(kTarget, "fetch_texts", prefixed({3}, build_fetch_request(texts, 0x7000D).payload));

  Bytes info = build_fetch_info({1700000000, 5});
  append(info, Bytes{'h', 'e', 'l', 'l', 'o'});
  seeds.add(kTarget, "fetch_info", prefixed({4}, info));
  seeds.add(kTarget, "transfer_answer",
            prefixed({6}, build_transfer_answer(22, {"ok", 0, 1700000000}).payload));
  seeds.add(kTarget, "line_ends", prefixed({7}, std::string_view("a\r\nb\nc\r")));
  add_table_file_seeds(seeds);
}

void add_table_file_seeds(SeedSet& seeds) {
  // Old-layout records (a current one is larger than a seed may be): the head, the 16-bit
  // text length at 1246 and the text.
  auto old_file = [](std::uint16_t text_length, std::string_view text) {
    const std::size_t length = 1248 + text.size();
    Bytes file(4 + length, 0);
    for (int i = 0; i < 4; ++i)
      file[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    file[4 + 48] = 0xBC;  // version 700
    file[4 + 49] = 0x02;
    file[4 + 1246] = static_cast<std::uint8_t>(text_length & 0xFF);
    file[4 + 1247] = static_cast<std::uint8_t>(text_length >> 8);
    std::copy(text.begin(), text.end(), file.begin() + 4 + 1248);
    return file;
  };
  seeds.add("table_file", "old_record", old_file(12, "Courier New "));
  seeds.add("table_file", "old_record_short_text", old_file(40, "Arial"));
  seeds.add("table_file", "length_only", Bytes{0, 0, 0, 0});
}

}  // namespace kovw::fuzz
