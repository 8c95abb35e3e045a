// Server-link messages: byte-exact layouts, version gates, optional tails, and malformed input.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "net/password_scramble.h"
#include "net/twofish_cipher.h"
#include "protocol/payload_codec.h"
#include "protocol/server_messages.h"

using namespace kovw::protocol;
namespace net = kovw::net;
using B = std::vector<std::uint8_t>;

namespace {

B int4(std::uint32_t v) {
  return {
      0, 4, std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}
B text(const std::string& s) {  // length groups, the characters, the zero byte
  const std::size_t n = s.size() + 1;
  B out;
  if (n < 0x4000) {
    out = {std::uint8_t(n >> 8), std::uint8_t(n)};
  } else {
    out = {std::uint8_t(0x40 | ((n >> 8) & 0x3f)), std::uint8_t(n), std::uint8_t(n >> 22),
           std::uint8_t(n >> 14)};
  }
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
  return out;
}
B cat(std::initializer_list<B> parts) {
  B out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

net::TwofishCipher test_cipher() {
  net::TwofishCipher c;
  std::uint8_t key[16];
  for (int i = 0; i < 16; ++i) key[i] = std::uint8_t(0x10 + i);
  c.set_key(key, sizeof key);
  return c;
}

}  // namespace

TEST(ServerConnect, RequestLayoutIsByteExact) {
  ConnectRequest r;
  r.computer_name = "PC";
  r.version_word = 0x070305;
  for (int i = 0; i < 16; ++i) r.client_value[i] = std::uint8_t(i);
  r.offered_options = 0x300;
  const auto m = build_connect_request(r);
  EXPECT_EQ(m.header().service, net::KWD_KOMM);
  EXPECT_EQ(m.header().type, net::KWK_KSDATEI);
  B value{0, 16};
  for (int i = 0; i < 16; ++i) value.push_back(std::uint8_t(i));
  const B expected = cat({{0, 9, 'K', 'C', 'O', 'N', 'N', 'E', 'C', 'T', 0},
                          text("PC"),
                          int4(0x070305),
                          value,
                          int4(0x300)});
  EXPECT_EQ(m.payload, expected);
  EXPECT_EQ(m.header().length, static_cast<int>(expected.size()));
  EXPECT_TRUE(is_connect_request(m.payload));
  const auto back = parse_connect_request(m.payload);
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(back->client_value, r.client_value);
  // A file fetch of the same type is not a connection request.
  EXPECT_FALSE(is_connect_request(text("KCONNECX")));
}

TEST(ServerConnect, ReplyPathIntsFollowTheDaemonVersion) {
  ConnectReply r;
  r.host_name = "h";
  r.server_value.fill(7);
  r.options = 0x302;
  r.path_ints = std::array<std::int32_t, 4>{1, 2, 3, 4};
  r.daemon_version = 0x30007;
  auto old_payload = build_connect_reply(r).payload;
  EXPECT_EQ(old_payload.size(), text("h").size() + 6 + 18 + 6);
  auto parsed = parse_connect_reply(old_payload);
  ASSERT_TRUE(parsed);
  EXPECT_FALSE(parsed->path_ints);
  EXPECT_EQ(parsed->options, 0x302u);

  r.daemon_version = 0x30008;
  const auto m = build_connect_reply(r);
  EXPECT_EQ(m.header().type, net::KWK_KCONNECT);
  parsed = parse_connect_reply(m.payload);
  ASSERT_TRUE(parsed) << parsed.error().message;
  ASSERT_TRUE(parsed->path_ints);
  EXPECT_EQ((*parsed->path_ints)[3], 4);
  // A new daemon that leaves the ints out is still understood.
  old_payload = build_connect_reply(r).payload;
  old_payload.resize(old_payload.size() - 24);
  parsed = parse_connect_reply(old_payload);
  ASSERT_TRUE(parsed);
  EXPECT_FALSE(parsed->path_ints);
}

TEST(ServerConnect, EncryptionNeverForOldDaemons) {
  EXPECT_EQ(effective_options(0x302, 0x713FF), 0x102u);
  EXPECT_EQ(effective_options(0x302, 0x71400), 0x302u);
}

TEST(ServerLogin, ClientFlagsWordAndItsGates) {
  ClientFlagsInput in;
  in.family = WindowsFamily::win10;
  in.slow_connect_level = 2;
  in.browser_mode = 0x301;
  EXPECT_EQ(client_flags_word(in, 0x71E07), 0x3000Cu | 0x2000 | 0x40 | 0x300);
  in.net_timeout_ms = 20000;
  in.browser_host_type = 5;
  in.icon_size = 32;
  in.font_factor = 120;
  EXPECT_EQ(client_flags_word(in, 0x71E03) & 0xF04000u, 0x104000u);
  EXPECT_EQ(client_flags_word(in, 0x71E04) & 0xC00000u, 0x400000u);
  EXPECT_EQ(client_flags_word(in, 0x71E07) & 0xC00000u, 0xC00000u);
  EXPECT_EQ(windows_family_bits(WindowsFamily::xp), 0x6u);
  EXPECT_EQ(windows_family_bits(WindowsFamily::other), 0x7000Cu);
}

TEST(ServerLogin, RequestLayoutWithOptionalTails) {
  LoginRequest r;
  r.user = "anna";
  r.password_field = forgotten_password_field();
  r.listen_port = 5001;
  r.domain = "";
  r.version_word = 0x070305;
  r.computer_name = "PC";
  r.client_flags = 0x2000 | kClientNetTimeout | kClientIconSize;
  r.installation_id = "";
  r.print_port = 0;
  r.data_directory = "d";
  r.install_directory = "i";
  r.browser_number = 0;
  r.kind = LoginKind::forgotten_password;
  r.net_timeout_ms = 30000;
  r.icon_size = 48;
  const auto m = build_login_request(r);
  EXPECT_EQ(m.header().type, net::KWK_KLOGIN);
  const B expected = cat({{0, 1, 1},
                          text("anna"),
                          {0, 2, ' ', 0},
                          int4(5001),
                          text(""),
                          int4(0x070305),
                          text("PC"),
                          int4(0x2000 | 0x4000 | 0x400000),
                          text(""),
                          int4(0),
                          text("d"),
                          text("i"),
                          int4(0),
                          int4(2),
                          text("intwx"),
                          int4(30000),
                          {0, 1, 48}});
  EXPECT_EQ(m.payload, expected);
  const auto back = parse_login_request(m.payload);
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(back->net_timeout_ms, 30000);
  EXPECT_EQ(back->icon_size, 48);
  EXPECT_FALSE(back->font_factor);
  // A flag that announces a tail that is missing is an error.
  B cut = m.payload;
  cut.resize(cut.size() - 3);
  EXPECT_FALSE(parse_login_request(cut));
}

TEST(ServerLogin, UserNameLongerThanItsFieldIsRejected) {
  LoginRequest r;
  r.user = std::string(70, 'u');
  auto payload = build_login_request(r).payload;  // the builder cuts to 64
  ASSERT_TRUE(parse_login_request(payload));
  EXPECT_EQ(parse_login_request(payload)->user.size(), 64u);
  B written;
  PayloadWriter w(written);
  w.int_field(1, 1).text(std::string(65, 'u'));
  const auto bad = parse_login_request(written);
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().code, ParseError::kTextTooLong);
  EXPECT_NE(bad.error().message.find("user name"), std::string::npos);
}

TEST(ServerLogin, EncryptedPasswordBlocks) {
  const auto cipher = test_cipher();
  const auto f15 = encrypted_password_field("abcdefghijklmno", cipher);
  ASSERT_EQ(f15.size(), 17u);
  EXPECT_EQ(f15.back(), 'T');
  std::uint8_t block[16] = {};
  std::memcpy(block, "abcdefghijklmno", 15);
  cipher.encrypt_block(block, block);
  EXPECT_TRUE(std::equal(block, block + 16, f15.begin()));
  const auto f16 = encrypted_password_field("abcdefghijklmnop", cipher);
  ASSERT_EQ(f16.size(), 33u);
  EXPECT_EQ(f16.back(), 'T');
  for (const auto* pw :
       {"", "abcdefghijklmno", "abcdefghijklmnop", "0123456789012345678901234567890"}) {
    const auto back = decode_password_field(encrypted_password_field(pw, cipher), &cipher);
    ASSERT_TRUE(back) << back.error().message;
    EXPECT_EQ(*back, pw);
  }
  EXPECT_FALSE(decode_password_field(f15, nullptr));
}

TEST(ServerLogin, ScrambledPasswordKeepsItsZeroAndFillsAfterIt) {
  const B filler(40, 0xAB);
  const auto field = scrambled_password_field("geheim", filler);
  ASSERT_EQ(field.size(), 32u);
  EXPECT_EQ(field[31], 0);
  B plain = field;
  net::unscramble_password(plain.data(), 31);
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 6), "geheim");
  EXPECT_EQ(plain[6], 0);
  EXPECT_EQ(plain[7], 0xAB);
  EXPECT_EQ(plain[30], 0xAB);
  const auto back = decode_password_field(field, nullptr);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, "geheim");
  // Fields of neither form.
  EXPECT_FALSE(decode_password_field(B(20, 1), nullptr));
  EXPECT_EQ(*decode_password_field(forgotten_password_field(), nullptr), " ");
}

