// The demonstration daemon on loopback, driven by the workstation's side of the protocol.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "net/datagram.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/session_key.h"
#include "net/tcp_socket.h"
#include "protocol/file_transfer.h"
#include "protocol/payload_codec.h"
#include "protocol/program/file_records.h"
#include "protocol/program/program_window.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"
#include "protocol/server_messages.h"

extern char** environ;

using namespace kovw::protocol;
namespace net = kovw::net;

namespace {

#ifdef HOSTSIM_BINARY
constexpr const char* kHostsim = HOSTSIM_BINARY;
#else
constexpr const char* kHostsim = nullptr;
#endif

class Hostsim {
 public:
  explicit Hostsim(std::vector<std::string> args) {
    dir_ = std::filesystem::temp_directory_path() /
           ("hostsim-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(dir_);
    log_ = (dir_ / "frames.log").string();
    std::vector<std::string> all = {kHostsim, "--port", "0", "--log", log_};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, kHostsim, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    stdout_ = ::fdopen(out[0], "r");
    char line[128] = {};
    if (pid_ > 0 && std::fgets(line, sizeof line, stdout_))
      std::sscanf(line, "listening on port %d", &port_);
  }
  ~Hostsim() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    if (stdout_) std::fclose(stdout_);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  int port() const { return port_; }
  std::string log() const {
    std::ifstream in(log_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Waits for the process to end by itself; returns its exit status or -1.
  int wait_exit() {
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      ::usleep(20000);
    }
    return -1;
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path dir_;
  std::string log_;
  pid_t pid_ = -1;
  FILE* stdout_ = nullptr;
  int port_ = 0;
  bool waited_ = false;
};

// The workstation's end of one server link.
struct Link {
  int socket = -1;
  net::FrameReader reader;
  net::LinkMessage message;
  Value16 client{};

  explicit Link(int daemon_port) {
    net::link_set_session_key(nullptr, nullptr);
    net::link_set_options(0, false, false);
    net::link_state().net_timeout_ms = 3000;
    socket = net::sc_connect("127.0.0.1", daemon_port + 1);
    for (int i = 0; i < 16; ++i) client[i] = std::uint8_t(i * 7);
  }
  ~Link() {
    if (socket >= 0) net::sc_close(socket);
    net::link_set_session_key(nullptr, nullptr);
    net::link_set_options(0, false, false);
  }
  bool send(const Outgoing& m) { return send_message(socket, m) >= 0; }
  int receive() { return net::link_receive(socket, message, reader, net::kSkipKeepAlive); }
  Payload payload() const { return reader.payload_view(); }

  // The connect exchange; returns the reply (or nothing for a daemon without options).
  std::optional<ConnectReply> connect(std::uint32_t offer) {
    if (!send(build_connect_request({"testpc", 0x070305, client, offer}))) return std::nullopt;
    if (receive() != 1 || message.type != net::KWK_KCONNECT) return std::nullopt;
    auto reply = parse_connect_reply(payload());
    if (!reply) return std::nullopt;
    net::link_set_session_key(client.data(), reply->server_value.data());
    net::link_set_options(effective_options(reply->options, reply->daemon_version), true, true);
    return *reply;
  }

  bool login(const std::string& user, const std::string& password, bool encrypted) {
    LoginRequest r;
    r.user = user;
    if (encrypted) {
      net::link_prepare_keys(net::link_state());
      r.password_field = encrypted_password_field(password, *net::link_state().cipher);
    } else {
      const std::vector<std::uint8_t> filler(31, 0x5a);
      r.password_field = scrambled_password_field(password, filler);
    }
    r.version_word = 0x070305;
    r.computer_name = "testpc";
    return send(build_login_request(r));
  }
};

}  // namespace

TEST(Hostsim, CompressedEncryptedLoginStartPingAndLogout) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  Hostsim daemon({"--user", "anna:geheim", "--compression", "--encryption", "--header-level", "2",
                  "--start-status", "0x100", "--exit-after-logout"});
  ASSERT_GT(daemon.port(), 0);
  Link link(daemon.port());
  ASSERT_GE(link.socket, 0);
  const auto reply = link.connect(0x300);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->options, 0x302u);
  EXPECT_EQ(reply->host_name, "hostsim");
  ASSERT_TRUE(link.login("anna", "geheim", true));
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KOMOK);
  const auto ok = parse_login_reply(link.payload(), {false, 0x070305, false});
  ASSERT_TRUE(ok) << ok.error().message;
  EXPECT_EQ(ok->daemon_version, 0x072300);

