// Frames in memory: the bytes link_send builds, and the reader and frame_finish taking them back.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/link_stats.h"

namespace kovw::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t kClient[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const std::uint8_t kServer[16] = {0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
                                  0x59, 0x5a, 0x5b, 0x5c, 0x5d, 0x5e, 0x5f, 0x60};

class LinkFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    link_state() = LinkState{};
    link_set_session_key(kClient, kServer);
  }
  void TearDown() override {
    link_state() = LinkState{};
    link_set_session_key(nullptr, nullptr);
  }

  // Options: header level, compression, encryption (level tracking on, as all callers do).
  static void options(int level, bool compression, bool encryption) {
    link_set_options(
        static_cast<unsigned>(level) | (compression ? 0x100u : 0u) | (encryption ? 0x200u : 0u),
        true, true);
  }

  static Bytes build(int service, int type, const Bytes& payload) {
    LinkMessage message;
    message.service = static_cast<std::uint8_t>(service);
    message.type = static_cast<std::uint8_t>(type);
    message.length = static_cast<std::int32_t>(payload.size());
    const auto frame = link_build_frame(message, payload.data());
    return Bytes(frame.begin(), frame.end());
  }

  // Feeds `frame` in chunks of `chunk` bytes, then finishes it. Returns the finish result (or
  // the step's error) and leaves the payload in the reader.
  static int take(FrameReader& reader, const Bytes& frame, std::size_t chunk = 7) {
    frame_reset(reader, -1);
    std::size_t at = 0;
    int result = 1;
    while (at < frame.size() && result == 1) {
      const std::size_t count = std::min(chunk, frame.size() - at);
      at += frame_feed(reader, frame.data() + at, count, &result);
    }
    if (result != 2) return result < 0 ? result : -1000;
    EXPECT_EQ(frame.size(), at);
    return frame_finish(reader);
  }

  static Bytes payload_of(const FrameReader& reader) {
    return Bytes(reader.payload, reader.payload + reader.payload_length);
  }
};

Bytes counting(std::size_t length) {
  Bytes b(length);
  for (std::size_t i = 0; i < length; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return b;
}

TEST_F(LinkFrame, InlineLimitsOfBothHeaderForms) {
  struct Case {
    int level;
    std::size_t length;
    std::size_t frame_size;
    std::size_t data_at;
  };
  const Case cases[] = {
      {0, 20, 24, 4}, {0, 21, 45, 24}, {2, 16, 24, 8}, {2, 17, 41, 24}, {0, 0, 24, 4},
  };
  for (const Case& c : cases) {
    options(c.level, false, false);
    const Bytes payload = counting(c.length);
    const Bytes frame = build(4, 2, payload);
    ASSERT_EQ(c.frame_size, frame.size()) << c.level << "/" << c.length;
    EXPECT_EQ(c.length, std::size_t{frame[2]} << 8 | frame[3]);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), frame.begin() + c.data_at));
    if (c.level >= 2) {
      EXPECT_EQ(0x84, frame[0]);
      EXPECT_EQ((Bytes{'H', 'V', 2, 0}), Bytes(frame.begin() + 4, frame.begin() + 8));
    } else {
      EXPECT_EQ(0x04, frame[0]);
    }
    FrameReader reader;
    ASSERT_EQ(0, take(reader, frame, 5));
    EXPECT_EQ(payload, payload_of(reader));
  }
}