TEST(ServerLogin, PasswordFormFollowsDaemonVersionAndKey) {
  const auto cipher = test_cipher();
  const B filler(31, 1);
  const std::string stored = std::string("abc \x01") + std::string(27, '\0');  // 32 bytes
  auto field = login_password_field(stored, kDaemonEncryptedPassword, &cipher, filler);
  ASSERT_EQ(field.size(), 17u);
  EXPECT_EQ(*decode_password_field(field, &cipher), "abc");
  field = login_password_field(stored, kDaemonEncryptedPassword - 1, &cipher, filler);
  ASSERT_EQ(field.size(), 32u);
  EXPECT_EQ(*decode_password_field(field, nullptr), "abc");
  net::TwofishCipher no_key;
  EXPECT_EQ(login_password_field(stored, 0x72300, &no_key, filler).size(), 32u);
  EXPECT_EQ(login_password_field(stored, 0x72300, nullptr, filler).size(), 32u);
  EXPECT_EQ(password_filler().size(), 31u);
}

TEST(ServerLogin, RefusalForms) {
  auto r = parse_login_refusal({});
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->reason);
  r = parse_login_refusal(int4(2));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->reason, 2);
  EXPECT_FALSE(r->text);
  const auto m = build_login_refusal({1, std::string("Kennwort falsch")});
  EXPECT_EQ(m.header().type, net::KWK_KOMFAIL);
  EXPECT_EQ(m.payload, cat({int4(1), text("Kennwort falsch")}));
  EXPECT_EQ(*parse_login_refusal(m.payload)->text, "Kennwort falsch");
  // A reason text beyond 1500 bytes, and a reason field cut short.
  B written;
  PayloadWriter w(written);
  w.int_field(1).text(std::string(1500, 'x'));
  EXPECT_FALSE(parse_login_refusal(written));
  EXPECT_FALSE(parse_login_refusal(B{0, 4, 0}));
}

