// The host search datagrams: the workstation's query and a daemon's answer.
#include <charconv>
#include <cstring>

#include "protocol/server_messages.h"

namespace kovw::protocol {

std::vector<std::uint8_t> build_host_query() {
  return std::vector<std::uint8_t>(kHostQuery, kHostQuery + sizeof kHostQuery);
}

bool is_host_query(std::span<const std::uint8_t> datagram) {
  return datagram.size() >= sizeof kHostQuery - 1 &&
         std::memcmp(datagram.data(), kHostQuery, sizeof kHostQuery - 1) == 0 &&
         (datagram.size() == sizeof kHostQuery - 1 || datagram[sizeof kHostQuery - 1] == 0);
}

std::vector<std::uint8_t> build_host_answer(const HostAnswer& answer) {
  std::vector<std::uint8_t> out;
  auto add = [&](std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
  };
  add(answer.host_name.substr(0, kMaxHostAnswerText));
  add(answer.address.substr(0, kMaxHostAnswerText));
  if (answer.port || answer.load) {
    add(std::to_string(answer.port.value_or(0)));
    if (answer.load) add(std::to_string(*answer.load));
  }
  return out;
}

Result<HostAnswer> parse_host_answer(std::span<const std::uint8_t> datagram) {
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start < datagram.size() && texts.size() < 4) {
    std::size_t end = start;
    while (end < datagram.size() && datagram[end] != 0) ++end;
    texts.emplace_back(reinterpret_cast<const char*>(datagram.data()) + start, end - start);
    start = end + 1;
  }
  if (texts.size() < 2)
    return ParseFailure{ParseError::kTruncated, "host answer: fewer than two texts"};
  if (texts[0].empty()) return ParseFailure{ParseError::kTruncated, "host answer: no host name"};
  if (texts[0].size() > kMaxHostAnswerText || texts[1].size() > kMaxHostAnswerText)
    return ParseFailure{ParseError::kTextTooLong,
                        "host answer: name or address longer than 31 characters"};
  HostAnswer answer;
  answer.host_name = texts[0];
  answer.address = texts[1];
  std::optional<ParseFailure> failure;
  auto number = [&](const std::string& text, const char* what) -> std::optional<std::int32_t> {
    if (text.empty()) return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
      if (!failure)
        failure = ParseFailure{ParseError::kMalformed,
                               std::string("host answer: ") + what + " is not a number"};
      return std::nullopt;
    }
    return value;
  };
  if (texts.size() > 2) answer.port = number(texts[2], "port");
  if (texts.size() > 3) answer.load = number(texts[3], "load");
  if (failure) return *failure;
  return answer;
}

}  // namespace kovw::protocol
