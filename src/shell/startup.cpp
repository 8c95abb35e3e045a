#include "shell/startup.h"
#include "shell/macro_dialog.h"
#include "shell/update_offer.h"

#include "shell/cache_clean.h"
#include "shell/sound_player.h"

#include <pthread.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "foundation/allocator.h"
#include "foundation/console_signals.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/named_lock.h"
#include "foundation/path_synonyms.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "foundation/workflow_state.h"
#include "net/tcp_socket.h"
#include "net/twofish_cipher.h"
#include "platform/message_box.h"
#include "shell/command_line.h"
#include "shell/exit_code.h"
#include "shell/file_type_registration.h"
#include "shell/language_choice.h"
#include "shell/main_window.h"
#include "shell/server_connection.h"
#include "shell/settings_store.h"
#include "shell/settings_workflow.h"
#include "shell/usage_text.h"
#include "shell/version.h"

namespace kovw::shell {
namespace {

using foundation::log_printf;
using foundation::message_text;

// Messages of the command line: a box (or the log in unattended runs), a log line, and a
// line on the standard error for people who started kovw from a terminal.
void report_command_line_message(const CommandLineMessage& message) {
  log_printf("%s", message.text.c_str());
  std::fprintf(stderr, "kovw: %s\n", message.text.c_str());
  foundation::show_message(nullptr, 0, 0, message.caption.c_str(), "%s", message.text.c_str());
}

// Without a display the workstation still runs (workflow mode, unattended use): Qt then
// draws off screen.
void choose_platform_without_display() {
  if (std::getenv("QT_QPA_PLATFORM")) return;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x11 && *x11) || (wayland && *wayland)) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

bool wants_help(int argc, char** argv) {
  if (argc != 2) return false;
  std::string word = argv[1];
  return word == "--help" || word == "-?" || word == "/?";
}

// Opens the log in the data directory and reports a fallback or a failure.
void open_log(const ShellState& state) {
  std::string path = state.directories.data + "/kovw.log";
  std::string quoted = "\"" + path + "\"";
  int result = foundation::log_set_path(quoted.c_str());
  if (result < 0) {
    int error = foundation::log_last_open_error();
    foundation::show_message(nullptr, 0, 0, "KOVW", message_text(10209), path.c_str(), error);
  } else if (result == 1) {
    std::string used = foundation::log_path();
    foundation::show_message(nullptr, 0, 0, "KOVW", message_text(10208), path.c_str(),
                             used.c_str());
  }
  foundation::log_daily_check();
  foundation::log_set_pending(("KOVW " + state.version_text).c_str());
}

// The thread bookkeeping and the monitor lock, from the start to every way out.
class ThreadBookkeeping {
 public:
  ThreadBookkeeping() {
    foundation::hvt_init_threads(__FILE__, __LINE__);
    monitor_ = foundation::hvt_create_critical_ex("kovw_monitor", __FILE__, __LINE__);
  }
  ~ThreadBookkeeping() {
    foundation::hvt_destroy_critical_ex(monitor_, __FILE__, __LINE__);
    foundation::hvt_end_threads(__FILE__, __LINE__);
  }
  ThreadBookkeeping(const ThreadBookkeeping&) = delete;
  ThreadBookkeeping& operator=(const ThreadBookkeeping&) = delete;