struct ReplyCase {
  const char* name;
  int daemon_version;
  bool session_timeout, path_ints, texts;
};

TEST(ServerLogin, ReplyFieldsFollowTheDaemonVersion) {
  const ReplyCase cases[] = {
      {"0x20501", 0x20501, false, false, false},
      {"0x20502", 0x20502, true, false, false},
      {"0x30008", 0x30008, true, true, false},
      {"0x70200", 0x70200, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoginReply r;
    r.flags = 1;
    r.listen_port = 0;
    r.daemon_version = c.daemon_version;
    r.session_timeout_min = 30;
    r.path_ints = std::array<std::int32_t, 4>{1, 0, 0, 0};
    r.session_text = "session";
    r.name_text = "name";
    const auto m = build_login_reply(r);
    EXPECT_EQ(m.header().type, net::KWK_KOMOK);
    std::size_t size = 6 * 6 + (c.session_timeout ? 6 : 0) + (c.path_ints ? 24 : 0) +
                       (c.texts ? text("session").size() + text("name").size() : 0);
    EXPECT_EQ(m.payload.size(), size);
    const auto back = parse_login_reply(m.payload, {});
    ASSERT_TRUE(back) << back.error().message;
    EXPECT_EQ(back->session_timeout_min.has_value(), c.session_timeout);
    EXPECT_EQ(back->path_ints.has_value(), c.path_ints);
    EXPECT_EQ(back->session_text, c.texts ? "session" : "");
    EXPECT_EQ(back->name_text, c.texts ? "name" : "");
  }
}

TEST(ServerLogin, ReplyPrefixesFlagsTailsAndUpdateList) {
  // Only the flags: the rest keeps its defaults.
  auto back = parse_login_reply(int4(0x11), {});
  ASSERT_TRUE(back);
  EXPECT_EQ(back->flags, 0x11u);
  EXPECT_FALSE(back->listen_port);
  EXPECT_EQ(back->display_option, 221);

  LoginReply r;
  r.flags = kReplyNetTimeout | kReplyTwoInts;
  r.update_version = 0x070400;
  r.update_size = 1000;
  r.daemon_version = 0x70200;
  r.net_timeout_ms = 25000;
  r.extra_ints = std::array<std::int32_t, 2>{7, 8};
  r.changes = {{0x070400, "7.4/0", "Neu"}, {0x070306, "7.3/6", "Fix"}};
  const auto payload = build_login_reply(r).payload;

  LoginReplyContext context;
  context.running_version = 0x070305;
  back = parse_login_reply(payload, context);
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(back->net_timeout_ms, 25000);
  EXPECT_EQ((*back->extra_ints)[1], 8);
  ASSERT_EQ(back->changes.size(), 2u);
  EXPECT_EQ(back->changes[1].version_text, "7.3/6");

  context.update_suppressed = true;  // -ou: the list is not read
  EXPECT_TRUE(parse_login_reply(payload, context)->changes.empty());
  context.update_suppressed = false;
  context.running_version = 0x070400;  // not newer
  EXPECT_TRUE(parse_login_reply(payload, context)->changes.empty());

  context.workflow_mode = true;  // nothing after the display option
  back = parse_login_reply(payload, context);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->daemon_version);

  // Cut inside the change list, and a negative count.
  context = {};
  context.running_version = 0x070305;
  B cut = payload;
  cut.resize(cut.size() - 4);
  EXPECT_FALSE(parse_login_reply(cut, context));
  LoginReply neg;
  neg.update_version = 0x070400;
  neg.daemon_version = 0x40000;
  B bad = build_login_reply(neg).payload;
  const B count = int4(0xFFFFFFFF);
  bad.insert(bad.end(), count.begin(), count.end());
  EXPECT_FALSE(parse_login_reply(bad, context));
}