  ASSERT_TRUE(link.send(build_environment({"TERM", "kovw"})));
  ASSERT_TRUE(link.send(build_start_request({"HW/p/menu", "/home/anna", ""})));
  ASSERT_EQ(link.receive(), 1);
  const auto started = parse_start_reply(link.message.type, link.payload());
  ASSERT_TRUE(started);
  EXPECT_EQ(started->error, 0);
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KEND);
  const auto ended = parse_program_ended(link.payload());
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->run_id, started->run_id);
  EXPECT_EQ(ended->exit_code(), 1);

  ASSERT_TRUE(link.send(build_empty(net::KWK_KPING)));
  ASSERT_EQ(link.receive(), 1);
  EXPECT_EQ(link.message.type, net::KWK_KPING);
  // The workstation sends the daemon's ping back; that echo is not answered again.
  ASSERT_TRUE(link.send(build_empty(net::KWK_KPING)));
  ASSERT_TRUE(link.send(build_empty(net::KWK_KLOGOUT)));
  EXPECT_EQ(daemon.wait_exit(), 0);
  const std::string log = daemon.log();
  EXPECT_NE(log.find("recv KWK_KLOGIN user=\"anna\""), std::string::npos) << log;
  EXPECT_NE(log.find("recv KWK_KENVIR \"TERM\"=\"kovw\""), std::string::npos) << log;
  EXPECT_NE(log.find("recv KWK_KLOGOUT"), std::string::npos) << log;
  std::size_t sent_pings = 0;
  for (auto at = log.find("send KWK_KPING"); at != std::string::npos;
       at = log.find("send KWK_KPING", at + 1))
    ++sent_pings;
  EXPECT_EQ(sent_pings, 1u) << log;
}

TEST(Hostsim, RefusalsCarryTheirReasons) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  Hostsim daemon({"--user", "anna:geheim"});
  ASSERT_GT(daemon.port(), 0);
  const struct {
    const char* user;
    const char* password;
    int reason;
  } cases[] = {{"anna", "falsch", 1}, {"otto", "geheim", 2}, {"root", "x", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    Link link(daemon.port());
    ASSERT_TRUE(link.connect(0));
    ASSERT_TRUE(link.login(c.user, c.password, false));
    ASSERT_EQ(link.receive(), 1);
    ASSERT_EQ(link.message.type, net::KWK_KOMFAIL);
    const auto refusal = parse_login_refusal(link.payload());
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->reason, c.reason);
  }
}

TEST(Hostsim, OldDaemonTakesTheScrambledPassword) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  Hostsim daemon({"--user", "anna:geheim", "--old-daemon"});
  Link link(daemon.port());
  ASSERT_TRUE(link.send(build_connect_request({"pc", 0x070305, link.client, 0x300})));
  ASSERT_EQ(link.receive(), 1);
  EXPECT_NE(link.message.type, net::KWK_KCONNECT);  // no options, no key
  ASSERT_TRUE(link.login("anna", "geheim", false));
  ASSERT_EQ(link.receive(), 1);
  EXPECT_EQ(link.message.type, net::KWK_KOMOK);
}

