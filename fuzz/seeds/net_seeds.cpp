// Seeds of the net targets: datagram runs, encrypted files, payload fields, frames and PackBits.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/datagram_assembler.h"
#include "net/encrypted_file.h"
#include "net/fields.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/packbits.h"
#include "protocol/server_messages.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

using namespace kovw::net;

// Some payload bytes with runs (which compress) and text (which does not).
Bytes sample_payload(std::size_t length, std::uint8_t seed) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = (i / 64) % 2 == 0 ? static_cast<std::uint8_t>(' ')
                                 : static_cast<std::uint8_t>('a' + (i * 7 + seed) % 26);
  }
  return bytes;
}

// ---- datagram: records [sender][length high][length low][bytes] --------------------------

void add_record(Bytes& out, std::uint8_t sender, std::span<const std::uint8_t> datagram) {
  out.push_back(sender);
  out.push_back(static_cast<std::uint8_t>(datagram.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(datagram.size()));
  append(out, datagram);
}

// A message as its datagrams: full 512-byte ones, then a shorter (possibly empty) last one.
void add_message(Bytes& out, std::uint8_t sender, std::span<const std::uint8_t> message) {
  constexpr std::size_t kFull = 512;
  std::size_t at = 0;
  while (message.size() - at >= kFull) {
    add_record(out, sender, message.subspan(at, kFull));
    at += kFull;
  }
  add_record(out, sender, message.subspan(at));
}

void add_datagram_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "datagram";
  const Bytes query = protocol::build_host_query();
  const Bytes answer = protocol::build_host_answer({"hosta", "10.0.0.7", 5000, 12});
  const Bytes other = protocol::build_host_answer({"hostb", "10.0.0.9", std::nullopt, 3});
  const std::uint8_t probe[] = {3, 254};
  Bytes out;
  add_message(out, 7, answer);
  seeds.add(kTarget, "host_answer", out);
  out.clear();
  add_message(out, 1, query);
  add_message(out, 7, answer);
  add_message(out, 9, other);
  seeds.add(kTarget, "query_and_two_answers", out);
  // A long message of one sender interleaved with a short one of another, and a probe.
  const Bytes long_message = sample_payload(1100, 3);
  out.clear();
  add_record(out, 47, std::span(long_message).first(512));
  add_record(out, 9, probe);
  add_message(out, 9, other);
  add_record(out, 47, std::span(long_message).subspan(512, 512));
  add_record(out, 47, std::span(long_message).subspan(1024));
  seeds.add(kTarget, "interleaved_long", out);
  // A message that ends on a whole datagram: the empty datagram ends it.
  out.clear();
  add_message(out, 80, sample_payload(512, 5));
  seeds.add(kTarget, "empty_last_datagram", out);
  out.clear();
  add_record(out, 5, probe);
  seeds.add(kTarget, "probe", out);
}

// ---- encrypted_file: mode byte (bit 0 clear: the file as is), then the file --------------

Bytes encrypted_file(std::string_view content, const std::string& base_name) {
  TwofishCipher cipher;
  const std::uint8_t key[32] = {3, 1, 4, 1, 5, 9, 2, 6};  // the target's file key
  cipher.set_key(key, sizeof key);
  std::string plain(content);
  std::FILE* in = fmemopen(plain.data(), plain.size() + (plain.empty() ? 1 : 0), "rb");
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  FileCryptError error;
  Bytes file;
  if (in != nullptr && out != nullptr && plain.empty()) {
    // fmemopen refuses an empty buffer; an empty file reads as end of file at once.
    std::fseek(in, 0, SEEK_END);
  }
  if (in != nullptr && out != nullptr && encrypt_file_stream(in, out, base_name, cipher, error)) {
    std::fflush(out);
    file.assign(buffer, buffer + size);
  }
  if (in != nullptr) std::fclose(in);
  if (out != nullptr) std::fclose(out);
  std::free(buffer);
  return file;
}

void add_encrypted_file_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "encrypted_file";
  struct Case {
    const char* name;
    std::string content;
    std::string base_name;
  };
  const Case cases[] = {
      {"empty", "", "leer.txt"},
      {"short", "Hallo", "h.txt"},
      {"one_block", "0123456789abcdef", "block.bin"},
      {"text", std::string(700, 'x') + "\nEnde\n", "a-longer-file-name_with.parts.dat"},
  };
  for (const Case& c : cases) {
    const Bytes file = encrypted_file(c.content, c.base_name);
    if (file.empty()) {
      seeds.fail(kTarget, c.name, "the file could not be encrypted");
    } else {
      seeds.add(kTarget, c.name, prefixed({0}, file));
    }
  }
}

// ---- fields: selector byte, then fields read in turn (int, bytes, bytes, tagged) ----------

void add_fields_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "fields";
  for (std::uint8_t selector : {0x00, 0x81}) {
    Bytes out{selector};
    const std::string text = "Feldinhalt";
    const Bytes record = sample_payload(40, 1);
    const Bytes big = sample_payload(2000, 2);
    for (int round = 0; round < 2; ++round) {
      for (unsigned k = selector; k < selector + 4u; ++k) {
        switch (k % 4) {
          case 0:
            put_int_field(out, round == 0 ? -2 : 0x12345678, round == 0 ? 4 : 8);
            break;
          case 1:
            put_bytes_field(out, text.data(), text.size());
            break;
          case 2:
            put_bytes_field(out, round == 0 ? record.data() : big.data(),
                            round == 0 ? record.size() : big.size());
            break;
          default:
            // The target asks for tag 0; other tags are skipped as plain fields.
            put_tagged_field(out, record.data(), record.size(), round == 0 ? 0 : 1);
            break;
        }
      }
    }
    seeds.add(kTarget, selector == 0 ? "each_kind" : "each_kind_byte_order_2", out);
  }
  Bytes widths{0};
  for (int width : {1, 2, 4, 8, 16}) {
    put_int_field(widths, -1, width);
    put_bytes_field(widths, "", 0);
    put_bytes_field(widths, "x", 1);
    put_tagged_field(widths, "", 0, 0);
  }
  seeds.add(kTarget, "int_widths", widths);
}