TEST(ServerLogin, SessionTextLongerThanItsFieldIsRejected) {
  LoginReply r;
  r.daemon_version = 0x70200;
  B written;
  PayloadWriter w(written);
  w.int_field(0).int_field(0).int_field(221).int_field(0).int_field(0).int_field(0x70200);
  w.int_field(0).int_field(0).int_field(0).int_field(0).int_field(0);
  w.text(std::string(2032, 's'));
  const auto back = parse_login_reply(written, {});
  ASSERT_FALSE(back);
  EXPECT_EQ(back.error().code, ParseError::kTextTooLong);
  EXPECT_NE(back.error().message.find("session text"), std::string::npos);
}

TEST(ServerSession, StartMessagesAndReplies) {
  EXPECT_EQ(build_start_request({"prog", "/home", "-x"}).payload,
            cat({text("prog"), text("/home"), text("-x")}));
  EXPECT_EQ(build_workflow_request({"wf"}).header().type, net::KWK_KWORKFLOW);
  EXPECT_EQ(build_environment({"A", "1"}).payload, cat({text("A"), text("1")}));

  // Started: extra bytes after the name are not read.
  auto started = parse_start_reply(6, cat({int4(0), int4(4711), text("prog"), text("dir")}));
  ASSERT_TRUE(started);
  EXPECT_EQ(started->run_id, 4711);
  EXPECT_FALSE(started->directory);
  StartReply failed{net::KWK_KEXEC, 2, 0, "prog", std::string("/tmp"), std::string("no such")};
  const auto m = build_start_reply(failed);
  EXPECT_EQ(m.header().type, net::KWK_KEXEC);
  const auto back = parse_start_reply(m.header().type, m.payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back->directory, "/tmp");
  EXPECT_EQ(*back->error_text, "no such");
  EXPECT_FALSE(
      parse_start_reply(6, cat({int4(2), int4(0), text("p"), text(std::string(300, 'd'))})));
}

