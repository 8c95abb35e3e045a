#include "foundation/allocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <regex>

#include "foundation/log_fixture.h"
#include "foundation/verbose.h"

namespace kovw::foundation {
namespace {

class AllocatorTest : public test::LogFileTest {
 protected:
  void TearDown() override {
    set_allocator_mode(0);
    LogFileTest::TearDown();
  }
  static std::string hex(const void* block) {
    char text[32];
    std::snprintf(text, sizeof text, "%lx",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(block)));
    return text;
  }
};

TEST(Allocator, ModeFollowsTheVerboseFlag) {
  EXPECT_EQ(allocator_mode_for_verbose(0), 0);
  EXPECT_EQ(allocator_mode_for_verbose(kVerboseGeneral | kVerboseTransmission), 0);
  EXPECT_EQ(allocator_mode_for_verbose(kVerboseAllocLog), 1);
  EXPECT_EQ(allocator_mode_for_verbose(kVerboseAllocGuard), 2);
  EXPECT_EQ(allocator_mode_for_verbose(kVerboseAllocGuard | kVerboseAllocLog), 2);
}

TEST_F(AllocatorTest, ModeOneLogsEveryCall) {
  set_allocator_mode(1);
  void* block = hv_malloc(10, "a.cpp", 7);
  void* zeroed = hv_calloc(3, 4, "a.cpp", 8);
  void* grown = hv_realloc(block, 100, "a.cpp", 9);
  hv_free(zeroed, "a.cpp", 10);
  EXPECT_EQ(hv_realloc(grown, 0, "a.cpp", 11), nullptr);
  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 5u);
  const std::regex number(R"( +(\d+) )");
  EXPECT_TRUE(
      std::regex_match(all[0], std::regex(hex(block) + R"( +\d+ malloc\(10\) \(a.cpp: 7\))")))
      << all[0];
  EXPECT_TRUE(
      std::regex_match(all[1], std::regex(hex(zeroed) + R"( +\d+ calloc\(3,4\) \(a.cpp: 8\))")))
      << all[1];
  EXPECT_TRUE(std::regex_match(
      all[2], std::regex(hex(grown) + R"( +\d+ realloc\(100\) \(a.cpp: 9\) alt=)" + hex(block))))
      << all[2];
  EXPECT_TRUE(std::regex_match(all[3], std::regex(hex(zeroed) + R"( +\d+ free \(a.cpp: 10\))")))
      << all[3];
  EXPECT_TRUE(
      std::regex_match(all[4], std::regex(hex(grown) + R"( +\d+ realloc free \(a.cpp: 11\))")))
      << all[4];
  // The running number counts the calls, at least four digits wide.
  std::smatch first, second;
  ASSERT_TRUE(std::regex_search(all[0], first, number));
  ASSERT_TRUE(std::regex_search(all[1], second, number));
  EXPECT_EQ(std::stoi(second[1]), std::stoi(first[1]) + 1);
  EXPECT_GE(first[0].length(), 6);
}

TEST_F(AllocatorTest, ModeTwoCountsCurrentAndMaximumUse) {
  set_allocator_mode(2);
  const AllocatorUse start = allocator_use();
  char* first = static_cast<char*>(hv_malloc(10, "b.cpp", 1));
  char* second = static_cast<char*>(hv_calloc(5, 4, "b.cpp", 2));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % 16, 0u);
  EXPECT_EQ(std::memcmp(second, std::string(20, '\0').data(), 20), 0);
  std::memcpy(first, "0123456789", 10);
  first = static_cast<char*>(hv_realloc(first, 30, "b.cpp", 3));
  EXPECT_EQ(std::memcmp(first, "0123456789", 10), 0);
  hv_free(second, "b.cpp", 4);
  hv_free(first, "b.cpp", 5);
  EXPECT_EQ(allocator_use().current, start.current);
  EXPECT_EQ(allocator_use().blocks, start.blocks);

  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 5u);
  auto use = [&](std::size_t current, std::size_t maximum) {
    return "(cur:" + std::to_string(start.current + current) +
           " max:" + std::to_string(std::max(start.maximum, start.current + maximum)) + ")";
  };
  EXPECT_NE(all[0].find("malloc(10) (b.cpp: 1) " + use(10, 10)), std::string::npos) << all[0];
  EXPECT_NE(all[1].find("calloc(5,4) (b.cpp: 2) " + use(30, 30)), std::string::npos) << all[1];
  EXPECT_NE(all[2].find("realloc(30) (b.cpp: 3) alt="), std::string::npos) << all[2];
  EXPECT_NE(all[2].find(use(50, 60)), std::string::npos) << all[2];
  EXPECT_NE(all[3].find("free (b.cpp: 4) " + use(30, 60)), std::string::npos) << all[3];
  EXPECT_NE(all[4].find("free (b.cpp: 5) " + use(0, 60)), std::string::npos) << all[4];
}

