#include "shell/macro_state.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "foundation/log.h"
#include "platform/gui_call.h"

namespace kovw::shell {

namespace {

std::mutex g_mutex;
MacroState g_state;
void (*g_sink)(const std::string&) = nullptr;

namespace fs = std::filesystem;

// The status window: a small frameless tool window that stays above the others.
QPointer<QLabel> g_window;

void show_on_gui(const std::string& text) {
  if (text.empty()) {
    if (g_window) g_window->deleteLater();
    g_window = nullptr;
    return;
  }
  if (!g_window) {
    g_window = new QLabel;
    g_window->setObjectName("macro_status");
    g_window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus);
    g_window->setAttribute(Qt::WA_ShowWithoutActivating);
    g_window->setAttribute(Qt::WA_DeleteOnClose);
    g_window->setFixedSize(300, 30);
    g_window->setAlignment(Qt::AlignCenter);
    g_window->setFrameStyle(QFrame::Box | QFrame::Plain);
    g_window->setAutoFillBackground(true);
  }
  g_window->setText(QString::fromStdString(text));
  g_window->show();
}

}  // namespace

MacroState macro_state() {
  std::lock_guard lock(g_mutex);
  return g_state;
}

bool macro_active() {
  std::lock_guard lock(g_mutex);
  return g_state.mode != MacroMode::Off;
}

bool valid_macro_name(std::string_view name) {
  if (name.empty() || name.size() > kMaxMacroName || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

bool macro_prepare(const std::string& data_directory, const std::string& name, std::string& error) {
  if (!name.empty() && !valid_macro_name(name)) {
    error = "ungültiger Makroname \"" + name + "\"";
    return false;
  }
  const fs::path root = fs::path(data_directory) / "makro";
  std::error_code ec;
  fs::create_directories(root, ec);
  if (!ec && !name.empty()) fs::create_directories(root / name, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  std::lock_guard lock(g_mutex);
  g_state.root = root.string();
  if (!name.empty()) {
    g_state.name = name;
    g_state.directory = (root / name).string();
  }
  return true;
}

bool macro_record(std::string& error) {
  std::string directory;
  {
    std::lock_guard lock(g_mutex);
    directory = g_state.directory;
  }
  if (directory.empty()) {
    error = "kein Makro vorbereitet";
    return false;
  }
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(directory, ec)) {
    fs::remove_all(entry.path(), ec);
    if (ec) break;
  }
  if (ec) {
    error = ec.message();
    return false;
  }
  {
    std::lock_guard lock(g_mutex);
    g_state.mode = MacroMode::Recording;
  }
  foundation::log_printf("Makro %s: Aufzeichnung", macro_state().name.c_str());
  show_macro_status(macro_texts::kRecording);
  return true;
}

void macro_play(const protocol::MacroWaitRule& wait) {
  {
    std::lock_guard lock(g_mutex);
    g_state.mode = MacroMode::Playback;
    g_state.wait = wait;
  }
  foundation::log_printf("Makro %s: Wiedergabe", macro_state().name.c_str());
  show_macro_status(macro_texts::kPlayback);
}

void macro_off() {
  {
    std::lock_guard lock(g_mutex);
    g_state.mode = MacroMode::Off;
  }
  show_macro_status({});
}

std::string macro_file_path(const MacroState& state, std::string_view program, int sequence) {
  // The program's base name: the part after the last separator.
  const std::size_t slash = program.find_last_of("/\\");
  if (slash != std::string_view::npos) program.remove_prefix(slash + 1);
  std::string base(program);
  if (base.empty() || base == "." || base == "..") base = "programm";
  return state.directory + "/" + base + "_" + std::to_string(sequence) + ".mdx";
}

void show_macro_status(const std::string& text) {
  void (*sink)(const std::string&) = nullptr;
  {
    std::lock_guard lock(g_mutex);
    sink = g_sink;
  }
  if (sink != nullptr) {
    sink(text);
    return;
  }
  if (QApplication::instance() == nullptr) return;
  platform::post_to_gui_thread([text] { show_on_gui(text); });
}

namespace testing {
void set_macro_status_sink(void (*sink)(const std::string&)) {
  std::lock_guard lock(g_mutex);
  g_sink = sink;
}
void reset_macro_state() {
  std::lock_guard lock(g_mutex);
  g_state = MacroState{};
}
}  // namespace testing

}  // namespace kovw::shell