TEST(ServerSession, EventsFromTheDaemon) {
  EXPECT_TRUE(build_empty(net::KWK_KPING).payload.empty());
  EXPECT_EQ(build_session_flag({3}).payload, int4(3));

  auto stop = parse_stop_request({});
  ASSERT_TRUE(stop);
  EXPECT_FALSE(stop->run_id);
  stop = parse_stop_request(build_stop_request({0, 5}).payload);
  EXPECT_EQ(stop->run_id, 0);
  EXPECT_EQ(stop->delay_seconds, 5);

  const auto msg =
      parse_host_message(build_host_message({"Hallo", std::string("ding.wav")}).payload);
  ASSERT_TRUE(msg);
  EXPECT_EQ(*msg->sound_file, "ding.wav");
  EXPECT_FALSE(parse_host_message(cat({text("x"), text(std::string(600, 's'))})));
  EXPECT_EQ(parse_host_alarm(text("Feuer"))->text, "Feuer");

  const auto proxy = parse_proxy_event(net::KWK_KPRINT, cat({int4(0), text("123")}));
  ASSERT_TRUE(proxy);
  EXPECT_EQ(proxy->port, -1);
  EXPECT_EQ(proxy->type, net::KWK_KPRINT);
  EXPECT_EQ(build_proxy_event({net::KWK_KPROXY, 6000, "77"}).payload,
            cat({int4(6000), text("77")}));
}

TEST(ServerSession, ProgramEndStatus) {
  ProgramEnded normal{1, 0x0100, {}};
  EXPECT_FALSE(normal.abnormal());
  EXPECT_EQ(normal.exit_code(), 1);
  ProgramEnded crashed{1, 0x008B, {}};
  EXPECT_TRUE(crashed.abnormal());
  EXPECT_EQ(crashed.signal(), 11);
  EXPECT_TRUE(crashed.core_dumped());
  const auto back = parse_program_ended(build_program_ended({9, 0x8B, std::string("p")}).payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->status, 0x8B);
  EXPECT_EQ(*back->program, "p");
}

TEST(ServerSession, ProgramThreadMessages) {
  const auto info = build_program_info({42, 0x123456789LL, "prog"});
  EXPECT_EQ(info.payload,
            cat({int4(42), {0, 8, 0, 0, 0, 1, 0x23, 0x45, 0x67, 0x89}, text("prog")}));
  const auto back = parse_program_info(info.payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->start_time, 0x123456789LL);
  EXPECT_EQ(build_program_end_notice({42}).payload, cat({int4(42), {0, 2, 0, 0}}));
  EXPECT_EQ(parse_program_end_notice(build_program_end_notice({42}).payload)->pid, 42);
  EXPECT_FALSE(parse_program_info(cat({int4(1), {0, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9}, text("p")})));
}

TEST(ServerAdministration, PasswordChangeScrambledTwice) {
  const auto m = build_password_change({16, "alt", "neu"});
  std::array<std::uint8_t, 16> expected_old{'a', 'l', 't'};
  net::scramble_password(expected_old.data(), 16);
  net::scramble_password(expected_old.data(), 16);
  B expected = int4(16);
  expected.push_back(0);
  expected.push_back(16);
  expected.insert(expected.end(), expected_old.begin(), expected_old.end());
  ASSERT_GE(m.payload.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), m.payload.begin()));
  const auto back = parse_password_change(m.payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->old_password, "alt");
  EXPECT_EQ(back->new_password, "neu");
  EXPECT_FALSE(parse_password_change(cat({int4(16), text("short")})));
  EXPECT_EQ(parse_password_refusal(build_password_refusal({5, "nein"}).payload)->text, "nein");
}

