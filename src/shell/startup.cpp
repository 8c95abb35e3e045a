#include "shell/startup.h"

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
#include "shell/language_choice.h"
#include "shell/main_window.h"
#include "shell/server_connection.h"
#include "shell/usage_text.h"
#include "shell/version.h"

namespace kovw::shell {
namespace {

using foundation::log_printf;
using foundation::message_text;

// Until the settings store is connected, the record holds the values of a new
// installation, with the command-line overrides applied over them.
SettingsRecord g_settings;

void preset_new_installation(SettingsRecord& s) {
  s = SettingsRecord{};
  s.kovd_port = 4724;
  s.kovw_printer_port = 9500;
  s.kovw_port = 4727;
  s.automatic_kovw_port = 1;
  s.auto_end = 1;
  s.kovw_videoport = 48000;
  s.auto_print_port = 1;
  s.no_syscol_change = 1;
  s.smart_edit = 6;
  s.start_login = 1;
  s.cursor_width = 2;
  s.secure_connection = 1;
  s.crypted_connection = 1;
  s.ping_timer = 10;
  s.error_level = 3;
  s.tab_blanks = 2;
  s.font_factor = 100;
  s.icon_size = 16;
  s.start_program.assign("HW/p/wdimen");
  s.first_start = 1;
}

void apply_overrides(SettingsRecord& s, const OverrideRecord& o) {
  const SettingsRecord& v = o.values;
  std::uint32_t m = o.mask;
  if (m & kOverrideStartProgram) {
    s.start_program = v.start_program;
    s.command_line = v.command_line;
  }
  if (m & kOverrideWorkingDirectory) s.working_directory = v.working_directory;
  if (m & kOverrideFont) {
    s.font_name = v.font_name;
    s.font_size = v.font_size;
  }
  if (m & kOverrideButtonFont) {
    s.button_font = v.button_font;
    s.button_size = v.button_size;
  }
  if (m & kOverrideAutoLogin) s.auto_login = v.auto_login;
  if (m & kOverrideAutoEnd) s.auto_end = v.auto_end;
  if (m & kOverrideEnvironment) {
    s.environment = v.environment;
    s.environment_used = v.environment_used;
  }
  if (m & kOverrideHost) s.host = v.host;
  if (m & kOverrideUser) s.user = v.user;
  if (m & kOverrideDomain) s.domain = v.domain;
  if (m & kOverridePassword) {
    s.password = v.password;
    s.save_passwd |= 0x6;  // a password is present for this run
  }
  if (m & kOverrideKovdPort) s.kovd_port = v.kovd_port;
  if (m & kOverrideKovwPort) {
    s.kovw_port = v.kovw_port;
    s.automatic_kovw_port = v.kovw_port < 1 ? 1 : 0;
  }
  if (m & kOverrideVirtualKeyboard) s.virtual_keyboard = v.virtual_keyboard;
  if (m & kOverridePrinterPort) {
    if (v.disable_print_service) {
      s.disable_print_service = 1;
    } else {
      s.kovw_printer_port = v.kovw_printer_port;
      s.disable_print_service = 0;
      s.auto_print_port = v.auto_print_port;
    }
  }
  if (m & kOverrideSecureConnection) s.secure_connection = v.secure_connection;
  if (m & kOverrideCryptedConnection) s.crypted_connection = v.crypted_connection;
  if (m & kOverridePingTimer) s.ping_timer = v.ping_timer;
  if (m & kOverrideInstallPath) s.install_path = v.install_path;
  if (m & kOverridePosterPrint) s.poster_print = v.poster_print;
  if (m & kOverridePropFont) {
    s.prop_font = v.prop_font;
    s.prop_size = v.prop_size;
  }
  if (m & kOverrideLanguage) s.language = v.language;
  if (m & kOverrideDoubleClick) s.double_click = v.double_click;
  if (m & kOverrideSlowConnect) s.slow_connect = v.slow_connect;
  if (m & kOverrideNoSyscolChange) s.no_syscol_change = v.no_syscol_change;
  if (m & kOverrideCharset) s.charset = v.charset;
  if (m & kOverrideNoPasswordChange) s.no_password_change = v.no_password_change;
  std::uint32_t f = o.font_mask;
  if (f & kFontOverrideFactor) s.font_factor = v.font_factor;
  if (f & kFontOverrideIconSize) s.icon_size = v.icon_size;
  if (f & kFontOverrideVideoPort) s.kovw_videoport = v.kovw_videoport;
  s.effective_slow_connect = s.slow_connect;
}

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

int initial_verbosity(const StartOptions& options) {
  if (options.verbosity_given) return options.verbosity;
  const char* test = std::getenv("KOVW_TEST");
  if (!test || !*test) return 0;
  return static_cast<int>(std::strtol(test, nullptr, 10));
}

}  // namespace

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
  foundation::hvt_init_threads(__FILE__, __LINE__);
  foundation::NamedLock* monitor =
      foundation::hvt_create_critical_ex("kovw_monitor", __FILE__, __LINE__);

