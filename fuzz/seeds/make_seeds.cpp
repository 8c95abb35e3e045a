// Writes the seed corpora of the fuzz targets: make_fuzz_seeds <root> (normally fuzz/corpus).
// Existing files of the same names are replaced; other files in the corpus are left alone, so
// regression seeds added by hand stay. The output is the same from run to run except for the
// encrypted files, whose writer pads with random bytes.
#include <cstdio>

#include "seed_set.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus root>\n", argv[0]);
    return 2;
  }
  kovw::fuzz::SeedSet seeds(argv[1]);
  kovw::fuzz::add_foundation_seeds(seeds);
  kovw::fuzz::add_net_seeds(seeds);
  kovw::fuzz::add_protocol_seeds(seeds);
  kovw::fuzz::add_session_seeds(seeds);
  kovw::fuzz::add_print_seeds(seeds);
  kovw::fuzz::add_graphics_seeds(seeds);
  kovw::fuzz::add_file_transfer_seeds(seeds);
  kovw::fuzz::add_shell_seeds(seeds);
  kovw::fuzz::add_trace_seeds(seeds);
  for (const auto& error : seeds.errors()) std::fprintf(stderr, "%s\n", error.c_str());
  std::printf("%d seeds written\n", seeds.written());
  return seeds.errors().empty() ? 0 : 1;
}