TEST(ServerAdministration, CronCommand) {
  const auto list = build_cron_command({CronAction::list, "", "", ""}, 0x30506);
  EXPECT_EQ(list.header().type, net::KWK_KSTART);
  const std::string cmd = "-w -tKOVDcron HW/p/hvcruser -l";
  B expected = cat({text("HW/p/hvrsh"), text(""), {0, std::uint8_t(cmd.size())}});
  expected.insert(expected.end(), cmd.begin(), cmd.end());
  EXPECT_EQ(list.payload, expected);
  const auto login = build_cron_command({CronAction::login, "anna", "pw", "dom"}, 0x30507);
  EXPECT_EQ(login.header().type, net::KWK_KEXEC);
  const auto parsed = parse_cron_request(login.payload);
  ASSERT_TRUE(parsed);
  const std::string hex = cron_password_hex("pw");
  EXPECT_EQ(hex.size(), 62u);
  EXPECT_EQ(parsed->command, "-w -tKOVDcron HW/p/hvcruser -h \"anna\" \"" + hex + "\" \"dom\"");
  std::array<std::uint8_t, 31> pw{'p', 'w'};
  for (int i = 0; i < 3; ++i) net::scramble_password(pw.data(), 31);
  char first[3];
  std::snprintf(first, sizeof first, "%02X", pw[0]);
  EXPECT_EQ(hex.substr(0, 2), first);
}

TEST(ServerMacros, MacroMessages) {
  EXPECT_EQ(build_macro_file({0, "pkg.zip", "m1"}).header().type, 62);
  const auto start =
      parse_macro_start(build_macro_start({kMacroPackage | kMacroAll, "m", "p.zip"}).payload);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->package_file, "p.zip");
  EXPECT_FALSE(parse_macro_start(cat({int4(kMacroPackage), text("m")})));  // package missing
  EXPECT_EQ(parse_macro_delete(build_macro_delete({1, "m"}).payload)->flags, 1);
  const auto status = build_script_status({9, "m", "Executing"});
  EXPECT_EQ(status.header().type, 65);
  EXPECT_EQ(status.payload, cat({int4(9), text("m"), text("Executing")}));
  EXPECT_FALSE(parse_macro_file(cat({int4(0), text(std::string(260, 'p')), text("m")})));
}

TEST(HostSearch, QueryAndAnswers) {
  const auto query = build_host_query();
  EXPECT_EQ(query.size(), 21u);
  EXPECT_EQ(query.back(), 0);
  EXPECT_TRUE(is_host_query(query));
  EXPECT_FALSE(is_host_query(B{'A', 's', 0}));

  const B answer = {'h', 0, '1', '.', '2', 0, '7', '0', '0', '1', 0, '5', 0};
  auto a = parse_host_answer(answer);
  ASSERT_TRUE(a) << a.error().message;
  EXPECT_EQ(a->host_name, "h");
  EXPECT_EQ(a->address, "1.2");
  EXPECT_EQ(a->port, 7001);
  EXPECT_EQ(a->load, 5);
  a = parse_host_answer(B{'h', 0, 'a', 0});
  ASSERT_TRUE(a);
  EXPECT_FALSE(a->port);
  EXPECT_FALSE(a->load);
  EXPECT_EQ(parse_host_answer(build_host_answer({"h", "a", 7001, 3}))->load, 3);
  B long_name(32, 'n');
  long_name.push_back(0);
  long_name.push_back('a');
  const std::vector<std::pair<B, ParseError>> refused = {
      {B{'h', 0}, ParseError::kTruncated},
      {B{0, 'a', 0}, ParseError::kTruncated},  // no host name
      {B{'h', 0, 'a', 0, '7', 'x', 0}, ParseError::kMalformed},
      {B{'h', 0, 'a', 0, '1', 0, '-', 0}, ParseError::kMalformed},
      {long_name, ParseError::kTextTooLong},
  };
  for (const auto& [datagram, code] : refused) {
    const auto bad = parse_host_answer(datagram);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().code, code) << bad.error().message;
  }
}

