// File-transfer records from a peer: the first byte selects the parser (a daemon's directory
// listing, a download start, an upload request, a fetch request, a fetch's info header and
// failure, a transfer answer); the rest is the payload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "net/link_names.h"
#include "protocol/file_transfer.h"
#include "protocol/program/file_records.h"

using namespace kovw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::span<const std::uint8_t> payload(data + 1, size - 1);
  switch (data[0] % 8) {
    case 0: {
      const auto entries = protocol::parse_directory_listing(payload);
      if (entries && entries->size() * protocol::kDirectoryEntrySize != payload.size())
        std::abort();
      break;
    }
    case 1:
      (void)protocol::parse_download_start(net::KWK_KSDATEI, payload);
      break;
    case 2: {
      const auto request = protocol::parse_upload_request(net::KWK_KFGET, payload);
      if (request && (request->block_size <= 0 || request->block_size > protocol::kUploadBlockMax))
        std::abort();
      break;
    }
    case 3:
      (void)protocol::parse_fetch_request(net::KWK_KSKOVW, payload);
      break;
    case 4: {
      std::span<const std::uint8_t> rest;
      const auto info = protocol::parse_fetch_info(payload, rest);
      if (info && rest.size() + 12 != payload.size()) std::abort();
      break;
    }
    case 5:
      (void)protocol::parse_fetch_failure(payload);
      break;
    case 6:
      (void)protocol::parse_transfer_answer(payload);
      break;
    case 7: {
      protocol::LineEndExpander expander;
      std::vector<std::uint8_t> out;
      expander.expand(payload, out);
      std::vector<std::uint8_t> back;
      protocol::drop_carriage_returns(out, back);
      std::vector<std::uint8_t> plain;
      protocol::drop_carriage_returns(payload, plain);
      if (back != plain) std::abort();  // expanding adds nothing but CRs
      break;
    }
  }
  return 0;
}
