#pragma once
// The host tells the user that it works: KWK_CURSOR of the program window service shows the
// wait cursor and takes the content window and the key bars out of use until the host
// restores them; keys typed meanwhile are dropped (key_put). A menu program's KWK_DMBEREIT
// ends the wait cursor of its KWK_DMINIT.

namespace kovw::session {

class CommandTable;
struct ProgramSession;

// KWK_CURSOR (KWD_WIN) value: 1 busy, 0 ready again; other values change nothing.
void set_host_busy(ProgramSession& session, int value);

void register_host_busy_commands(CommandTable& table);

}  // namespace kovw::session
