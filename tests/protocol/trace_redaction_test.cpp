// Passwords never reach a session trace: the login's and the password change's fields become
// the marker, and everything else in the frame stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "net/link_names.h"
#include "protocol/server_messages.h"
#include "protocol/trace_redaction.h"

namespace kovw::protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool contains(const Bytes& data, std::string_view text) {
  return std::search(data.begin(), data.end(), text.begin(), text.end()) != data.end();
}

TEST(TraceRedaction, LoginPasswordBecomesTheMarkerAndTheRestStays) {
  LoginRequest login;
  login.user = "anna";
  login.password_field = scrambled_password_field("secret!", password_filler());
  login.domain = "dom";
  login.computer_name = "pc7";
  login.version_word = 0x070305;
  Bytes payload = build_login_request(login).payload;
  redact_passwords(net::KWD_KOMM, net::KWK_KLOGIN, payload);
  Result<LoginRequest> back = parse_login_request(payload);
  ASSERT_TRUE(back);
  const std::string field(back->password_field.begin(), back->password_field.end());
  EXPECT_EQ(field, std::string(kTracePasswordMarker) + '\0');
  EXPECT_EQ(back->user, "anna");
  EXPECT_EQ(back->domain, "dom");
  EXPECT_EQ(back->computer_name, "pc7");
  EXPECT_EQ(back->version_word, 0x070305);
}

TEST(TraceRedaction, PasswordChangeAndUnparsableLoginsKeepNoPassword) {
  Bytes change = build_password_change({kPassChange, "old-pw", "new-pw"}).payload;
  redact_passwords(net::KWD_KOMM, net::KWK_KPASS, change);
  Result<PasswordChange> parsed = parse_password_change(change);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->kind, kPassChange);
  const Bytes plain(change.begin(), change.end());
  EXPECT_TRUE(contains(plain, kTracePasswordMarker));

  // A login the parser refuses still carries a password somewhere: the whole payload goes.
  Bytes broken{'x', 's', 'e', 'c', 'r', 'e', 't'};
  redact_passwords(net::KWD_KOMM, net::KWK_KLOGIN, broken);
  EXPECT_FALSE(contains(broken, "secret"));
  EXPECT_TRUE(contains(broken, kTracePasswordMarker));

  // Other frames are not touched.
  Bytes other{'s', 'e', 'c', 'r', 'e', 't'};
  redact_passwords(net::KWD_KOMM, net::KWK_KPING, other);
  redact_passwords(1, net::KWK_KLOGIN, other);
  EXPECT_EQ(other, (Bytes{'s', 'e', 'c', 'r', 'e', 't'}));
}

}  // namespace
}  // namespace kovw::protocol
