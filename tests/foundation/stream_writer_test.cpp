// The background writer of large files: the bytes arrive in order and whole however they are
// cut into blocks and buffers, and a writer stopped midway leaves no file.
#include "foundation/stream_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace kovw::foundation {
namespace {

namespace fs = std::filesystem;

TEST(StreamWriter, BytesArriveInOrderAcrossBlocksAndBuffers) {
  const fs::path dir = fs::temp_directory_path() / ("stream_writer." + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::vector<std::uint8_t> data(40000);
  std::mt19937 random(3);
  for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
  const struct {
    std::size_t buffer, waiting, block;
  } cases[] = {{7, 1, 5}, {4096, 3, 1000}, {1 << 20, 3, 65536}, {100, 2, 100}};
  for (const auto& c : cases) {
    AtomicFile file;
    ASSERT_EQ(file.open((dir / "out").string()), 0);
    StreamWriter writer(file, c.buffer, c.waiting);
    for (std::size_t at = 0; at < data.size(); at += c.block)
      ASSERT_EQ(writer.write(std::span(data).subspan(at, std::min(c.block, data.size() - at))), 0);
    ASSERT_EQ(writer.finish(), 0);
    ASSERT_EQ(file.commit(), 0);
    std::ifstream in(dir / "out", std::ios::binary);
    const std::vector<std::uint8_t> back((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    EXPECT_EQ(back, data) << c.buffer << "/" << c.block;
  }
  {
    AtomicFile file;
    ASSERT_EQ(file.open((dir / "dropped").string()), 0);
    StreamWriter writer(file, 64, 1);
    writer.write(data);
    writer.stop();
    file.abort();
  }
  EXPECT_FALSE(fs::exists(dir / "dropped"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kovw::foundation
