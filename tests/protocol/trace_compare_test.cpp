// Replays compare the workstation's frames with recorded ones field by field: run-dependent
// fields are skipped and the first real difference is named.
#include <gtest/gtest.h>

#include "net/link_names.h"
#include "protocol/program/start_messages.h"
#include "protocol/trace_compare.h"

namespace kovw::protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes window_ids(std::int32_t content, std::int32_t width, std::int32_t thread) {
  WindowIds ids;
  ids.content_window = content;
  ids.main_window = content - 2;
  ids.screen_width = width;
  ids.screen_height = 600;
  ids.thread_id = thread;
  return build_window_ids(ids).payload;
}

TEST(TraceCompare, DifferencesAreNamedAndRunDependentFieldsSkipped) {
  const int komm = net::KWD_KOMM, winid = net::KWK_KGETWINID;
  const int win = net::KWD_WIN, wdat = net::KWK_WDAT;
  const Bytes recorded = window_ids(65540, 800, 4096);
  const Bytes text{'\x0c', 'H', 'e', 'l', 'l', 'o'};
  struct Case {
    const char* name;
    int service, type;
    Bytes expected;
    int got_service, got_type;
    Bytes received;
    const char* difference;  // nullptr: none
  };
  const Case cases[] = {
      {"same", komm, winid, recorded, komm, winid, recorded, nullptr},
      {"other handles and thread", komm, winid, recorded, komm, winid, window_ids(9, 800, 77),
       nullptr},
      {"screen width", komm, winid, recorded, komm, winid, window_ids(65540, 801, 4096),
       "field 3 \"screen width\": expected 800, received 801"},
      {"other message", komm, winid, recorded, win, wdat, text,
       "message: expected KWD_KOMM/KWK_KGETWINID, received KWD_WIN/KWK_WDAT"},
      {"screen output", win, wdat, text, win, wdat, Bytes{'\x0c', 'H', 'a', 'l', 'l', 'o'},
       "byte 2: expected 0x65, received 0x61 (lengths 6 and 6)"},
      {"shorter output", win, wdat, text, win, wdat, Bytes{'\x0c', 'H'},
       "byte 2: expected 0x65, received the end (lengths 6 and 2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto difference = trace_frame_difference(c.service, c.type, c.expected, c.got_service,
                                                   c.got_type, c.received);
    if (c.difference == nullptr) {
      EXPECT_FALSE(difference) << *difference;
    } else {
      ASSERT_TRUE(difference);
      EXPECT_EQ(*difference, c.difference);
    }
  }
}

TEST(TraceCompare, FramesAreDescribedWithTheirFieldNames) {
  EXPECT_EQ(describe_trace_frame(net::KWD_KOMM, net::KWK_KGETWINID, window_ids(7, 800, 1)),
            "KWD_KOMM/KWK_KGETWINID content window=7 main window=5 screen width=800 screen "
            "height=600 parent window=0 thread id=1");
  EXPECT_EQ(describe_trace_frame(net::KWD_WIN, net::KWK_WDAT, Bytes{'\x1b', 'F', 'A', '"'}),
            "KWD_WIN/KWK_WDAT 4 bytes \"\\x1BFA\\x22\"");
}

}  // namespace
}  // namespace kovw::protocol
