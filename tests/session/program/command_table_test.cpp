// The command table: handlers registered by the feature modules run on a bare session (no
// thread, no link), and a message without a handler is only logged.

#include "session/program/command_table.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>
#include <vector>

#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/start_messages.h"
#include "session/program/handler_context.h"
#include "session/program/program_session.h"
#include "session/program/window_map.h"
#include "session/session_fixture.h"
#include "session/window_messages.h"

namespace kovw::session::test {
namespace {

// The view side of a session: keeps every message posted to it.
class ViewRecorder : public QObject {
 public:
  std::vector<ViewMessage> messages;

 protected:
  void customEvent(QEvent* event) override {
    messages.push_back(std::move(static_cast<ViewEvent&>(*event).message));
  }
};

class CommandTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    session.host_hooks = std::make_shared<SessionHost>();
    session.to_view = std::make_shared<EventChannel>();
    session.to_view->bind(&view);
  }
  void TearDown() override { session.to_view->unbind(); }

  void run(const CommandTable& table, const protocol::Outgoing& message) {
    dispatch_command(table, session, message.header(), message.payload);
    QCoreApplication::sendPostedEvents(&view);
  }
  void run(const protocol::Outgoing& message) { run(program_commands(), message); }

  ProgramSession session;
  ViewRecorder view;
};

TEST_F(CommandTableTest, FeatureHandlersRunOnABareSession) {
  // The window service's beep reaches the view.
  run(protocol::Outgoing{net::KWD_DIGRA, net::KWK_BEEP, {}});
  ASSERT_EQ(1u, view.messages.size());
  EXPECT_TRUE(std::holds_alternative<to_view::Beep>(view.messages[0]));

  // KCFLAG collects its bits in the session.
  run(protocol::build_kcflag(4));
  run(protocol::build_kcflag(1));
  EXPECT_EQ(5u, session.exit_flags);

  // KMAP posts a known operation on the named window and ignores an unknown one.
  run(protocol::build_kmap({kMapShowNoRestore + 1, 0x10004}));
  EXPECT_EQ(1u, view.messages.size());
  run(protocol::build_kmap({kMapHide, 0x10004}));
  ASSERT_EQ(2u, view.messages.size());
  const auto* map = std::get_if<to_view::MapWindow>(&view.messages[1]);
  ASSERT_NE(nullptr, map);
  EXPECT_EQ(kMapHide, map->operation);
  EXPECT_EQ(0x10004, map->window);
}

TEST_F(CommandTableTest, AMessageWithoutHandlerIsLoggedOnly) {
  char pattern[] = "/tmp/kovw_command_table_XXXXXX";
  ASSERT_NE(nullptr, ::mkdtemp(pattern));
  const std::string log = std::string(pattern) + "/kovw.log";
  foundation::log_reset();
  ASSERT_EQ(0, foundation::log_set_path(log.c_str()));

  CommandTable empty;
  run(empty, protocol::Outgoing{net::KWD_DIGRA, net::KWK_BEEP, {1, 2, 3}});
  run(protocol::Outgoing{net::KWD_KOMM, 250, {}});
  foundation::log_reset();

  std::stringstream content;
  content << std::ifstream(log).rdbuf();
  std::filesystem::remove_all(pattern);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_NE(std::string::npos, content.str().find("dt_command: KWD_DIGRA/KWK_BEEP (1/"))
      << content.str();
  EXPECT_NE(std::string::npos, content.str().find(") Len 3 noch nicht behandelt")) << content.str();
  EXPECT_NE(std::string::npos,
            content.str().find("dt_command: KWD_KOMM/? (0/250) Len 0 noch nicht behandelt"))
      << content.str();
}

// Both kinds of handler share the pairs; one that takes a context runs with a context over the
// session whose message the table dispatches.
TEST_F(CommandTableTest, ContextHandlersShareThePairsAndRunOverTheSession) {
  CommandTable table;
  std::string caption_seen;
  EXPECT_TRUE(table.add(net::KWD_WIN, net::KWK_WTIT, [&](HandlerContext& context, const Command&) {
    caption_seen = context.caption;
    context.view.post(to_view::Beep{});
  }));
  EXPECT_FALSE(table.add(net::KWD_WIN, net::KWK_WTIT, [](ProgramSession&, const Command&) {}));
  EXPECT_TRUE(table.add(net::KWD_KOMM, net::KWK_KMAP, [](ProgramSession&, const Command&) {}));
  EXPECT_FALSE(table.add(net::KWD_KOMM, net::KWK_KMAP, [](HandlerContext&, const Command&) {}));
  EXPECT_EQ(nullptr, table.find_context_handler(net::KWD_KOMM, net::KWK_KMAP));
  EXPECT_NE(nullptr, table.find_context_handler(net::KWD_WIN, net::KWK_WTIT));

  session.caption = "Kunden";
  run(table, protocol::Outgoing{net::KWD_WIN, net::KWK_WTIT, {}});
  EXPECT_EQ("Kunden", caption_seen);
  ASSERT_EQ(1u, view.messages.size());
  EXPECT_TRUE(std::holds_alternative<to_view::Beep>(view.messages[0]));
}

TEST(CommandTable, APairHasOneHandler) {
  CommandTable table;
  int ran = 0;
  EXPECT_TRUE(
      table.add(net::KWD_WIN, net::KWK_WTIT, [&](ProgramSession&, const Command&) { ran = 1; }));
  EXPECT_FALSE(
      table.add(net::KWD_WIN, net::KWK_WTIT, [&](ProgramSession&, const Command&) { ran = 2; }));
  EXPECT_EQ(nullptr, table.find(net::KWD_KOMM, net::KWK_WTIT));
  const CommandHandler* handler = table.find(net::KWD_WIN, net::KWK_WTIT);
  ASSERT_NE(nullptr, handler);
  ProgramSession session;
  (*handler)(session, Command{net::KWD_WIN, net::KWK_WTIT, {}});
  EXPECT_EQ(1, ran);
}

}  // namespace
}  // namespace kovw::session::test