TEST(Hostsim, ScriptSendsEventsInOrder) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  const auto script = std::filesystem::temp_directory_path() /
                      ("hostsim-script-" + std::to_string(::getpid()) + ".txt");
  {
    std::ofstream out(script);
    out << "# greet, wait for a ping, stop\n"
           "after-login KMESSAGE \"Hallo Welt\" \"ding.wav\"\n"
           "wait-for KPING\n"
           "sleep 50\n"
           "KSTOP 0 2\n"
           "KKOVDE\n";
  }
  Hostsim daemon({"--user", "anna:geheim", "--script", script.string()});
  Link link(daemon.port());
  ASSERT_TRUE(link.connect(0x100));
  ASSERT_TRUE(link.login("anna", "geheim", true));
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KOMOK);
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KMESSAGE);
  EXPECT_EQ(parse_host_message(link.payload())->text, "Hallo Welt");
  ASSERT_TRUE(link.send(build_empty(net::KWK_KPING)));
  ASSERT_EQ(link.receive(), 1);
  EXPECT_EQ(link.message.type, net::KWK_KPING);  // the answer to ours
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KSTOP);
  EXPECT_EQ(parse_stop_request(link.payload())->delay_seconds, 2);
  ASSERT_EQ(link.receive(), 1);
  EXPECT_EQ(link.message.type, net::KWK_KKOVDE);
  std::filesystem::remove(script);
}

TEST(Hostsim, AnswersTheHostSearchWithItsLinkPort) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  Hostsim daemon({"--host-name", "demo", "--load", "7", "--address", "127.0.0.1"});
  ASSERT_GT(daemon.port(), 0);
  const int socket = net::uc_open(0, true);
  ASSERT_GE(socket, 0);
  net::uc_set_receive_wait(2000);
  const auto query = build_host_query();
  const net::DatagramAddress to{{127, 0, 0, 1}, static_cast<std::uint16_t>(daemon.port())};
  ASSERT_EQ(net::uc_send(socket, query.data(), static_cast<int>(query.size()), to, 2),
            static_cast<int>(query.size()));
  std::uint8_t buffer[600];
  net::DatagramAddress from;
  const int n = net::uc_recv(socket, buffer, sizeof buffer, &from, 2);
  net::uc_close(socket);
  ASSERT_GT(n, 0);
  const auto answer = parse_host_answer({buffer, static_cast<std::size_t>(n)});
  ASSERT_TRUE(answer) << answer.error().message;
  EXPECT_EQ(answer->host_name, "demo");
  EXPECT_EQ(answer->port, daemon.port() + 1);
  EXPECT_EQ(answer->load, 7);
  EXPECT_EQ(answer->address, "127.0.0.1");
}

TEST(Hostsim, RejectsAMalformedScript) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  const auto script = std::filesystem::temp_directory_path() /
                      ("hostsim-bad-" + std::to_string(::getpid()) + ".txt");
  std::ofstream(script) << "KMESSAGE \"unterminated\n";
  Hostsim daemon({"--script", script.string()});
  EXPECT_EQ(daemon.port(), 0);
  EXPECT_EQ(daemon.wait_exit(), 2);
  std::filesystem::remove(script);
}

