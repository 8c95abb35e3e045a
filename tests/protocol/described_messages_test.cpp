// Every message described field by field: building and parsing agree, every truncation of a
// valid payload is refused with a clear error, and a text one byte over its limit is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "protocol/described_message.h"
#include "protocol/described_message_table.h"

namespace kovw::protocol {
namespace {

enum class Sample {
  zeros,     // integers 0 (no flag set), empty texts
  full,      // integers -1 (every flag set), texts as long as their limit allows
  distinct,  // a different value in every integer and text
  too_long,  // like full, with every limited text one byte over its limit
};

// Fills the described fields of a message.
struct SampleFiller {
  Sample sample;
  int counter = 0;

  void int_field(const char*, std::int32_t& value) {
    ++counter;
    value = sample == Sample::zeros ? 0 : sample == Sample::distinct ? counter * 7919 + 3 : -1;
  }
  void text(const char* name, std::string& value, std::size_t max_text = kUnlimitedText) {
    fill_text(name, value, max_text);
  }
  void text_in_field(const char* name, std::string& value, std::size_t field_size) {
    fill_text(name, value, field_size - 1);  // the zero byte takes the last place
  }
  void fill_text(const char* name, std::string& value, std::size_t max_text) {
    ++counter;
    const bool limited = max_text != kUnlimitedText;
    switch (sample) {
      case Sample::zeros:
        value.clear();
        break;
      case Sample::full:
        value.assign(limited ? max_text : 300, static_cast<char>('a' + counter % 26));
        break;
      case Sample::distinct:
        value = std::string(name) + " " + std::to_string(counter);
        break;
      case Sample::too_long:
        value.assign(limited ? max_text + 1 : 10, 'x');
        limited_texts += limited ? 1 : 0;
        break;
    }
  }
  int limited_texts = 0;
};

// One line naming every described field and its value.
struct FieldDump {
  std::string line;
  std::vector<std::string> names;

  void int_field(const char* name, std::int32_t value) {
    names.push_back(name);
    line += std::string(name) + "=" + std::to_string(value) + ";";
  }
  void text(const char* name, const std::string& value, std::size_t = kUnlimitedText) {
    names.push_back(name);
    line += std::string(name) + "=\"" + value + "\";";
  }
  void text_in_field(const char* name, const std::string& value, std::size_t) { text(name, value); }
};

template <class M>
FieldDump dump(const M& message) {
  FieldDump d;
  M::fields(message, d);
  return d;
}

// A heap copy of exactly `n` bytes, so that AddressSanitizer sees any read past them.
std::unique_ptr<std::uint8_t[]> exact_copy(const std::vector<std::uint8_t>& bytes, std::size_t n) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[n ? n : 1]);
  if (n) std::memcpy(copy.get(), bytes.data(), n);
  return copy;
}

TEST(DescribedMessages, BuildThenParseGivesTheSameFieldsAndEveryTruncationFails) {
  for_each_described_message([](const auto& entry) {
    using M = typename std::decay_t<decltype(entry)>::Message;
    for (const Sample sample : {Sample::zeros, Sample::full, Sample::distinct}) {
      SCOPED_TRACE(std::string(entry.name) + " sample " + std::to_string(static_cast<int>(sample)));
      M sent;
      SampleFiller fill{sample};
      M::fields(sent, fill);
      const Outgoing out = entry.build(sent);
      EXPECT_EQ(out.service, entry.service);
      EXPECT_EQ(out.type, entry.type);
      EXPECT_EQ(out.header().length, static_cast<std::int32_t>(out.payload.size()));

      const auto back = entry.parse(out.payload);
      ASSERT_TRUE(back.ok()) << back.error().message;
      EXPECT_EQ(dump(*back).line, dump(sent).line);

      const std::vector<std::string> names = dump(sent).names;
      for (std::size_t n = 0; n < out.payload.size(); ++n) {
        const auto copy = exact_copy(out.payload, n);
        const auto cut = entry.parse(std::span<const std::uint8_t>(copy.get(), n));
        ASSERT_FALSE(cut.ok()) << "a payload cut to " << n << " bytes was accepted";
        EXPECT_EQ(cut.error().code, ParseError::kTruncated) << cut.error().message;
        // An empty payload lacks the first field, and the failure says which.
        if (n == 0) {
          EXPECT_NE(cut.error().message.find(names.front()), std::string::npos)
              << cut.error().message;
        }
      }
    }
  });
}

TEST(DescribedMessages, TextOverItsLimitIsRefused) {
  int messages_with_limits = 0;
  for_each_described_message([&](const auto& entry) {
    using M = typename std::decay_t<decltype(entry)>::Message;
    SCOPED_TRACE(entry.name);
    M sent;
    SampleFiller fill{Sample::too_long};
    M::fields(sent, fill);
    if (fill.limited_texts == 0) return;
    ++messages_with_limits;
    const Outgoing out = build_described(entry.service, entry.type, sent);
    const auto back = entry.parse(out.payload);
    ASSERT_FALSE(back.ok());
    EXPECT_EQ(back.error().code, ParseError::kTextTooLong) << back.error().message;
  });
  EXPECT_GT(messages_with_limits, 0);
}

// Program-link failures name the message; server-link failures start with the field.
TEST(DescribedMessages, FailureTextsNameMessageAndField) {
  const auto date = parse_kgetdate(std::vector<std::uint8_t>{0, 4, 0, 0});
  ASSERT_FALSE(date.ok());
  EXPECT_EQ(date.error().message, "KWK_KGETDATE: integer \"year\" runs past the payload");
  const auto missing = parse_kgetdate(std::vector<std::uint8_t>{});
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().message, "KWK_KGETDATE: item \"year\" is missing");
  const auto flag = parse_session_flag({});
  ASSERT_FALSE(flag.ok());
  EXPECT_EQ(flag.error().message, "mode: integer field runs past the payload");
}

}  // namespace
}  // namespace kovw::protocol
