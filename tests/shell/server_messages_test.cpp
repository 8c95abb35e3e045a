// The payloads of the server link as the shell builds and reads them.
#include "shell/server_messages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "net/fields.h"
#include "net/password_scramble.h"
#include "net/twofish_cipher.h"
#include "shell/server_connection.h"

namespace kovw::shell {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text_field(const std::string& text) {
  Bytes out;
  put_text_field(out, text);
  return out;
}

Bytes ints(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) net::put_int_field(out, v, 4);
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A fixed test key: the encrypted password form must decrypt to the password, its zero byte
// and zero padding.
net::TwofishCipher& test_cipher() {
  static net::TwofishCipher cipher = [] {
    net::TwofishCipher c;
    std::uint8_t key[16];
    for (int i = 0; i < 16; ++i) key[i] = static_cast<std::uint8_t>(i * 11 + 3);
    c.set_key(key, 16);
    return c;
  }();
  return cipher;
}
void encrypt_test_block(const std::uint8_t* in, std::uint8_t* out) {
  test_cipher().encrypt_block(in, out);
}

TEST(LoginPassword, EncryptedFormPadsToSixteenOrThirtyTwoBytesAndEndsWithT) {
  struct Case {
    std::string password;
    std::size_t blocks;
  };
  for (const Case& c : {Case{"", 16}, Case{"fifteen-chars-x", 16}, Case{"sixteen-chars-xy", 32},
                        Case{std::string(31, 'p'), 32}}) {
    Bytes field = login_password_field(c.password, false, encrypt_test_block);
    ASSERT_EQ(field.size(), c.blocks + 1) << c.password;
    EXPECT_EQ(field.back(), 'T');
    Bytes clear(c.blocks);
    for (std::size_t b = 0; b < c.blocks; b += 16) {
      test_cipher().decrypt_block(field.data() + b, clear.data() + b);
    }
    Bytes expected(c.blocks, 0);
    std::memcpy(expected.data(), c.password.data(), c.password.size());
    EXPECT_EQ(clear, expected) << c.password;
  }
}

TEST(LoginPassword, ScrambledFormKeepsTheZeroByteAndFillsTheRestRandomly) {
  Bytes first = login_password_field("secret", false, nullptr);
  Bytes second = login_password_field("secret", false, nullptr);
  ASSERT_EQ(first.size(), 32u);
  EXPECT_EQ(first[31], 0);
  Bytes clear = first;
  net::unscramble_password(clear.data(), 31);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(clear.data())), "secret");
  EXPECT_EQ(clear[6], 0);  // the terminating zero byte survives
  // The filling differs from login to login (a chance of 2^-192 to fail).
  EXPECT_NE(Bytes(first.begin() + 8, first.end() - 1), Bytes(second.begin() + 8, second.end() - 1));
}

TEST(LoginPassword, ForgottenPasswordIsABlankAndAZero) {
  EXPECT_EQ(login_password_field("ignored", true, encrypt_test_block), (Bytes{' ', 0}));
}

TEST(LoginMessages, ConnectRequestLayout) {
  ConnectRequest request;
  request.computer_name = "pc";
  request.version_word = 0x070305;
  request.client_value.fill(0xAB);
  request.offered_options = offered_options(true, true, 0, 1);
  Bytes payload = build_connect_request(request);
  net::FieldCursor at(payload);
  auto marker = net::get_bytes_view(at);
  EXPECT_EQ(Bytes(marker.begin(), marker.end()),
            Bytes({'K', 'C', 'O', 'N', 'N', 'E', 'C', 'T', 0}));
  auto name = net::get_bytes_view(at);
  EXPECT_EQ(Bytes(name.begin(), name.end()), Bytes({'p', 'c', 0}));
  EXPECT_EQ(net::get_int_field(at), 0x070305);
  EXPECT_EQ(net::get_bytes_view(at).size(), 16u);
  EXPECT_EQ(net::get_int_field(at), 0x20300);
  EXPECT_TRUE(at.at_end());
  EXPECT_FALSE(at.failed);
}

TEST(LoginMessages, VerbosityTwoOffersNeitherCompressionNorEncryption) {
  EXPECT_EQ(offered_options(true, true, 2, 0), 0u);
  EXPECT_EQ(offered_options(true, false, 3, 0), 0x100u);
  EXPECT_EQ(offered_options(false, true, 0, 2), 0x200u);
}