// ---- frames ------------------------------------------------------------------------------

constexpr unsigned kCompression = 0x100;
constexpr unsigned kEncryption = 0x200;

// A frame as link_send builds it with the options `options` (header level in the low byte).
Bytes build_frame(unsigned options, int service, int type, std::span<const std::uint8_t> payload) {
  link_set_options(options, true, true);
  LinkMessage message;
  message.service = static_cast<std::uint8_t>(service);
  message.type = static_cast<std::uint8_t>(type);
  message.length = static_cast<std::int32_t>(payload.size());
  const auto frame = link_build_frame(message, payload.data());
  return Bytes(frame.begin(), frame.end());
}

void add_frame_reader_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "frame_reader";
  // The target's session key: client value 1 to 16, server value zero.
  const std::uint8_t client[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::uint8_t server[16] = {};
  link_set_session_key(client, server);
  // Input: options byte (header level; also the receive chunk sizes), then a stream of frames.
  struct Case {
    const char* name;
    std::uint8_t level;
    unsigned options;
  };
  const Case cases[] = {
      {"classic_plain", 0, 0},
      {"classic_compressed", 1, kCompression},
      {"classic_encrypted", 1, kEncryption},
      {"extended_plain", 2, 0},
      {"extended_compressed_encrypted", 3, kCompression | kEncryption},
  };
  for (const Case& c : cases) {
    Bytes out{c.level};
    append(out, build_frame(c.level | c.options, 0, 1, sample_payload(10, 1)));  // inline
    append(out, build_frame(c.level | c.options, 15, 254, {}));                  // keep-alive
    append(out, build_frame(c.level | c.options, 4, 2, sample_payload(300, 2)));
    append(out, build_frame(c.level | c.options, 1, 10, sample_payload(2100, 3)));
    seeds.add(kTarget, c.name, out);
  }
  link_set_options(0, false, false);
}

void add_frame_finish_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "frame_finish";
  // The target's session key.
  const std::uint8_t client[16] = {7};
  const std::uint8_t server[16] = {9};
  link_set_session_key(client, server);
  // Input: flags (kind bits 0xe0; bits 0 and 1 choose compression and encryption for the round
  // trip; flags >> 3 the service), header level byte, then the payload as it travels.
  struct Case {
    const char* name;
    std::uint8_t level;
    unsigned options;
    std::size_t length;
  };
  const Case cases[] = {
      {"plain_inline", 0, 0, 12},
      {"plain", 1, 0, 200},
      {"compressed", 1, kCompression, 600},
      {"encrypted", 1, kEncryption, 100},
      {"compressed_encrypted", 2, kCompression | kEncryption, 900},
      {"extended_compressed", 3, kCompression, 1500},
  };
  for (const Case& c : cases) {
    const Bytes payload = sample_payload(c.length, 4);
    const Bytes frame = build_frame(c.level | c.options, 1, 1, payload);
    if (frame.size() < kFrameHeaderSize) {
      seeds.fail(kTarget, c.name, "the frame could not be built");
      continue;
    }
    const std::uint8_t kind = frame[0];
    const std::uint32_t length = header_payload_length(frame.data());
    Bytes body;
    if (length <= header_inline_capacity(frame.data())) {
      const std::size_t tail = header_tail_offset(frame.data());
      body.assign(frame.begin() + static_cast<std::ptrdiff_t>(tail),
                  frame.begin() + static_cast<std::ptrdiff_t>(tail + length));
    } else {
      body.assign(frame.begin() + kFrameHeaderSize, frame.end());
    }
    const std::uint8_t flags =
        static_cast<std::uint8_t>((kind & 0xe0) | ((c.options & kCompression) ? 1 : 0) |
                                  ((c.options & kEncryption) ? 2 : 0) | (1 << 3));
    seeds.add(kTarget, c.name,
              prefixed({flags, (kind & kKindExtended) != 0 ? frame[6] : c.level}, body));
  }
  link_set_options(0, false, false);
}

// ---- packbits: capacity (2 bytes), then coded data -----------------------------------------

void add_packbits_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "packbits";
  struct Case {
    const char* name;
    Bytes data;
  };
  Bytes mixed = sample_payload(700, 9);
  Bytes ramp(300);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i);
  const Case cases[] = {
      {"runs_and_text", mixed},
      {"literal_only", ramp},
      {"one_long_run", Bytes(1000, 0)},
      {"short", Bytes{'a', 'a', 'b'}},
  };
  for (const Case& c : cases) {
    Bytes coded(packbits_bound(c.data.size()));
    coded.resize(packbits_encode(c.data.data(), c.data.size(), coded.data()));
    const std::size_t capacity = c.data.size();
    seeds.add(
        kTarget, c.name,
        prefixed({static_cast<std::uint8_t>(capacity >> 8), static_cast<std::uint8_t>(capacity)},
                 coded));
  }
}

}  // namespace

void add_net_seeds(SeedSet& seeds) {
  add_datagram_seeds(seeds);
  add_encrypted_file_seeds(seeds);
  add_fields_seeds(seeds);
  add_frame_reader_seeds(seeds);
  add_frame_finish_seeds(seeds);
  add_packbits_seeds(seeds);
}

}  // namespace kovw::fuzz
