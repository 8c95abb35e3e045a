#pragma once
// Where a new host-program link or print link goes once it is connected: the program
// threads and the print service take it over there.

#include <functional>
#include <string>
#include <vector>

namespace kovw::shell {

enum class LinkKind { Program, Print };

struct NewLink {
  LinkKind kind = LinkKind::Program;
  int socket = -1;
  std::string peer;          // display text or peer name
  std::string host_address;  // "<NULL>" for accepted links
  int port = -1;
  std::string process_id;              // "0" for accepted links
  std::vector<unsigned char> opening;  // the daemon's message (proxy and print links)
};

// Takes over the link's socket.
void hand_over_link(NewLink link);

// The program sessions live in a layer above the shell: the process entry installs the
// function that starts a program session on a new program link. Without one the link is
// logged and closed.
using ProgramLinkHandler = std::function<void(NewLink)>;
void set_program_link_handler(ProgramLinkHandler handler);
// Likewise the print service for print links.
void set_print_link_handler(ProgramLinkHandler handler);

}  // namespace kovw::shell
