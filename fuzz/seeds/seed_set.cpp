#include "seed_set.h"

#include <fstream>

namespace kovw::fuzz {

void SeedSet::add(std::string_view target, std::string_view name,
                  std::span<const std::uint8_t> bytes) {
  const std::string label = std::string(target) + "/" + std::string(name);
  if (bytes.size() > kMaxSeedSize) {
    errors_.push_back(label + ": " + std::to_string(bytes.size()) + " bytes, above the limit");
    return;
  }
  const std::filesystem::path directory = root_ / std::string(target);
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  std::ofstream out(directory / std::string(name), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    errors_.push_back(label + ": cannot write");
    return;
  }
  ++written_;
}

void SeedSet::fail(std::string_view target, std::string_view name, std::string_view why) {
  errors_.push_back(std::string(target) + "/" + std::string(name) + ": " + std::string(why));
}

void append(Bytes& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void append(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

Bytes prefixed(std::initializer_list<std::uint8_t> prefix, std::span<const std::uint8_t> body) {
  Bytes out(prefix);
  append(out, body);
  return out;
}

Bytes prefixed(std::initializer_list<std::uint8_t> prefix, std::string_view body) {
  Bytes out(prefix);
  append(out, body);
  return out;
}

}  // namespace kovw::fuzz
