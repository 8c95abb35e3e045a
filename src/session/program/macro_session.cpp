#include "session/program/macro_session.h"

#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "protocol/macro_file.h"
#include "session/program/command_table.h"
#include "session/program/macro_playback.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "shell/macro_state.h"

namespace kovw::session {

namespace {

using protocol::MacroRecord;
using Clock = std::chrono::steady_clock;

// A macro file is read whole when playback starts; a larger one is refused.
constexpr long kMaxMacroFileSize = 64L * 1024 * 1024;
constexpr int kMacroTimerMs = 100;

std::mutex g_sequence_mutex;
std::map<std::string, int, std::less<>> g_sequences;

// What a request asks the user for, as the kind of the record that answers it, and whether
// the macro answers it without its handler.
struct Question {
  std::int32_t kind;
  bool taken;
};

std::optional<Question> question_of(int service, int type) {
  switch (service) {
    case net::KWD_KOMM:
      if (type == net::KWK_KGETDATE) return Question{protocol::kMacroDate, true};
      if (type == net::KWK_KGETFNAME) return Question{protocol::kMacroFileName, true};
      if (type == net::KWK_KGETCOL) return Question{protocol::kMacroColour, true};
      return std::nullopt;
    case net::KWD_DIGRA:
      if (type == net::KWK_GDIALOG) return Question{protocol::kMacroGraphicsDialog, true};
      if (type == net::KWK_GGET || type == net::KWK_GGETEX)
        return Question{protocol::kMacroWindowRequest, true};
      return std::nullopt;
    case net::KWD_WIN:
      if (type == net::KWK_WDIALOG) return Question{protocol::kMacroDialog, true};
      if (type == net::KWK_WEDIT) return Question{protocol::kMacroEdit, false};
      if (type == net::KWK_WDIAC) return Question{protocol::kMacroFieldDialog, false};
      return std::nullopt;
    case net::KWD_LIST:
      if (type == net::KWK_LDIALOG) return Question{protocol::kMacroListDialog, true};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void report(const char* format, const std::string& path, int error) {
  foundation::log_printf("%s %s (%d)", format, path.c_str(), error);
  foundation::show_message(nullptr, 0, error, shell::macro_texts::kCaption, "%s %s", format,
                           path.c_str());
}

}  // namespace

class MacroSession {
 public:
  MacroSession(ProgramSession& session, std::string path)
      : session_(session), path_(std::move(path)) {}
  ~MacroSession() {
    if (file_ != nullptr) std::fclose(file_);
    // A program that ends before its macro did: the log says that this playback was cut short.
    if (playback_ && !playback_->finished())
      foundation::log_printf("Makro: Wiedergabe für %s abgebrochen, Sätze übrig", path_.c_str());
  }

  bool open_for_recording() {
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) {
      report("Fehler Makro-Datei öffnen. Datei", path_, errno);
      return false;
    }
    last_write_ = Clock::now();
    const auto header = protocol::macro_file_header();
    return write_bytes(header);
  }

  bool open_for_playback(const protocol::MacroWaitRule& rule) {
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (file == nullptr) {
      report("Fehler Makro-Datei öffnen. Datei", path_, errno);
      return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[16384];
    std::size_t n = 0;
    int error = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) {
      bytes.insert(bytes.end(), block, block + n);
      if (static_cast<long>(bytes.size()) > kMaxMacroFileSize) break;
    }
    if (std::ferror(file)) error = errno;
    std::fclose(file);
    if (error != 0 || static_cast<long>(bytes.size()) > kMaxMacroFileSize) {
      report("Fehler beim Lesen der Makro-Datei. Datei", path_, error);
      return false;
    }
    protocol::MacroFileContents contents = protocol::decode_macro_file(bytes);
    if (contents.failure) {
      // A damaged file is not played in part: the answers after the fault would be missing.
      foundation::log_printf("%s", contents.failure->message.c_str());
      foundation::show_message(nullptr, 0, 0, shell::macro_texts::kCaption,
                               "Fehler beim Lesen der Makro-Datei. Datei %s\n%s", path_.c_str(),
                               contents.failure->message.c_str());
      return false;
    }
    foundation::log_printf("Makro: %zu Sätze aus %s", contents.records.size(), path_.c_str());
    playback_.emplace(std::move(contents.records), rule, [] { return Clock::now(); });
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { step(); });
    timer_.start(kMacroTimerMs);
    return true;
  }

