#pragma once
// What the shell hands to a new program thread: the connected link and how it came.

#include <cstdint>
#include <string>
#include <vector>

namespace kovw::session {

struct StartRecord {
  int socket = -1;
  std::string title;            // display name of the connection (UTF-8, up to 256 characters)
  std::string host = "<NULL>";  // host name text, "<NULL>" for links accepted directly
  int port = -1;                // -1 for links accepted directly
  std::string host_pid_text = "0";
  std::vector<std::uint8_t> extra;  // the identification message that opened the link

  // The pid text as a number: its leading decimal digits when it starts with a digit, else 0.
  int host_pid() const;
};

}  // namespace kovw::session
