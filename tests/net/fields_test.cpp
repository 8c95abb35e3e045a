#include "net/fields.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "net/byte_order.h"

namespace kovw::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Fields, IntFieldDecodes) {
  struct Case {
    Bytes bytes;
    std::int32_t value;
  };
  const Case cases[] = {
      {{0x00, 0x02, 0xFF, 0xFE}, 65534},
      {{0x00, 0x01, 0xFF}, 255},
      {{0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFE}, -2},
      {{0x00, 0x08, 0x11, 0x22, 0x33, 0x44, 0x12, 0x34, 0x56, 0x78}, 0x12345678},
      {{0x00, 0x00}, 0},
      {{0x80, 0x05, 0x00, 0x01, 0x07}, 7},  // tag word skipped
  };
  for (const Case& c : cases) {
    FieldCursor at(c.bytes.data(), c.bytes.size());
    std::size_t size = 0;
    EXPECT_EQ(c.value, get_int_field(at, &size));
    EXPECT_FALSE(at.failed);
    EXPECT_EQ(c.bytes.size(), size);
    EXPECT_TRUE(at.at_end());
  }
}

TEST(Fields, IntFieldWriteReadRoundTrip) {
  Bytes out;
  EXPECT_EQ(3, put_int_field(out, 200, 1));
  EXPECT_EQ(4, put_int_field(out, -3, 2));
  EXPECT_EQ(6, put_int_field(out, -123456, 4));
  EXPECT_EQ(10, put_int_field(out, 0x0102030405060708, 8));
  EXPECT_EQ((Bytes{0x00, 0x01, 0xC8}), Bytes(out.begin(), out.begin() + 3));
  EXPECT_EQ((Bytes{0x00, 0x08, 1, 2, 3, 4, 5, 6, 7, 8}), Bytes(out.end() - 10, out.end()));
  FieldCursor at(out.data(), out.size());
  EXPECT_EQ(200, get_int_field(at));
  EXPECT_EQ(65533, get_int_field(at));
  EXPECT_EQ(-123456, get_int_field(at));
  EXPECT_EQ(0x05060708, get_int_field(at));
  EXPECT_TRUE(at.at_end());
}

TEST(Fields, ByteStringLengthGroups) {
  struct Case {
    std::size_t length;
    Bytes groups;
  };
  const Case cases[] = {
      {0, {0x00, 0x00}},
      {5, {0x00, 0x05}},
      {16383, {0x3F, 0xFF}},
      {16384, {0x40, 0x00, 0x00, 0x01}},
      {20000, {0x4E, 0x20, 0x00, 0x01}},
  };
  for (const Case& c : cases) {
    Bytes data(c.length);
    for (std::size_t i = 0; i < c.length; ++i) data[i] = static_cast<std::uint8_t>(i * 13);
    Bytes out;
    EXPECT_EQ(static_cast<int>(c.groups.size() + c.length),
              put_bytes_field(out, data.data(), data.size()));
    ASSERT_EQ(c.groups.size() + c.length, out.size());
    EXPECT_EQ(c.groups, Bytes(out.begin(), out.begin() + c.groups.size()));
    FieldCursor at(out.data(), out.size());
    Bytes back(c.length + 3);
    std::size_t size = 0;
    EXPECT_EQ(static_cast<long>(c.length), get_bytes_field(at, back, &size));
    EXPECT_EQ(out.size(), size);
    EXPECT_EQ(data, Bytes(back.begin(), back.begin() + static_cast<long>(c.length)));
    EXPECT_TRUE(at.at_end());
  }
}

TEST(Fields, ByteStringCopiesAtMostTargetAndSkipsWholeField) {
  Bytes out;
  put_bytes_field(out, "abcdef", 6);
  put_int_field(out, 9, 1);
  FieldCursor at(out.data(), out.size());
  std::array<std::uint8_t, 3> small{};
  EXPECT_EQ(3, get_bytes_field(at, small));
  EXPECT_EQ('c', small[2]);
  EXPECT_EQ(9, get_int_field(at));
}