TEST(LoginMessages, LoginCarriesTheOptionalTailByItsFlags) {
  LoginRequest request;
  request.user = "anna";
  request.password_field = {' ', 0};
  request.client_flags = kClientAlways | kClientNetTimeout | kClientIconSize;
  request.net_timeout_ms = 3000;
  request.icon_size = 24;
  Bytes payload = build_login(request);
  net::FieldCursor at(payload);
  EXPECT_EQ(net::get_int_field(at), 1);
  // user, password, listen port, domain, version, computer name, flags, id, print port,
  // data and install directories, browser number, login kind, platform tag.
  const char kinds[] = "btitititittiit";
  for (const char* k = kinds; *k; ++k) {
    if (*k == 'i') {
      net::get_int_field(at);
    } else {
      net::get_bytes_view(at);
    }
  }
  ASSERT_FALSE(at.failed);
  // The tail: net time-out (4 bytes) and icon size (1 byte).
  std::size_t size = 0;
  EXPECT_EQ(net::get_int_field(at, &size), 3000);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(net::get_int_field(at, &size), 24);
  EXPECT_EQ(size, 3u);
  EXPECT_TRUE(at.at_end());
}

TEST(LoginMessages, TrimsUserNames) {
  EXPECT_EQ(trim_login_text("anna \t\r\n", 64), "anna");
  EXPECT_EQ(trim_login_text(std::string(80, 'x'), 64), std::string(64, 'x'));
}

TEST(LoginReplies, ConnectReplyWithAndWithoutTheFourInts) {
  Bytes server(16, 7);
  Bytes server_field;
  net::put_bytes_field(server_field, server.data(), server.size());
  auto old =
      parse_connect_reply(concat({text_field("h"), ints({0x30007}), server_field, ints({0x302})}));
  ASSERT_TRUE(old);
  EXPECT_EQ(old->options, 0x302u);
  auto recent = parse_connect_reply(
      concat({text_field("h"), ints({0x30008}), server_field, ints({0x100, 1, 0, 0, 0})}));
  ASSERT_TRUE(recent);
  EXPECT_TRUE(recent->keeps_slash);
  // A server value of another length, or a field past the end, is malformed.
  Bytes short_value;
  net::put_bytes_field(short_value, server.data(), 8);
  EXPECT_FALSE(parse_connect_reply(concat({text_field("h"), ints({1}), short_value, ints({0})})));
  Bytes truncated = concat({text_field("h"), ints({1}), server_field, ints({0})});
  truncated.pop_back();
  EXPECT_FALSE(parse_connect_reply(truncated));
}

TEST(LoginReplies, AcceptedReadsTheConditionalItemsByDaemonVersion) {
  Bytes payload = concat({ints({0x810, 5000, 221, 0, 0, 0x70200, 30, 0, 0, 0, 0}),
                          text_field("session"), text_field("name"), ints({20000})});
  auto ok = parse_login_accepted(payload, false);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->host_kind, 0);
  EXPECT_EQ(ok->listen_port, 5000);
  EXPECT_EQ(ok->daemon_version, 0x70200);
  EXPECT_EQ(ok->session_timeout_minutes, 30);
  EXPECT_EQ(ok->session_text, "session");
  EXPECT_EQ(ok->name_text, "name");
  EXPECT_EQ(ok->net_timeout_ms, 20000);

  // Workflow mode stops after the display option; an old daemon sends no session texts.
  auto workflow = parse_login_accepted(payload, true);
  ASSERT_TRUE(workflow);
  EXPECT_EQ(workflow->daemon_version, 0);
  auto old = parse_login_accepted(ints({1, 0, 221, 0, 0, 0x20000, 30}), false);
  ASSERT_TRUE(old);
  EXPECT_EQ(old->session_timeout_minutes, 0);
  EXPECT_EQ(parse_login_accepted({}, false)->display_option, 221);

  // A session text longer than its 2032 bytes is malformed.
  Bytes long_text =
      concat({ints({0, 0, 221, 0, 0, 0x70200, 0, 0, 0, 0, 0}), text_field(std::string(2040, 's'))});
  EXPECT_FALSE(parse_login_accepted(long_text, false));
}

TEST(LoginReplies, RefusalWithReasonTextOrNothing) {
  auto with_text = parse_login_refused(concat({ints({1}), text_field("gesperrt")}));
  ASSERT_TRUE(with_text);
  EXPECT_EQ(with_text->reason, 1);
  EXPECT_EQ(with_text->text, "gesperrt");
  auto empty = parse_login_refused({});
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->has_reason);
  EXPECT_FALSE(parse_login_refused(Bytes{0, 4, 1}));  // an int field cut short
}

