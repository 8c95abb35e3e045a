#include "session/program/session_context.h"

#include <QCoreApplication>
#include <utility>

#include "session/program/key_buffer.h"
#include "session/program/key_input.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"

namespace kovw::session {

namespace {

class SessionView : public ViewPort {
 public:
  explicit SessionView(ProgramSession& session) : session_(session) {}
  bool post(ViewMessage message) override {
    return session_.to_view != nullptr && post_to_view(*session_.to_view, std::move(message));
  }

 private:
  ProgramSession& session_;
};

class SessionKeys : public KeyPort {
 public:
  explicit SessionKeys(ProgramSession& session) : session_(session) {}
  void clear() override { session_.keys.clear(); }
  void send_box_answer(bool positive) override {
    // The host waits for the answer, so it goes into the buffer even while the wait cursor
    // shows (a dropped answer would leave the host waiting for good), and is sent at once.
    session_.keys.put(message_box_answer_key(session_, positive));
    key_send(session_, 1);
    session_.host_waits_for_keys = false;
  }

 private:
  ProgramSession& session_;
};

}  // namespace

int LinkReplies::deliver(int service, int type, std::span<const std::uint8_t> payload,
                         const char* file, int line) {
  return dt_send(session_, service, type, payload.data(), static_cast<int>(payload.size()), file,
                 line);
}

void run_in_session_context(ProgramSession& session,
                            const std::function<void(HandlerContext&)>& handler) {
  static const SessionHost no_host;
  LinkReplies replies(session);
  SessionView view(session);
  SessionKeys keys(session);
  HandlerContext context{
      .replies = replies,
      .view = view,
      .keys = keys,
      .host = session.host_hooks ? *session.host_hooks : no_host,
      .host_version = session.host_version,
      .text_flags = session.host_text_flags(),
      .main_window = session.main_window,
      .connection = session.title,
      .caption = session.caption,
      .short_name = session.short_name,
      .take_dropped_files =
          [&session] {
            // Files dropped before the request may still wait in the thread's queue behind the
            // link's notification: they are taken in first, and nothing else that waits there.
            if (session.super != nullptr)
              QCoreApplication::sendPostedEvents(session.super, wml_event_type(WML_FILES_DROPPED));
            return std::exchange(session.dropped_files, {});
          },
  };
  handler(context);
}

}  // namespace kovw::session