 private:
  foundation::NamedLock* monitor_ = nullptr;
};

// The installation helper (-j): the settings are written with the running version.
int run_install_helper(const ShellState& state) {
  if (state.options.foreground_lock != 0) {
    // The focus-stealing time-out of the Windows desktop has no counterpart here.
    log_printf("-jf%c: keine Fokussperre auf dieser Plattform",
               state.options.foreground_lock > 0 ? '+' : '-');
  }
  SettingsRecord& s = mutable_settings();
  if (state.options.install_path_given) s.install_path = state.options.install_path;
  s.last_version = static_cast<std::int32_t>(state.version_word);
  return dr_save_settings(true) < 0 ? kExitOtherResult : kExitOk;
}

// Uninstall (-q): the file-type registration and every key of the current user go.
int run_uninstall() {
  register_file_type(0);
  return dr_delete_all_keys() < 0 ? kExitOtherResult : kExitOk;
}

// Workflow mode: the stored workflow values become the login values of this run.
void take_workflow_values(const WorkflowOptions& workflow, SettingsRecord& s) {
  // Values the workflow key does not hold keep those of the settings and command line.
  if (workflow.port_given) {
    s.kovd_port = workflow.kovd_port;
    s.kovw_port = workflow.kovd_port + 3;
  }
  if (workflow.host_given) s.host.assign(workflow.host.view());
  if (workflow.user_given) {
    std::string user = workflow_user(workflow);
    if (!s.user.assign(user)) log_printf("Workflow-Benutzer zu lang: %s", user.c_str());
    s.domain.assign(workflow.domain.view());
    std::copy_n(workflow.password.begin(), s.password.size(), s.password.begin());
  }
  s.save_passwd |= 0x3;
  s.auto_login = 1;
  s.auto_end = 1;
}

int initial_verbosity(const StartOptions& options) {
  if (options.verbosity_given) return options.verbosity;
  const char* test = std::getenv("KOVW_TEST");
  if (!test || !*test) return 0;
  return static_cast<int>(std::strtol(test, nullptr, 10));
}

}  // namespace

namespace {
std::function<void(MainWindow&)>& main_window_hook() {
  static std::function<void(MainWindow&)> hook;
  return hook;
}
}  // namespace

void set_main_window_hook(std::function<void(MainWindow&)> hook) {
  main_window_hook() = std::move(hook);
}

ShellState& shell_state() {
  static ShellState state;
  return state;
}

int today_number() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