  choose_platform_without_display();
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  app.setApplicationName(QStringLiteral("kovw"));
  platform::install_message_box_presenter();

  // The ciphers: a failed known-answer test is reported and the start goes on.
  if (!net::twofish_self_test()) {
    foundation::show_message(nullptr, 0, 0, "KOVW", "%s", message_text(10097));
  }
  tzset();

  state.version_text = version_text();
  state.version_word = version_word(version_of(state.version_text));
  state.title = window_title();
  state.today = today_number();

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
      foundation::show_message(nullptr, 0, 0, "KOVW", "%s",
                               foundation::german()
                                   ? "Die Installation einer neuen Version ist nicht verfügbar."
                                   : "Installing a new version is not available.");
      return kExitOtherResult;
    default:
      break;
  }

  // The settings, with the command line applied over them.
  preset_new_installation(g_settings);
  apply_overrides(g_settings, state.options.overrides);
  // %KOVW% in names from the host stands for the "Install Path" setting.
  foundation::set_install_path_provider([] { return g_settings.install_path.str(); });
  if (action == StartAction::InstallHelper || action == StartAction::Uninstall) {
    return kExitOk;
  }
  const bool workflow = state.options.overrides.mask & kOverrideWorkflow;
  if (workflow) {
    foundation::set_workflow_mode(true);
    foundation::set_workflow_protocol_path(state.options.workflow.protocol_file);
    if (!state.options.workflow.command_given) return kExitOk;
  }

  state.login_template =
      (g_settings.disable_ask_for_hosts || (state.options.overrides.mask & kOverrideHost)) ? 213
                                                                                           : 211;
  state.language = choose_language(g_settings.language);
  foundation::set_language(state.language);
  state.font_charset = font_charset(g_settings.charset);

  state.directories = fix_directories(g_settings.install_path.str());
  open_log(state);

  int verbosity = initial_verbosity(state.options);
  foundation::set_verbose(verbosity);
  foundation::set_allocator_mode(foundation::allocator_mode_for_verbose(verbosity));
  if (verbosity) log_printf("kovw. Neuer Start");

  if (state.today != g_settings.date) g_settings.date = state.today;

  state.ports = derive_port_plan(g_settings);
  if (verbosity) {
    log_printf("KOVW Start %s, Testmodus %d (%x)", state.version_text.c_str(), verbosity,
               verbosity);
  }
  net::sc_set_error_logging((verbosity & foundation::kVerboseTransmission) ? 1 : 0);

  // The hidden main window; its destruction ends the message loop.
  QPointer<MainWindow> window = new MainWindow((state.options.overrides.mask & kOverrideWorkflow)
                                                   ? state.options.workflow.timeout_seconds
                                                   : 0);
  QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
  window->winId();  // created, never shown

  // The server connection lives with the main window; its creation runs the first login.
  auto* connection = new ServerConnection(window, g_settings);
  QTimer::singleShot(0, connection, [connection] { connection->first_login(); });

  // Ctrl-C, a closed terminal or a shutdown end the workstation in order.
  foundation::install_console_signal_handlers([window](int) {
    QMetaObject::invokeMethod(
        qApp,
        [window] {
          if (window) window->end_workstation();
        },
        Qt::QueuedConnection);
  });

  app.exec();

  foundation::uninstall_console_signal_handlers();
  if (verbosity & foundation::kVerboseGeneral) log_printf("KOVW Ende.");
  if (window) delete window;
  if (workflow) state.result = foundation::workflow_result();
  if (state.result > 255) {
    // The process status has 8 bits: the full result goes to the log and the protocol.
    log_printf("Workflow-Ergebnis %ld", state.result);
    if (workflow)
      foundation::append_workflow_protocol("Workflow-Ergebnis " + std::to_string(state.result));
  }
  platform::remove_message_box_presenter();
  foundation::hvt_destroy_critical_ex(monitor, __FILE__, __LINE__);
  foundation::hvt_end_threads(__FILE__, __LINE__);
  return process_exit_code(state.result);
}

}  // namespace kovw::shell