TEST(Fields, MalformedFieldsFailWithoutMoving) {
  const Bytes cases[] = {
      {0x00},                                            // width cut off
      {0x00, 0x04, 0x01, 0x02},                          // integer value runs past the end
      {0x00, 0x05, 'a', 'b'},                            // string runs past the end
      {0x40, 0x00},                                      // a second group missing
      {0x40, 0x01, 0x40, 0x00, 0x40, 0x00, 0x00, 0x01},  // too many groups
      {0xC0, 0x01, 0x00, 0x00},                          // tag word with the address flag
  };
  for (const Bytes& bytes : cases) {
    FieldCursor a(bytes.data(), bytes.size());
    std::array<std::uint8_t, 8> target{};
    const bool int_case = bytes.size() >= 2 && bytes[0] == 0x00 && bytes[1] == 0x04;
    if (int_case || bytes.size() == 1) {
      EXPECT_EQ(0, get_int_field(a));
    } else {
      EXPECT_EQ(-1, get_bytes_field(a, target));
    }
    EXPECT_TRUE(a.failed);
    EXPECT_EQ(bytes.data(), a.position);
    // The failure is sticky.
    Bytes good;
    EXPECT_EQ(0, get_int_field(a));
  }
}

TEST(Fields, TaggedFieldsMatchMismatchAndAddressForm) {
  Bytes out;
  EXPECT_EQ(4, put_tagged_field(out, nullptr, 0, 7));
  EXPECT_EQ((Bytes{0x80, 0x07, 0x00, 0x00}), out);
  EXPECT_EQ(7, put_tagged_field(out, "xyz", 3, 0x1234));
  FieldCursor at(out.data(), out.size());
  std::array<std::uint8_t, 8> target{};
  std::size_t copied = 99;
  EXPECT_EQ(0x8007, get_tagged_field(at, target, &copied, 7));
  EXPECT_EQ(0u, copied);
  // A different tag: negated tag word, position unchanged.
  const std::uint8_t* before = at.position;
  EXPECT_EQ(-0x9234, get_tagged_field(at, target, &copied, 5));
  EXPECT_EQ(before, at.position);
  EXPECT_FALSE(at.failed);
  EXPECT_EQ(0x9234, get_tagged_field(at, target, &copied, 0x1234));
  EXPECT_EQ(3u, copied);
  EXPECT_EQ('z', target[2]);

  const Bytes plain = {0x00, 0x02, 0x00, 0x01};
  FieldCursor p(plain.data(), plain.size());
  EXPECT_EQ(-0x0002, get_tagged_field(p, target, &copied, 2));

  const Bytes address = {0xC0, 0x07, 0x00, 0x04, 1, 2, 3, 4};
  FieldCursor q(address.data(), address.size());
  EXPECT_EQ(-1, get_tagged_field(q, target, &copied, 7));
  EXPECT_TRUE(q.failed);
  EXPECT_EQ(address.data(), q.position);

  const Bytes cut = {0x80, 0x07, 0x00, 0x09, 1};
  FieldCursor r(cut.data(), cut.size());
  EXPECT_EQ(-1, get_tagged_field(r, target, &copied, 7));
  EXPECT_TRUE(r.failed);
}

TEST(Fields, ByteOrderModeTwoReversesRecordNumbers) {
  static const RecordRun runs[] = {{0, 2, 1, 0}, {4, 4, 2, 4}};
  static const RecordLayout layouts[] = {{42, 12, runs}};
  set_record_layouts(layouts);
  const std::uint8_t record[12] = {1, 2, 0xAA, 0xBB, 1, 2, 3, 4, 5, 6, 7, 8};
  Bytes out;
  set_byte_order_mode(2);
  put_tagged_field(out, record, sizeof record, 42);
  put_tagged_field(out, record, sizeof record, 43);  // no layout: unchanged
  set_byte_order_mode(0);
  EXPECT_EQ((Bytes{2, 1, 0xAA, 0xBB, 4, 3, 2, 1, 8, 7, 6, 5}),
            Bytes(out.begin() + 4, out.begin() + 16));
  EXPECT_EQ(Bytes(record, record + 12), Bytes(out.begin() + 20, out.end()));
  // Reading back in mode 2 restores the record; in mode 0 it is copied unchanged.
  set_byte_order_mode(2);
  FieldCursor at(out.data(), out.size());
  std::array<std::uint8_t, 12> back{};
  std::size_t copied = 0;
  EXPECT_EQ(0x802A, get_tagged_field(at, back, &copied, 42));
  EXPECT_EQ(Bytes(record, record + 12), Bytes(back.begin(), back.end()));
  set_byte_order_mode(0);
  set_record_layouts({});
}

}  // namespace
}  // namespace kovw::net
