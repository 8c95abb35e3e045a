#pragma once
// Every message described field by field (described_message.h), with its builder and parser:
// the table that the round-trip tests and the fuzz target go over, so a newly described message
// is covered by adding one line here.

#include <cstdint>
#include <span>

#include "net/link_names.h"
#include "protocol/program/host_requests.h"
#include "protocol/program/start_messages.h"
#include "protocol/program/window_service.h"
#include "protocol/server_messages.h"

namespace kovw::protocol {

template <class M>
struct DescribedEntry {
  using Message = M;
  const char* name;
  bool program_link;  // else the server link
  int service;
  int type;
  Outgoing (*build)(const M&);
  Result<M> (*parse)(std::span<const std::uint8_t>);
};

// Calls `visit` with a DescribedEntry for every described message.
template <class F>
void for_each_described_message(F&& visit) {
  // Program link.
  visit(DescribedEntry<KGetDate>{"KWK_KGETDATE", true, net::KWD_KOMM, net::KWK_KGETDATE,
                                 build_kgetdate, parse_kgetdate});
  visit(DescribedEntry<DateAnswer>{"KWK_KGETDATE answer", true, net::KWD_KOMM, net::KWK_KGETDATE,
                                   build_date_answer, parse_date_answer});
  visit(DescribedEntry<ColourAnswer>{"KWK_KGETCOL answer", true, net::KWD_KOMM, net::KWK_KGETCOL,
                                     build_colour_answer, parse_colour_answer});
  visit(DescribedEntry<KGetFname>{"KWK_KGETFNAME", true, net::KWD_KOMM, net::KWK_KGETFNAME,
                                  build_kgetfname, parse_kgetfname});
  visit(DescribedEntry<FnameAnswer>{"KWK_KGETFNAME answer", true, net::KWD_KOMM, net::KWK_KGETFNAME,
                                    build_fname_answer, parse_fname_answer});
  visit(DescribedEntry<KFontList>{"KWK_KFONTLIST", true, net::KWD_KOMM, net::KWK_KFONTLIST,
                                  build_kfontlist, parse_kfontlist});
  visit(DescribedEntry<WindowIds>{"KWK_KGETWINID answer", true, net::KWD_KOMM, net::KWK_KGETWINID,
                                  build_window_ids, parse_window_ids});
  visit(
      DescribedEntry<KMap>{"KWK_KMAP", true, net::KWD_KOMM, net::KWK_KMAP, build_kmap, parse_kmap});
  visit(DescribedEntry<ItemState>{"KWK_GREFR", true, net::KWD_DIGRA, net::KWK_GREFR, build_grefr,
                                  parse_grefr});
  visit(DescribedEntry<ItemText>{"KWK_GKTEXT", true, net::KWD_DIGRA, net::KWK_GKTEXT, build_gktext,
                                 parse_gktext});
  visit(DescribedEntry<FontSlot>{"KWK_GFONTSLOT", true, net::KWD_DIGRA, net::KWK_GFONTSLOT,
                                 build_gfontslot, parse_gfontslot});
  // Server link.
  visit(DescribedEntry<EnvironmentEntry>{"KWK_KENVIR", false, net::KWD_KOMM, net::KWK_KENVIR,
                                         build_environment, parse_environment});
  visit(DescribedEntry<StartRequest>{"KWK_KSTART", false, net::KWD_KOMM, net::KWK_KSTART,
                                     build_start_request, parse_start_request});
  visit(DescribedEntry<WorkflowRequest>{"KWK_KWORKFLOW", false, net::KWD_KOMM, net::KWK_KWORKFLOW,
                                        build_workflow_request, parse_workflow_request});
  visit(DescribedEntry<SessionFlag>{"KWK_KCFLAG", false, net::KWD_KOMM, net::KWK_KCFLAG,
                                    build_session_flag, parse_session_flag});
  visit(DescribedEntry<HostAlarm>{"KWK_KALARM", false, net::KWD_KOMM, net::KWK_KALARM,
                                  build_host_alarm, parse_host_alarm});
  visit(DescribedEntry<MacroFile>{"macro file", false, net::KWD_KOMM, kTypeMacroFile,
                                  build_macro_file, parse_macro_file});
  visit(DescribedEntry<MacroStart>{"macro start", false, net::KWD_KOMM, kTypeMacroStart,
                                   build_macro_start, parse_macro_start});
  visit(DescribedEntry<MacroDelete>{"macro delete", false, net::KWD_KOMM, kTypeMacroDelete,
                                    build_macro_delete, parse_macro_delete});
  visit(DescribedEntry<ScriptStatus>{"script status", false, net::KWD_KOMM, kTypeScriptStatus,
                                     build_script_status, parse_script_status});
}

}  // namespace kovw::protocol