int run_workstation(int argc, char** argv) {
  ShellState& state = shell_state();

  if (wants_help(argc, argv)) {
    std::fputs(usage_text().c_str(), stdout);
    return kExitOk;
  }

  // The main thread's name for debuggers; the executable name for the log prefix.
  pthread_setname_np(pthread_self(), "kovw Main");
  foundation::log_set_executable(argc > 0 ? argv[0] : "kovw");
  std::signal(SIGPIPE, SIG_IGN);  // a peer closing a link must not end the process
  ThreadBookkeeping threads;

  choose_platform_without_display();
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  app.setApplicationName(QStringLiteral("kovw"));
  platform::install_message_box_presenter();

  // The ciphers: a failed known-answer test is reported and the start goes on.
  net::Twofish_initialise([](const char*) {
    foundation::show_message(nullptr, 0, 0, "KOVW", "%s", message_text(10097));
  });
  tzset();

  state.version_text = version_text();
  state.version_word = version_word(version_of(state.version_text));
  state.title = window_title();
  state.today = today_number();

  // Parameter files and "kovw:" links open this program.
  register_file_type(1);

  // Until the settings name a language, messages follow the user's locale.
  foundation::set_language(choose_language(0));

  // The command line.
  std::vector<std::string> words(argv + 1, argv + argc);
  ParseContext context;
  context.today = state.today;
  context.report = report_command_line_message;
  StartAction action = parse_command_line(join_arguments(words), state.options, context);
  switch (action) {
    case StartAction::Error:
      return kExitCommandLineError;
    case StartAction::End:
      return kExitOk;
    case StartAction::SelfUpdate:
      install_update(nullptr);
      return kExitOk;
    default:
      break;
  }

  // The settings, with the command line applied over them after every load.
  SettingsStore& store = settings_store();
  store.set_overrides(&state.options.overrides);
  store.set_version_word(static_cast<std::int32_t>(state.version_word));
  SettingsRecord& settings = mutable_settings();
  settings.kovd_port = 4724;
  settings.kovw_printer_port = 9500;
  settings.kovw_port = 4727;
  settings.automatic_kovw_port = 1;
  // %KOVW% in names from the host stands for the "Install Path" setting.
  foundation::set_install_path_provider([] { return kovw::shell::settings().install_path.str(); });

  if (action == StartAction::Uninstall) return run_uninstall();
  dr_load_settings(true);
  if (action == StartAction::InstallHelper) return run_install_helper(state);
  dr_load_login(false);

  const bool workflow = state.options.overrides.mask & kOverrideWorkflow;
  if (workflow) {
    foundation::set_workflow_mode(true);
    foundation::set_workflow_protocol_path(state.options.workflow.protocol_file);
    dwf_save_settings(store.registry(), state.options.workflow);
    dwf_load_settings(store.registry(), state.options.workflow);
    if (!state.options.workflow.command_given) return kExitOk;
  }

  if (settings.last_version != static_cast<std::int32_t>(state.version_word)) {
    settings.last_version = static_cast<std::int32_t>(state.version_word);
    dr_save_settings("Last Version");
    dr_save_settings();
  }

  state.login_template =
      (settings.disable_ask_for_hosts || (state.options.overrides.mask & kOverrideHost)) ? 213
                                                                                         : 211;
  state.language = choose_language(settings.language);
  foundation::set_language(state.language);
  state.font_charset = font_charset(settings.charset);

  state.directories = fix_directories(settings.install_path.str());
  open_log(state);
  // The cache's old subdirectories go; the cache itself stays for this run.
  cache_clean(state.directories.data, 0);

  // Ctrl-C, a closed terminal or a shutdown end the workstation in order. The handler is in
  // place before anything else starts: a signal that comes while the main window is still being
  // made is acted on as soon as the message loop runs.
  QPointer<MainWindow> window;
  foundation::install_console_signal_handlers([&window](int) {
    QMetaObject::invokeMethod(
        qApp,
        [&window] {
          if (window) window->end_workstation();
        },
        Qt::QueuedConnection);
  });

  int verbosity = initial_verbosity(state.options);
  foundation::set_verbose(verbosity);
  foundation::set_allocator_mode(foundation::allocator_mode_for_verbose(verbosity));
  if (verbosity) log_printf("kovw. Neuer Start");

  if (state.today != settings.date) {
    play_start_sound(state.directories.data, state.options.start_sound_always);
    dr_save_date(state.today);
  }
  if (workflow) take_workflow_values(state.options.workflow, settings);

  state.ports = derive_port_plan(settings);
  if (verbosity) {
    log_printf("KOVW Start %s, Testmodus %d (%x)", state.version_text.c_str(), verbosity,
               verbosity);
  }
  net::sc_set_error_logging((verbosity & foundation::kVerboseTransmission) ? 1 : 0);

  // The hidden main window; its destruction ends the message loop.
  window = new MainWindow((state.options.overrides.mask & kOverrideWorkflow)
                              ? state.options.workflow.timeout_seconds
                              : 0);
  QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
  window->winId();  // created, never shown

  // A macro named on the command line records or plays from the first program on.
  if (state.options.macro != MacroRequest::None) {
    MacroChoice choice{state.options.macro_name, {}};
    if (state.options.macro_wait_given)
      choice.wait = {state.options.macro_wait_plus ? protocol::MacroWaitRule::Mode::Fixed
                                                   : protocol::MacroWaitRule::Mode::Maximum,
                     state.options.macro_wait};
    start_macro(nullptr, choice, state.options.macro == MacroRequest::Play, state.directories.data);
  }

  // The server connection lives with the main window; its creation runs the first login.
  auto* connection = new ServerConnection(window, settings);
  if (main_window_hook()) main_window_hook()(*window);
  QTimer::singleShot(0, connection, [connection] { connection->first_login(); });

  app.exec();

  foundation::uninstall_console_signal_handlers();
  end_macro(nullptr);
  if (verbosity & foundation::kVerboseGeneral) log_printf("KOVW Ende.");
  if (window) delete window;
  if (state.options.cache_clean_flags != 0)
    cache_clean(state.directories.data, state.options.cache_clean_flags);
  if (workflow) state.result = foundation::workflow_result();
  if (state.result > 255) {
    // The process status has 8 bits: the full result goes to the log and the protocol.
    log_printf("Workflow-Ergebnis %ld", state.result);
    if (workflow)
      foundation::append_workflow_protocol("Workflow-Ergebnis " + std::to_string(state.result));
  }
  // Values the user changed are kept; command-line values never become permanent.
  dr_save_settings();
  platform::remove_message_box_presenter();
  return process_exit_code(state.result);
}

}  // namespace kovw::shell