// Every proper prefix of a valid payload parses without reading past it, and a field whose
// length runs past the payload is an error.
TEST(ServerParsers, PrefixesNeverOverReadAndOverLongFieldsFail) {
  const auto cipher = test_cipher();
  LoginRequest login;
  login.user = "u";
  login.password_field = encrypted_password_field("pw", cipher);
  login.client_flags = 0x2000 | kClientFontFactor;
  LoginReply reply;
  reply.daemon_version = 0x72300;
  reply.flags = kReplyNetTimeout;
  using Parser = std::function<bool(Payload)>;
  const std::vector<std::pair<B, Parser>> cases = {
      {build_connect_request({"pc", 1, {}, 0}).payload,
       [](Payload p) { return parse_connect_request(p).ok(); }},
      {build_connect_reply({"h", 0x72300, {}, 0x100, {}}).payload,
       [](Payload p) { return parse_connect_reply(p).ok(); }},
      {build_login_request(login).payload, [](Payload p) { return parse_login_request(p).ok(); }},
      {build_login_reply(reply).payload, [](Payload p) { return parse_login_reply(p, {}).ok(); }},
      {build_start_reply({6, 1, 2, "p", std::string("d"), std::string("e")}).payload,
       [](Payload p) { return parse_start_reply(6, p).ok(); }},
      {build_program_info({1, 2, "n"}).payload,
       [](Payload p) { return parse_program_info(p).ok(); }},
      {build_password_change({16, "a", "b"}).payload,
       [](Payload p) { return parse_password_change(p).ok(); }},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const B& full = cases[i].first;
    EXPECT_TRUE(cases[i].second(full));
    for (std::size_t n = 0; n < full.size(); ++n) {
      // A heap copy of exactly n bytes, so that AddressSanitizer sees any over-read.
      std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[n ? n : 1]);
      std::memcpy(copy.get(), full.data(), n);
      cases[i].second(Payload(copy.get(), n));
    }
  }
  // A text field that announces more bytes than follow.
  EXPECT_FALSE(parse_host_alarm(B{0, 10, 'a', 'b'}));
  EXPECT_FALSE(parse_environment(B{0, 2, 'a', 0}));  // value missing
}

TEST(ServerParsers, FailuresSayWhatWasWrong) {
  auto code_of = [](const auto& result) {
    EXPECT_FALSE(result);
    return result ? ParseError::kMalformed : result.error().code;
  };
  EXPECT_EQ(code_of(parse_host_alarm(B{0, 10, 'a', 'b'})), ParseError::kTruncated);
  EXPECT_EQ(code_of(parse_environment(B{0, 2, 'a', 0})), ParseError::kTruncated);
  EXPECT_EQ(code_of(parse_connect_request(text("HELLO"))), ParseError::kMalformed);
  LoginRequest login;
  login.kind = static_cast<LoginKind>(5);
  const auto bad_kind = parse_login_request(build_login_request(login).payload);
  EXPECT_EQ(code_of(bad_kind), ParseError::kMalformed);
  EXPECT_EQ(bad_kind.error().message, "login kind: 5");
  // An update list that announces -1 changes.
  B reply;
  for (std::int32_t v : {0, 0, 221, 1, 0, 0x40000, 0, 0, 0, 0, 0, -1})
    reply = cat({reply, int4(static_cast<std::uint32_t>(v))});
  EXPECT_EQ(code_of(parse_login_reply(reply, {})), ParseError::kCountTooLarge);
  EXPECT_EQ(code_of(decode_password_field(B(20, 'x'), nullptr)), ParseError::kMalformed);

  // Exact-size byte fields: too short is truncated, too long is malformed.
  const B short_field = {0, 2, 1, 2};
  PayloadReader short_reader(short_field);
  short_reader.exact_bytes("value", 3);
  ASSERT_FALSE(short_reader.ok());
  EXPECT_EQ(short_reader.failure().code, ParseError::kTruncated);
  EXPECT_EQ(short_reader.failure().message, "value: 2 bytes instead of 3");
  PayloadReader long_reader(short_field);
  long_reader.exact_bytes("value", 1);
  EXPECT_EQ(long_reader.failure().code, ParseError::kMalformed);
  // The first failure is kept.
  long_reader.fail(ParseError::kBadRecord, "later");
  EXPECT_EQ(long_reader.failure().message, "value: 2 bytes instead of 1");
}

TEST(ServerDescribe, OneLinePerMessage) {
  EXPECT_EQ(describe_server_message(net::KWK_KPING, {}, true), "KWK_KPING");
  const auto m = build_host_message({"Hi \"you\"", {}});
  EXPECT_EQ(describe_server_message(m.type, m.payload, true),
            "KWK_KMESSAGE text=\"Hi \\\"you\\\"\"");
  EXPECT_NE(describe_server_message(net::KWK_KLOGIN, B{1, 2}, false).find("malformed"),
            std::string::npos);
  EXPECT_EQ(describe_server_message(200, B{1, 2, 3}, true), "type 200 3 bytes");
}