  bool recording() const { return file_ != nullptr; }
  bool playing() const { return playback_ && !playback_->finished(); }

  void write_record(MacroRecord record) {
    if (file_ == nullptr) return;
    const Clock::time_point now = Clock::now();
    record.wait_ms = static_cast<std::int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now - last_write_).count());
    last_write_ = now;
    write_bytes(protocol::encode_macro_record(record));
  }

  void note_sent(int service, int type, std::span<const std::uint8_t> payload) {
    if (file_ == nullptr) return;
    auto record = protocol::macro_record_of_answer(service, type, payload, host_dialog_asked_,
                                                   session_.short_name);
    if (!record) {
      if (protocol::macro_kind_of_answer(service, type, host_dialog_asked_))
        foundation::log_printf("Makro: Antwort %d/%d (%zu Bytes) nicht aufgezeichnet", service,
                               type, payload.size());
      return;
    }
    if (service == net::KWD_DIGRA && type == net::KWK_GDIALOG) host_dialog_asked_ = false;
    write_record(std::move(*record));
  }

  bool take_request(int service, int type, std::span<const std::uint8_t> payload) {
    const std::optional<Question> question = question_of(service, type);
    if (!question) return false;
    if (file_ != nullptr) {
      // A host dialog's answer goes under the graphics dialog's service and type: the request
      // tells which of the two it is.
      if (service == net::KWD_WIN && type == net::KWK_WDIALOG) host_dialog_asked_ = true;
      if (service == net::KWD_DIGRA && type == net::KWK_GDIALOG) host_dialog_asked_ = false;
      return false;
    }
    if (!playing()) return false;
    asked_ = question->kind;
    if (question->taken) {
      held_ = Held{service, type, {payload.begin(), payload.end()}};
    }
    // The answer follows the handler's work (an edit area is set up first).
    timer_.start(0);
    return question->taken;
  }

 private:
  struct Held {
    int service;
    int type;
    std::vector<std::uint8_t> payload;
  };

  bool write_bytes(const std::vector<std::uint8_t>& bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() &&
        std::fflush(file_) == 0)
      return true;
    const int error = errno;
    std::fclose(file_);
    file_ = nullptr;
    report("Fehler Makro-Datei schreiben. Datei", path_, error);
    return false;
  }

  // One poll of the playback, from the timer or when the host asks.
  void step() {
    if (!playback_ || session_.ending) return;
    timer_.stop();
    // Menu selections and keys are given once the host shows its screen (or marked it ready)
    // and no frame is half received.
    const bool ready = asked_ || ((session_.screen_ready || session_.windows_shown) &&
                                  !session_.link.frame_started());
    int next_ms = kMacroTimerMs;
    if (ready) {
      const MacroPlayback::Step s = playback_->poll(asked_);
      if (!s.status.empty()) shell::show_macro_status(s.status);
      next_ms = std::min(s.next_poll_ms, kMacroTimerMs);
      switch (s.action) {
        case MacroPlayback::Action::Play:
          play(*s.record);
          break;
        case MacroPlayback::Action::Skip:
          foundation::log_printf("Makro: Satz der Art %d übersprungen, erwartet %d", s.record->kind,
                                 asked_.value_or(-1));
          break;
        case MacroPlayback::Action::End:
          finish();
          return;
        case MacroPlayback::Action::Wait:
          break;
      }
      if (playback_->finished()) {
        finish();
        return;
      }
    }
    timer_.start(std::max(next_ms, 1));
  }

  void play(const MacroRecord& record) {
    const std::optional<protocol::Outgoing> answer = protocol::macro_answer_of_record(record);
    if (record.kind == asked_) {
      asked_.reset();
      held_.reset();
    }
    if (!answer) {
      foundation::log_printf("Makro: Satz der Art %d ohne gültige Antwort", record.kind);
      return;
    }
    foundation::log_printf("Makro: Antwort %d/%d aus Satz der Art %d", answer->service,
                           answer->type, record.kind);
    dt_send(session_, answer->service, answer->type, answer->payload);
  }

  // The file has no more answers: the program goes on with the user, and a question the macro
  // took goes to its handler after all.
  void finish() {
    foundation::log_printf("Makro: Wiedergabe für %s beendet", path_.c_str());
    playback_.reset();
    asked_.reset();
    if (held_) {
      const Held held = std::move(*held_);
      held_.reset();
      net::LinkMessage header;
      header.service = static_cast<std::uint8_t>(held.service);
      header.type = static_cast<std::uint8_t>(held.type);
      header.length = static_cast<std::int32_t>(held.payload.size());
      dt_command(session_, header, held.payload);
    }
  }

  ProgramSession& session_;
  std::string path_;
  std::FILE* file_ = nullptr;
  Clock::time_point last_write_;
  bool host_dialog_asked_ = false;
  std::optional<MacroPlayback> playback_;
  std::optional<std::int32_t> asked_;
  std::optional<Held> held_;
  QTimer timer_;
};