TEST_F(LinkFrame, LongLengthEscape) {
  for (int level : {0, 2}) {
    options(level, false, false);
    Bytes frame = build(1, 1, counting(65534));
    EXPECT_EQ(0xFF, frame[2]);
    EXPECT_EQ(0xFE, frame[3]);
    const Bytes payload = counting(65535);
    frame = build(1, 1, payload);
    ASSERT_EQ(65535u + 24, frame.size());
    EXPECT_EQ((Bytes{0xFF, 0xFF}), Bytes(frame.begin() + 2, frame.begin() + 4));
    const std::size_t at = level >= 2 ? 8 : 4;
    EXPECT_EQ((Bytes{0x00, 0x00, 0xFF, 0xFF}), Bytes(frame.begin() + at, frame.begin() + at + 4));
    FrameReader reader;
    ASSERT_EQ(0, take(reader, frame, 4000));
    EXPECT_EQ(payload, payload_of(reader));
    // The header comes back in classic form with the length in bytes 4-7.
    EXPECT_EQ(0x01, reader.header[0]);
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF}),
              Bytes(reader.header.begin() + 2, reader.header.begin() + 8));
  }
}

TEST_F(LinkFrame, EncryptedEmptyAndFiveBytePayloads) {
  options(0, false, true);
  Bytes frame = build(4, 3, {});
  ASSERT_EQ(24u, frame.size());
  EXPECT_EQ(0x24, frame[0]);
  EXPECT_EQ(0, frame[2] | frame[3]);

  const Bytes five = {'h', 'a', 'l', 'l', 'o'};
  frame = build(4, 3, five);
  ASSERT_EQ(24u, frame.size());
  EXPECT_EQ(0x24, frame[0]);
  EXPECT_EQ(20, frame[3]);
  EXPECT_EQ((Bytes{5, 0, 0, 0}), Bytes(frame.begin() + 20, frame.end()));
  EXPECT_EQ(Bytes(16, 0) != Bytes(frame.begin() + 4, frame.begin() + 20), true);

  link_state().encryption_on = false;  // receiving switches it back on
  FrameReader reader;
  ASSERT_EQ(0, take(reader, frame));
  EXPECT_EQ(five, payload_of(reader));
  EXPECT_TRUE(link_state().encryption_on);
  EXPECT_EQ(0x04, reader.header[0]);
}

TEST_F(LinkFrame, ServiceSixIsNeverEncrypted) {
  options(0, false, true);
  const Bytes payload = counting(30);
  const Bytes frame = build(6, 2, payload);
  EXPECT_EQ(0x06, frame[0]);
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), frame.begin() + 24));
}

TEST_F(LinkFrame, EncryptionFollowsThePeer) {
  options(0, false, true);
  const Bytes payload = counting(40);
  const Bytes encrypted = build(4, 2, payload);
  link_state().encryption_on = false;
  const Bytes plain = build(4, 2, payload);
  EXPECT_EQ(0x04, plain[0]);

  FrameReader reader;
  link_state().encryption_on = true;
  ASSERT_EQ(0, take(reader, plain));
  EXPECT_EQ(0x04, build(4, 2, payload)[0]);  // sent unencrypted after an unencrypted frame
  ASSERT_EQ(0, take(reader, encrypted));
  EXPECT_EQ(payload, payload_of(reader));
  EXPECT_EQ(0x24, build(4, 2, payload)[0]);  // and encrypted again after an encrypted one
}

TEST_F(LinkFrame, ThreeHundredBlanksCompressInline) {
  options(0, true, false);
  const Bytes frame = build(4, 2, Bytes(300, ' '));
  ASSERT_EQ(24u, frame.size());
  EXPECT_EQ(0x44, frame[0]);
  EXPECT_EQ(11, frame[3]);
  EXPECT_EQ((Bytes{0x00, 0x00, 0x01, 0x2C, 0x01, 0x81, 0x20, 0x81, 0x20, 0xD5, 0x20}),
            Bytes(frame.begin() + 4, frame.begin() + 15));
  FrameReader reader;
  ASSERT_EQ(0, take(reader, frame));
  EXPECT_EQ(Bytes(300, ' '), payload_of(reader));

  // Data that does not shrink by at least 5 bytes travels uncompressed.
  const Bytes poor = {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9, 9, 9, 10, 11, 12, 13, 14, 15, 16, 17};
  const Bytes plain = build(4, 2, poor);
  EXPECT_EQ(0x04, plain[0]);
  EXPECT_EQ(poor.size() + 24, plain.size());
}