TEST_F(AllocatorTest, ModeTwoDetectsADamagedGuard) {
  set_allocator_mode(2);
  struct Case {
    int offset;  // the byte that is overwritten, relative to the block
    const char* before;
    const char* behind;
  };
  for (const Case c : {Case{10, "OK", "damaged"}, Case{13, "OK", "damaged"},
                       Case{-1, "damaged", "OK"}, Case{-6, "damaged", "OK"}}) {
    SCOPED_TRACE(c.offset);
    unsigned char* block = static_cast<unsigned char*>(hv_malloc(10, "c.cpp", 1));
    block[c.offset] ^= 0x5A;
    EXPECT_EQ(hvmalloc_check_all(), 1);
    hv_free(block, "c.cpp", 2);
    const std::vector<std::string> all = messages();
    ASSERT_GE(all.size(), 2u);
    const std::string& check = all[all.size() - 2];
    EXPECT_TRUE(std::regex_match(
        check, std::regex("hvmalloc_check: " + hex(block) + R"( +\d+ Size \d+ inconsistent )" +
                          "Before: " + c.before + ", Behind: " + c.behind + R"(, No\. \d+)")))
        << check;
  }
  EXPECT_EQ(hvmalloc_check_all(), 0);
}

TEST_F(AllocatorTest, ModeTwoReportsBlocksOutsideItsList) {
  set_allocator_mode(2);
  char not_allocated[32];
  hv_free(not_allocated, "d.cpp", 1);
  EXPECT_EQ(hv_realloc(not_allocated, 64, "d.cpp", 2), nullptr);
  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], "hv_free: " + hex(not_allocated) + " not found in malloclist");
  EXPECT_EQ(all[1], all[0]);
  // Overflowing sizes are refused, not wrapped.
  EXPECT_EQ(hv_calloc(SIZE_MAX / 2, 4, "d.cpp", 3), nullptr);
  EXPECT_EQ(hv_malloc(SIZE_MAX - 4, "d.cpp", 4), nullptr);
}

TEST_F(AllocatorTest, GuardedBlocksSurviveAModeChange) {
  set_allocator_mode(2);
  void* guarded = hv_malloc(16, "e.cpp", 1);
  void* guarded_too = hv_malloc(16, "e.cpp", 2);
  set_allocator_mode(0);
  void* plain = hv_malloc(16, "e.cpp", 3);
  guarded_too = hv_realloc(guarded_too, 64, "e.cpp", 4);
  hv_free(guarded, "e.cpp", 5);  // must not hand the guarded block to the plain free
  hv_free(guarded_too, "e.cpp", 6);
  hv_free(plain, "e.cpp", 7);
  EXPECT_EQ(allocator_use().blocks, 0u);
}

// Large blocks: logged in mode 1, guarded in mode 2 (and still released correctly after the mode
// changed), mapped and usable in every mode.
TEST_F(AllocatorTest, LargeBlocksInEveryMode) {
  constexpr std::size_t kSize = 1u << 20;
  set_allocator_mode(1);
  auto* logged = static_cast<unsigned char*>(hv_malloc_large(kSize, "f.cpp", 1));
  ASSERT_NE(logged, nullptr);
  logged[0] = logged[kSize - 1] = 7;
  hv_free_large(logged, kSize, "f.cpp", 2);
  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_TRUE(
      std::regex_match(all[0], std::regex(hex(logged) + R"( +\d+ malloc\(1048576\) \(f.cpp: 1\))")))
      << all[0];
  EXPECT_TRUE(std::regex_match(all[1], std::regex(hex(logged) + R"( +\d+ free \(f.cpp: 2\))")))
      << all[1];

  set_allocator_mode(2);
  auto* guarded = static_cast<unsigned char*>(hv_malloc_large(kSize, "f.cpp", 3));
  ASSERT_NE(guarded, nullptr);
  EXPECT_EQ(allocator_use().blocks, 1u);
  guarded[kSize] = 0;  // one byte past the end
  EXPECT_EQ(hvmalloc_check_all(), 1);
  set_allocator_mode(0);
  auto* mapped = static_cast<unsigned char*>(hv_malloc_large(kSize, "f.cpp", 4));
  ASSERT_NE(mapped, nullptr);
  mapped[kSize - 1] = 1;
  hv_free_large(guarded, kSize, "f.cpp", 5);
  hv_free_large(mapped, kSize, "f.cpp", 6);
  EXPECT_EQ(allocator_use().blocks, 0u);
}

}  // namespace
}  // namespace kovw::foundation
