#pragma once
// A handler context over fakes: the replies, the view messages and the key answers are
// recorded, the session facts are plain members. Handlers run on the test's thread, without a link
// or a session.

#include <gtest/gtest.h>

#include <QStringList>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "protocol/outgoing.h"
#include "session/program/command_table.h"
#include "session/program/handler_context.h"
#include "session/program/session_host.h"
#include "session/window_messages.h"

namespace kovw::session::test {

// Keeps every message sent to the host.
class RecordingReplies : public Replies {
 public:
  std::vector<protocol::Outgoing> sent;

 protected:
  int deliver(int service, int type, std::span<const std::uint8_t> payload, const char*,
              int) override {
    sent.push_back(protocol::Outgoing{service, type, {payload.begin(), payload.end()}});
    return static_cast<int>(payload.size());
  }
};

// Keeps every message posted to the view; a closed view refuses them.
class RecordingView : public ViewPort {
 public:
  std::vector<ViewMessage> posted;
  bool open = true;

  bool post(ViewMessage message) override {
    if (!open) return false;
    posted.push_back(std::move(message));
    return true;
  }
};

// Records the key answers; `cleared` counts the times the typed keys were forgotten.
class RecordingKeys : public KeyPort {
 public:
  int cleared = 0;
  std::vector<bool> box_answers;

  void clear() override { ++cleared; }
  void send_box_answer(bool positive) override { box_answers.push_back(positive); }
};

struct FakeContext {
  RecordingReplies replies;
  RecordingView view;
  RecordingKeys keys;
  SessionHost host;
  int host_version = 0x070305;
  int text_flags = 0;
  std::int64_t main_window = 0;
  std::string connection = "Verbindung";
  std::string caption;
  std::string short_name;
  QStringList dropped_files;

  HandlerContext context() {
    return HandlerContext{
        .replies = replies,
        .view = view,
        .keys = keys,
        .host = host,
        .host_version = host_version,
        .text_flags = text_flags,
        .main_window = main_window,
        .connection = connection,
        .caption = caption,
        .short_name = short_name,
        .take_dropped_files = [this] { return std::exchange(dropped_files, {}); },
    };
  }

  // Runs the handler the program's command table holds for `message`.
  void run(const protocol::Outgoing& message) {
    const ContextHandler* handler =
        program_commands().find_context_handler(message.service, message.type);
    ASSERT_NE(nullptr, handler) << message.service << "/" << message.type;
    HandlerContext narrow = context();
    (*handler)(narrow, Command{message.service, message.type, message.payload});
  }

  // Runs `message` and returns the one answer it got.
  protocol::Outgoing ask(const protocol::Outgoing& message) {
    replies.sent.clear();
    run(message);
    EXPECT_EQ(1u, replies.sent.size());
    if (replies.sent.empty()) return {};
    EXPECT_EQ(message.service, replies.sent.back().service);
    EXPECT_EQ(message.type, replies.sent.back().type);
    return replies.sent.back();
  }
};

}  // namespace kovw::session::test
