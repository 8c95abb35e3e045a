#pragma once
// Where a new host-program link or print link goes once it is connected: the program
// threads and the print service take it over there. Until they exist, the link is logged
// and closed.

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

}  // namespace kovw::shell