// A start request runs the host program script: it is announced with KPROXY, takes the
// workstation's connection back, sends KINIT and its scripted messages, logs the answers and
// ends with KEND for its run id.
TEST(Hostsim, StartProgramComesThroughProxyAndEndsWithKend) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  const auto script = std::filesystem::temp_directory_path() /
                      ("hostsim-program-" + std::to_string(::getpid()) + ".txt");
  std::ofstream(script) << "KINIT \"Demo\" 0 0x020603\n"
                           "KGETWINID\n"
                           "expect KGETWINID 3000\n"
                           "WINIT \"Screen\" 1 300 200 5 6\n"
                           "WDAT \"\\eA\\x0cH\\ti\"\n"
                           "send 4 7 42 \"some text\"\n"
                           "WTEST\n"
                           "expect WTAST 3000\n"
                           "close\n";
  Hostsim daemon({"--user", "anna:geheim", "--start-program", script.string()});
  ASSERT_GT(daemon.port(), 0);
  Link link(daemon.port());
  ASSERT_TRUE(link.connect(0));
  ASSERT_TRUE(link.login("anna", "geheim", false));
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KOMOK);
  ASSERT_TRUE(link.send(build_start_request({"HW/p/menu", "/home/anna", ""})));
  ASSERT_EQ(link.receive(), 1);
  const auto started = parse_start_reply(link.message.type, link.payload());
  ASSERT_TRUE(started);
  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KPROXY);
  const auto proxy = parse_proxy_event(net::KWK_KPROXY, link.payload());
  ASSERT_TRUE(proxy);
  EXPECT_EQ(proxy->pid_text, std::to_string(started->run_id));

  // The workstation's side of the program link: the daemon's message goes first.
  const int program = net::sc_connect("127.0.0.1", proxy->port);
  ASSERT_GE(program, 0);
  const auto opening = build_proxy_event(*proxy);
  ASSERT_GE(send_message(program, opening), 0);
  net::FrameReader reader(program);
  net::LinkMessage message;
  ASSERT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 1);
  ASSERT_EQ(message.type, net::KWK_KINIT);
  const auto kinit = parse_kinit(reader.payload_view());
  ASSERT_TRUE(kinit);
  EXPECT_EQ(kinit->host_pid, started->run_id);
  EXPECT_EQ(kinit->program_name, "Demo");
  EXPECT_EQ(kinit->version(), 0x020603);
  ASSERT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 1);
  ASSERT_EQ(message.type, net::KWK_KGETWINID);
  const auto ids = build_window_ids({11, 12, 800, 600, 0, 5});
  ASSERT_GE(net::link_send(program, ids.header(), ids.payload.data()), 0);
  // The screen definition comes in the form of the library version KINIT announced.
  ASSERT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 1);
  EXPECT_EQ(message.service, net::KWD_WIN);
  EXPECT_EQ(message.type, net::KWK_WINIT);
  const auto screen = parse_screen_definition(reader.payload_view(), 0x020603);
  ASSERT_TRUE(screen) << screen.error().message;
  EXPECT_EQ(screen->title, "Screen");
  EXPECT_EQ(screen->screen_mode(), 1);
  EXPECT_EQ((std::array{screen->width, screen->height, screen->x, screen->y}),
            (std::array{300, 200, 5, 6}));
  // The output stream goes raw, with its escapes made bytes.
  ASSERT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 1);
  EXPECT_EQ(message.type, net::KWK_WDAT);
  const auto stream = reader.payload_view();
  EXPECT_EQ(std::vector<std::uint8_t>(stream.begin(), stream.end()),
            (std::vector<std::uint8_t>{0x1b, 'A', 0x0c, 'H', '\t', 'i'}));
  ASSERT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 1);
  EXPECT_EQ(message.service, net::KWD_WIN);
  EXPECT_EQ(message.type, 7);
  std::vector<std::uint8_t> items;
  PayloadWriter(items).int_field(42).text("some text");
  const auto payload = reader.payload_view();
  EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.end()), items);
  // The host asks for keys and waits for them.
  ASSERT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 1);
  EXPECT_EQ(message.type, net::KWK_WTEST);
  const std::vector<KeyEvent> keys{{0x0101, std::nullopt}, {'a', std::nullopt}};
  const auto key_data = build_key_data(keys);
  ASSERT_GE(net::link_send(program, key_data.header(), key_data.payload.data()), 0);
  EXPECT_EQ(net::link_receive(program, message, reader, net::kSkipKeepAlive), 0);
  net::sc_close(program);

  ASSERT_EQ(link.receive(), 1);
  ASSERT_EQ(link.message.type, net::KWK_KEND);
  const auto ended = parse_program_ended(link.payload());
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->run_id, started->run_id);
  EXPECT_EQ(ended->exit_code(), 0);
  const std::string log = daemon.log();
  const std::string me = "program " + std::to_string(started->run_id) + ": ";
  EXPECT_NE(log.find(me + "recv KWK_KPROXY"), std::string::npos) << log;
  EXPECT_NE(log.find(me + "recv KWD_KOMM/KWK_KGETWINID content=11 main=12 screen=800x600 "
                          "parent=0 thread=5"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(me + "recv KWD_WIN/KWK_WTAST keys=0x0101,0x0061"), std::string::npos) << log;
  EXPECT_NE(log.find(me + "ended"), std::string::npos) << log;
  std::filesystem::remove(script);
}

