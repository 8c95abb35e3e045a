// The ring of graphics input events and the time-out rule of a request.

#include "graphics/graphics_input.h"

#include <gtest/gtest.h>

namespace kovw::graphics {
namespace {

InputEvent event(int key, int x = 0) {
  InputEvent e;
  e.kind = key == kPointerKey ? kPointerKey : kInputKey;
  e.key = key;
  e.device_x = x;
  return e;
}

TEST(InputRingTest, KeepsFifteenDropsTheOldestAndMergesPointerEvents) {
  InputRing ring;
  for (int i = 1; i <= 16; ++i) ring.push(event(i));
  EXPECT_EQ(15u, ring.size());
  EXPECT_EQ(2, ring.take()->key);  // the first was dropped
  // A pointer event replaces a pointer event that is the newest entry, not an older one.
  ring.clear();
  ring.push(event(kPointerKey, 1));
  ring.push(event(kPointerKey, 2));
  EXPECT_EQ(1u, ring.size());
  EXPECT_EQ(2, ring.take()->device_x);
  ring.push(event(kPointerKey, 3));
  ring.push(event(65));
  ring.push(event(kPointerKey, 4));
  EXPECT_EQ(3u, ring.size());
  EXPECT_EQ(3, ring.take()->device_x);
  EXPECT_EQ(65, ring.take()->key);
  EXPECT_EQ(4, ring.take()->device_x);
  EXPECT_FALSE(ring.take());
}

TEST(InputRingTest, TimeOutsCountIn800MillisecondSteps) {
  EXPECT_EQ(0, input_timeout_ms(0));
  EXPECT_EQ(0, input_timeout_ms(-5));
  EXPECT_EQ(800, input_timeout_ms(1));
  EXPECT_EQ(2499999LL * 800, input_timeout_ms(2499999));
  EXPECT_EQ(0, input_timeout_ms(2500000));
}

}  // namespace
}  // namespace kovw::graphics
