#pragma once
// The ports derived from the settings: the daemon's base port P gives the daemon link
// (P+1), the host search (broadcast to P, answers on P+2) and, with the automatic port,
// the workstation's own listening port (P+3).

#include "shell/settings_record.h"

namespace kovw::shell {

struct PortPlan {
  int daemon = 0;         // the server daemon's link: P+1
  int search_target = 0;  // host search broadcast: P
  int search_answer = 0;  // the datagram socket for the answers: P+2
  int listen = 0;         // host programs connect here
  int print = 0;          // the print service
};

PortPlan derive_port_plan(const SettingsRecord& settings);

}  // namespace kovw::shell