TEST(Hostsim, RejectsAMalformedHostProgramScript) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  const auto script = std::filesystem::temp_directory_path() /
                      ("hostsim-bad-program-" + std::to_string(::getpid()) + ".txt");
  for (const char* text :
       {"KINIT\n", "expect NOSUCHTYPE\n", "send 99 1\n", "launch\n", "WINIT \"x\" 3 300\n",
        "WMELDE \"x\"\n", "WDAT \"\\x4\"\n", "ITEM 2 0 \"F3 End\"\n"}) {
    SCOPED_TRACE(text);
    std::ofstream(script) << text;
    Hostsim daemon({"--start-program", script.string()});
    EXPECT_EQ(daemon.port(), 0);
    EXPECT_EQ(daemon.wait_exit(), 2);
  }
  std::filesystem::remove(script);
}

// File fetches served from --files: each daemon version's answer sequence, a listing, and
// names that would leave the directory.
TEST(Hostsim, ServesFetchesAsItsDaemonVersionAnswers) {
  if (!kHostsim) GTEST_SKIP() << "hostsim not built";
  const auto files =
      std::filesystem::temp_directory_path() / ("hostsim-files-" + std::to_string(::getpid()));
  std::filesystem::create_directories(files / "sub");
  std::ofstream(files / "a.txt", std::ios::binary) << "hello\n";
  std::ofstream(files / "sub" / "b.txt", std::ios::binary) << "b";
  const struct {
    const char* version;
    int version_value;
    std::vector<int> types;  // the answer's frame types
  } cases[] = {
      {"0x70006", 0x70006, {net::KWK_KSIZE, net::KWK_KDATA, net::KWK_KEND}},
      {"0x7000A", 0x7000A, {net::KWK_KDATA, net::KWK_KEND}},
      {"0x7000C", 0x7000C, {net::KWK_KDATA, net::KWK_KEND}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    Hostsim daemon(
        {"--user", "anna:geheim", "--files", files.string(), "--daemon-version", c.version});
    Link link(daemon.port());
    ASSERT_TRUE(link.connect(0));
    ASSERT_TRUE(link.login("anna", "geheim", false));
    ASSERT_EQ(link.receive(), 1);
    FetchRequest request;
    request.host_name = "a.txt";
    request.for_program = true;
    ASSERT_TRUE(link.send(build_fetch_request(request, c.version_value)));
    std::string data;
    for (const int type : c.types) {
      ASSERT_EQ(link.receive(), 1);
      ASSERT_EQ(link.message.type, type);
      auto payload = link.payload();
      if (type != net::KWK_KDATA) continue;
      if (c.version_value > kDaemonInfoHeader && data.empty()) {
        std::span<const std::uint8_t> rest;
        const auto info = parse_fetch_info(payload, rest);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->size, 6u);
        payload = rest;
      }
      data.append(payload.begin(), payload.end());
    }
    EXPECT_EQ(data, "hello\n");

    if (c.version_value > kDaemonInfoHeader) {
      request.mode = kFetchListing;
      request.host_name = "sub";
      ASSERT_TRUE(link.send(build_fetch_request(request, c.version_value)));
      ASSERT_EQ(link.receive(), 1);
      std::span<const std::uint8_t> rest;
      ASSERT_TRUE(parse_fetch_info(link.payload(), rest));
      const auto entries = parse_directory_listing(rest);
      ASSERT_TRUE(entries);
      ASSERT_EQ(entries->size(), 1u);
      EXPECT_EQ((*entries)[0].name, "b.txt");
      ASSERT_EQ(link.receive(), 1);
      EXPECT_EQ(link.message.type, net::KWK_KEND);
    }
    request.mode = kFetchFile;
    request.host_name = "../" + files.filename().string() + "/a.txt";
    ASSERT_TRUE(link.send(build_fetch_request(request, c.version_value)));
    ASSERT_EQ(link.receive(), 1);
    EXPECT_EQ(link.message.type, net::KWK_KOMFAIL);
  }
  std::filesystem::remove_all(files);
}