TEST(Environment, ExpandsReferencesAndGuardsAgainstSelfReference) {
  std::array<EnvironmentEntry, 5> table;
  auto set = [&](int i, const char* name, const char* value) {
    table[i].name.assign(name);
    table[i].value.assign(value);
  };
  set(0, "HV", "/opt/hv");
  set(1, "BIN", "$HV/bin");
  set(2, "LOOP", "%LOOP%x");
  set(3, "A", "$B");
  set(4, "B", "%A%");
  EXPECT_EQ(expand_environment_value(table, table[1].value.view(), &table[1]), "/opt/hv/bin");
  EXPECT_EQ(expand_environment_value(table, "%BIN%:$NOPE:%NOPE%:100%", nullptr),
            "/opt/hv/bin:$NOPE:%NOPE%:100%");
  EXPECT_EQ(expand_environment_value(table, table[2].value.view(), &table[2]), "%LOOP%x");
  // A cycle over two entries ends with the reference back to the start kept as written.
  EXPECT_EQ(expand_environment_value(table, table[3].value.view(), &table[3]), "%A%");
  EXPECT_EQ(expand_environment_value(table, "$A", nullptr), "%A%");
  EXPECT_EQ(expand_environment_value(table, "$", nullptr), "$");
  EXPECT_EQ(expand_environment_value(table, "$HV$HV$HV", nullptr, 10), "/opt/hv/op");
}

TEST(Events, StartReplyWithErrorDirectoryAndText) {
  auto ok = parse_start_reply(concat({ints({0, 42}), text_field("prog"), text_field("ignored")}));
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->run_id, 42);
  EXPECT_FALSE(ok->has_directory);
  auto failed = parse_start_reply(
      concat({ints({2, 0}), text_field("prog"), text_field("/dir"), text_field("no such")}));
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->directory, "/dir");
  EXPECT_EQ(failed->error_text, "no such");
  EXPECT_FALSE(parse_start_reply(
      concat({ints({2, 0}), text_field("prog"), text_field(std::string(300, 'd'))})));
}

TEST(Events, EndStatusDecoding) {
  EndStatus normal = decode_end_status(0x0100);
  EXPECT_FALSE(normal.abnormal);
  EXPECT_EQ(normal.number, 1);
  EndStatus core = decode_end_status(0x008B);
  EXPECT_TRUE(core.abnormal);
  EXPECT_EQ(core.number, 11);
  EXPECT_TRUE(core.core);
  auto end = parse_program_end(ints({7, 0x8B}));
  ASSERT_TRUE(end);
  EXPECT_EQ(end->program, "");
}

TEST(Events, StopTimerControlProxyAndMessages) {
  auto stop = parse_stop({});
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->run_id, 0);
  EXPECT_EQ(stop->delay_seconds, 0);
  stop = parse_stop(ints({12, 5}));
  EXPECT_EQ(stop->run_id, 12);
  EXPECT_EQ(stop->delay_seconds, 5);
  EXPECT_EQ(parse_timer_control(ints({3})), 3);
  EXPECT_FALSE(parse_timer_control({}));
  auto proxy = parse_proxy(concat({ints({0}), text_field("4711")}));
  ASSERT_TRUE(proxy);
  EXPECT_EQ(proxy->port, -1);
  EXPECT_EQ(proxy->process_id, "4711");
  auto info = parse_info_message(concat({text_field("hello  "), text_field("ding.wav")}));
  ASSERT_TRUE(info);
  EXPECT_EQ(trim_message_text(info->text, 1020), "hello");
  EXPECT_EQ(info->sound, "ding.wav");
  EXPECT_FALSE(parse_info_message(concat({text_field("x"), text_field(std::string(600, 's'))})));
  EXPECT_EQ(trim_message_text(std::string(2000, 'a'), 1024).size(), 1024u);
}

TEST(SessionTimeout, RestartUsesTheRemainingSecondsAndAtLeastTwoMinutes) {
  EXPECT_EQ(remaining_session_seconds(1000, 600, 1100), 500);
  EXPECT_EQ(remaining_session_seconds(1000, 600, 1550), 120);
  EXPECT_EQ(remaining_session_seconds(1000, 600, 5000), 120);
  EXPECT_EQ(remaining_session_seconds(1000, 600, 900), 600);  // a clock set back
}

}  // namespace
}  // namespace kovw::shell
