#include "shell/usage_text.h"

#include "shell/version.h"

namespace kovw::shell {

std::string usage_text() {
  return window_title() + "\n" + R"(
Usage: kovw [parameter-file] [options]
       kovw kovw:<options, percent-encoded>

Login
  -r host            host of the server daemon (no host search)
  -b user[/domain[/password]]   login user; password "*" asks before each login
  -v n               base port of the server daemon (default 4724; link on n+1)
  -l                 log in at start without the dialog when a password is present
  -lb                log in to the least-loaded host found by the host search
  -e                 end the workstation after logout
  -g, -g+, -g-       offer compression and encryption (on / off)
  -a n               keep-alive ping every n seconds
  -ot n              net time-out: n ms, or n seconds when n < 1000
  -ol n              slow-connection level 0..3
Start program
  -c program rest    program started on the host after login; the rest of the line
                     is its command line
  -cp n w1 .. wn     n further words for the -c command line
  -d dir             working directory of the start program
  -s dir             standard environment (HV, HV_STANDARD, TEXTDAT, HW, PRT, BIN)
  -u NAME=value      one environment entry for the host
Appearance
  -f font n, -fp font n, -k font n    text, proportional and button font (points)
  -ff n, -fi n       font factor (percent), icon size
  -os n              language (1 German, 4 English, 0 the user's language)
  -oz n              character set index
  -od, -of, -op, -y  double click, no system colour change, no password change,
                     on-screen keyboard
Ports and printing
  -w n               listening port for host programs (n < 1: automatic, base port + 3)
  -p n[+]            print service port (0: no print service; +: automatic port)
  -pv n, -pp+/-, -pg+/-   video port, poster print, print drawing
  -ok                open the listening ports
Other
  -z dir             local data directory (log, cache); default ~/.local/share/kovw
  -t[n]              log verbosity (default: the environment variable KOVW_TEST)
  -mr name, -mp [+n|n] name    record or play a macro
  -h[m][:n..] n1[/n2]          browser mode
  -x[bdpertv] ...    workflow mode
  -j[f+|f-][d dir]   installation helper; -q removes the settings of this user
  -i                 self-update installation step

Parameter files: a first word with "/" or "\" names a file whose words (up to "#" on
each line) come before the rest of the command line.
Unattended runs: with the environment variable KOVW_UNATTENDED=1 every message is only
written to the log and answered with its default.

Exit status
  0    normal end (also after -j, -q, and workflow mode without -xe)
  1    any other result above 255
  2    the command line was refused (the message names the option)
  3    workflow: the server daemon reported an error (result 300000 + code)
  4    workflow: a system error occurred (result 200000 + code)
  255  the workstation could not start
  Workflow results above 255 are written in full to kovw.log and to the workflow
  protocol file.
)";
}

}  // namespace kovw::shell
