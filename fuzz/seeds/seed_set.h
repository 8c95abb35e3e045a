#pragma once
// The files of a seed corpus: each seed is written as <root>/<target>/<name>, where <target> is
// the fuzz target's name without "fuzz_". Seeds are valid inputs in the target's own input
// format, so that fuzzing starts from messages, frames and files that pass the first checks.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Seeds stay small so that a run over the corpus is quick and a failing seed easy to read.
inline constexpr std::size_t kMaxSeedSize = 4096;

class SeedSet {
 public:
  explicit SeedSet(std::filesystem::path root) : root_(std::move(root)) {}

  // Writes one seed; a seed above kMaxSeedSize or a write failure is recorded as an error.
  void add(std::string_view target, std::string_view name, std::span<const std::uint8_t> bytes);
  // Records that a seed could not be built.
  void fail(std::string_view target, std::string_view name, std::string_view why);

  int written() const { return written_; }
  const std::vector<std::string>& errors() const { return errors_; }

 private:
  std::filesystem::path root_;
  int written_ = 0;
  std::vector<std::string> errors_;
};

// Byte helpers for assembling inputs.
void append(Bytes& out, std::span<const std::uint8_t> bytes);
void append(Bytes& out, std::string_view text);
// A selector prefix followed by `body`.
Bytes prefixed(std::initializer_list<std::uint8_t> prefix, std::span<const std::uint8_t> body);
Bytes prefixed(std::initializer_list<std::uint8_t> prefix, std::string_view body);

// The seed writers of each layer.
void add_foundation_seeds(SeedSet& seeds);
void add_net_seeds(SeedSet& seeds);
void add_protocol_seeds(SeedSet& seeds);
void add_session_seeds(SeedSet& seeds);
void add_print_seeds(SeedSet& seeds);
void add_graphics_seeds(SeedSet& seeds);
void add_file_transfer_seeds(SeedSet& seeds);
void add_shell_seeds(SeedSet& seeds);
void add_trace_seeds(SeedSet& seeds);

}  // namespace kovw::fuzz