TEST_F(LinkFrame, CompressionNeedsLevelTrackingOrVersion) {
  link_set_options(0x100, false, false);
  EXPECT_EQ(0x04, build(4, 2, Bytes(300, ' '))[0]);
  set_link_version_word(0x070305);
  EXPECT_EQ(0x44, build(4, 2, Bytes(300, ' '))[0]);
  set_link_version_word(0);
}

TEST_F(LinkFrame, BlankFillMethodAndStatistics) {
  // Method 2, 10 stored bytes, uncompressed length 25.
  Bytes frame(24, 0);
  frame[0] = 0x44;
  frame[1] = 2;
  const Bytes payload = {0, 0, 0, 25, 2, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  frame[3] = static_cast<std::uint8_t>(payload.size());
  std::copy(payload.begin(), payload.end(), frame.begin() + 4);
  link_stats_reset();
  FrameReader reader;
  ASSERT_EQ(0, take(reader, frame));
  EXPECT_EQ(Bytes({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', ' ', ' ', ' ',
                   ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}),
            payload_of(reader));
  LinkStatistics& s = link_stats();
  EXPECT_EQ(24u, s.bytes_received.load());
  EXPECT_EQ(15u, s.payload_bytes.load());
  EXPECT_EQ(39u, s.gross_bytes.load());
  EXPECT_EQ(15u, s.compressed_bytes.load());
  EXPECT_EQ(25u, s.uncompressed_bytes.load());
  EXPECT_EQ(166u, link_stats_compression_rate());
  // Only the prefix: the length in blanks.
  frame[3] = 5;
  ASSERT_EQ(0, take(reader, frame));
  EXPECT_EQ(Bytes(25, ' '), payload_of(reader));
}

// Every combination of header level, compression and encryption, several sizes, odd chunks.
TEST_F(LinkFrame, RoundTripEveryOptionCombination) {
  std::mt19937 random(3);
  Bytes mixed(5000);
  for (auto& b : mixed) b = static_cast<std::uint8_t>(random() % 3 == 0 ? 'x' : random());
  const Bytes payloads[] = {{},
                            counting(5),
                            counting(16),
                            counting(17),
                            counting(20),
                            counting(21),
                            Bytes(300, ' '),
                            mixed,
                            Bytes(2048, 'a'),
                            Bytes(70000, 'q'),
                            counting(70000)};
  FrameReader reader;
  for (int level : {0, 1, 2, 5}) {
    for (bool compression : {false, true}) {
      for (bool encryption : {false, true}) {
        for (const Bytes& payload : payloads) {
          options(level, compression, encryption);
          const Bytes frame = build(7, 3, payload);
          ASSERT_EQ(0, take(reader, frame, 1 + random() % 3000))
              << level << compression << encryption << payload.size();
          EXPECT_EQ(payload, payload_of(reader));
          EXPECT_EQ(7, reader.header[0]);
          EXPECT_EQ(link_state().header_level, level >= 2 ? 2 : 1);
        }
      }
    }
  }
}

TEST_F(LinkFrame, LargePayloadBufferGrowsWithTheBytesThatArrive) {
  options(0, false, false);
  const Bytes payload = counting(3u << 20);
  const Bytes frame = build(4, 2, payload);
  FrameReader reader;
  frame_reset(reader, -1);
  int result = 0;
  frame_feed(reader, frame.data(), 24 + 100, &result);
  EXPECT_EQ(1, result);
  EXPECT_LE(reader.payload_capacity, 1u << 20);  // not the announced 3 MiB yet
  ASSERT_EQ(0, take(reader, frame, 100000));
  EXPECT_EQ(payload, payload_of(reader));
}

// Frames that a broken or hostile peer might send.
TEST_F(LinkFrame, MalformedFramesBreakTheLink) {
  auto frame_with = [](std::uint8_t kind, const Bytes& payload) {
    const bool inline_payload = payload.size() <= 20;
    Bytes frame(inline_payload ? 24 : 24 + payload.size(), 0);
    frame[0] = kind;
    frame[1] = 1;
    frame[2] = static_cast<std::uint8_t>(payload.size() >> 8);
    frame[3] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), frame.begin() + (inline_payload ? 4 : 24));
    return frame;
  };
  Bytes trailer_too_long(20, 0);
  trailer_too_long[16] = 17;
  const Bytes cases[] = {
      frame_with(0x24, {1, 2, 3}),                    // encrypted, shorter than 4
      frame_with(0x24, counting(21)),                 // encrypted, not blocks plus 4
      frame_with(0x24, trailer_too_long),             // trailer claims 17 of 16
      frame_with(0x44, {0, 0, 1}),                    // compressed, shorter than prefix
      frame_with(0x44, {0, 0, 0, 10, 1, 0xF5, 'a'}),  // decodes to more than announced
      frame_with(0x44, {0, 0, 0, 10, 1, 0x03, 'a', 'b', 'c', 'd'}),  // decodes to fewer
      frame_with(0x44, {0x10, 0, 0, 0, 1, 0x81, 'a'}),  // uncompressed length above cap
      frame_with(0x44, {0, 0, 0, 10, 1, 0x09, 'a'}),    // literal cut off
  };
  FrameReader reader;
  for (const Bytes& frame : cases) {
    EXPECT_EQ(kLinkMalformed, take(reader, frame)) << int(frame[0]) << " " << frame.size();
  }
  // An encrypted frame while there is no session key.
  options(0, false, true);
  const Bytes encrypted = build(4, 2, counting(8));
  link_set_session_key(nullptr, nullptr);
  EXPECT_EQ(kLinkMalformed, take(reader, encrypted));
  // An announced length above the cap, long form.
  Bytes huge(24, 0);
  huge[2] = huge[3] = 0xFF;
  huge[4] = 0x10;
  frame_reset(reader, -1);
  int result = 0;
  frame_feed(reader, huge.data(), huge.size(), &result);
  EXPECT_EQ(kLinkMalformed, result);
}