void MacroSessionDeleter::operator()(MacroSession* macro) const {
  delete macro;
}

int next_macro_sequence(std::string_view program) {
  std::lock_guard lock(g_sequence_mutex);
  auto it = g_sequences.find(program);
  if (it == g_sequences.end()) it = g_sequences.emplace(std::string(program), 0).first;
  return ++it->second;
}

namespace testing {
void reset_macro_sequences() {
  std::lock_guard lock(g_sequence_mutex);
  g_sequences.clear();
}
}  // namespace testing

void macro_session_start(ProgramSession& session) {
  if (session.macro) return;  // a second KINIT keeps the file
  const shell::MacroState state = shell::macro_state();
  if (state.mode == shell::MacroMode::Off || state.directory.empty()) return;
  std::string program = session.program_name.empty() ? session.title : session.program_name;
  const std::size_t slash = program.find_last_of("/\\");
  if (slash != std::string::npos) program.erase(0, slash + 1);
  const std::string path = shell::macro_file_path(state, program, next_macro_sequence(program));
  MacroSessionPtr macro(new MacroSession(session, path));
  const bool ok = state.mode == shell::MacroMode::Recording ? macro->open_for_recording()
                                                            : macro->open_for_playback(state.wait);
  if (!ok) return;
  foundation::log_printf(
      "Makro %s: %s",
      state.mode == shell::MacroMode::Recording ? "Aufzeichnung in" : "Wiedergabe aus",
      path.c_str());
  session.macro_playback = state.mode == shell::MacroMode::Playback;
  session.macro = std::move(macro);
}

bool macro_takes_request(ProgramSession& session, int service, int type,
                         std::span<const std::uint8_t> payload) {
  return session.macro && session.macro->take_request(service, type, payload);
}

void macro_note_sent(ProgramSession& session, int service, int type,
                     std::span<const std::uint8_t> payload) {
  if (session.macro) session.macro->note_sent(service, type, payload);
}

void macro_write_comment(ProgramSession& session, std::string_view title, std::string_view text) {
  if (session.macro) session.macro->write_record(protocol::macro_comment(title, text));
}

bool macro_recording(const ProgramSession& session) {
  return session.macro && session.macro->recording();
}

bool macro_playing(const ProgramSession& session) {
  return session.macro && session.macro->playing();
}

}  // namespace kovw::session
