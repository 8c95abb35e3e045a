#pragma once
// The connection states of the server link; each number is also the number of its status
// text in the message table.

namespace kovw::shell {

inline constexpr int kStateNotConnected = 10007;
inline constexpr int kStateSearching = 10008;
inline constexpr int kStateConnecting = 10009;
inline constexpr int kStateConnected = 10010;
inline constexpr int kStateDisconnecting = 10044;

// Kinds of do_login.
inline constexpr int kLoginNormal = 1;
inline constexpr int kLoginChangePassword = 104;
inline constexpr int kLoginForgottenPassword = 1176;

// Timer ids of the connection.
inline constexpr int kTimerSession = 40435;
inline constexpr int kTimerPing = 40445;

}  // namespace kovw::shell