TEST_F(LinkFrame, ReaderBuffersFollowTheBufferRule) {
  FrameReader reader;
  ASSERT_EQ(0, frame_reserve(reader, 100));
  EXPECT_EQ(reader.built_in[0], reader.payload);
  EXPECT_EQ(kBuiltInBuffer, reader.payload_capacity);
  ASSERT_EQ(0, frame_reserve(reader, 5000));
  EXPECT_EQ(kMinHeapBuffer, reader.payload_capacity);
  std::uint8_t* heap = reader.payload;
  ASSERT_EQ(0, frame_reserve(reader, 30000));
  EXPECT_EQ(heap, reader.payload);  // reused
  ASSERT_EQ(0, frame_reserve(reader, 40000));
  EXPECT_EQ(40000u, reader.payload_capacity);
  frame_release(reader);
  EXPECT_EQ(nullptr, reader.payload);
  EXPECT_EQ(0u, reader.payload_capacity);

  // Compressed frames of medium size alternate between two heap buffers without new ones.
  options(0, true, true);
  Bytes payload(20000, 'z');
  payload[100] = 'y';
  const Bytes frame = build(4, 2, Bytes(20000, 'z'));
  Bytes big = counting(20000);
  const Bytes big_frame = build(4, 2, big);
  ASSERT_EQ(0, take(reader, big_frame));
  ASSERT_EQ(0, take(reader, frame));
  const std::uint8_t* a = reader.payload;
  const std::uint8_t* b = reader.spare;
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(0, take(reader, i % 2 ? frame : big_frame));
    EXPECT_TRUE((reader.payload == a && reader.spare == b) ||
                (reader.payload == b && reader.spare == a));
  }
}

}  // namespace
}  // namespace kovw::net
