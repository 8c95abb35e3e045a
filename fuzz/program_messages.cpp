// Fuzzes the program-link message parsers. The first input byte picks the parser, the second
// the host library version the parser assumes; the rest is the payload. The selectors of the
// messages described field by field go to all parsers of the message table.

#include <cstddef>
#include <cstdint>
#include <span>

#include "described_messages.h"
#include "net/link_names.h"
#include "protocol/program/error_answers.h"
#include "protocol/program/host_requests.h"
#include "protocol/program/list_view_messages.h"
#include "protocol/program/program_window.h"
#include "protocol/program/retc.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"
#include "protocol/program/window_service.h"

namespace {

using namespace kovw::protocol;
namespace net = kovw::net;

constexpr std::int32_t kVersions[] = {0x020400, 0x030002, 0x030D06, 0x04130A, 0x040505,
                                      0x04180D, 0x041E07, 0x042400, 0x050302, 0x060504,
                                      0x060B00, 0x060D02, 0x070305};

template <class R>
void answer_failure(const R& result, int service, int type) {
  if (!result.ok()) (void)error_answer(service, type, result.error(), false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t selector = data[0];
  const std::int32_t version = kVersions[data[1] % std::size(kVersions)];
  const std::span<const std::uint8_t> p(data + 2, size - 2);
  switch (selector % 48) {
    case 0:
      (void)parse_kinit(p);
      break;
    case 1:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 2:
      (void)parse_kreconnect(p);
      break;
    case 3:
      (void)parse_kcflag(p);
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 4:
      (void)parse_kbutton(p);
      (void)parse_kbutton_nr(p);
      break;
    case 5:
      (void)parse_ksetclip(p);
      (void)parse_kgetclip(p);
      break;
    case 6:
      (void)parse_clip_answer(p);
      break;
    case 7:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 8:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 9:
      answer_failure(parse_kgetcol(p), net::KWD_KOMM, net::KWK_KGETCOL);
      break;
    case 10:
      answer_failure(parse_kskomm(p, version), net::KWD_KOMM, net::KWK_KSKOMM);
      break;
    case 11:
      (void)parse_exec_answer(p);
      break;
    case 12:
      answer_failure(parse_file_operation(net::KWK_KDEL, p), net::KWD_KOMM, net::KWK_KDEL);
      break;
    case 13:
      (void)parse_file_answer(p);
      break;
    case 14:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 15:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 16:
      answer_failure(parse_kfilecheck(p), net::KWD_KOMM, net::KWK_KFILECHECK);
      break;
    case 17:
      (void)parse_filecheck_answer(p);
      break;
    case 18:
      (void)parse_khelp_request(p);
      break;
    case 19:
      (void)parse_kfppfad(p);
      break;
    case 20:
      (void)parse_kgetprinter(p);
      (void)parse_ksendprinter(p);
      break;
    case 21:
      (void)parse_printer_answer(p);
      break;
    case 22:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 23:
      (void)parse_fontlist_answer(p);
      break;
    case 24:
    case 25:
    case 26:
      (void)parse_screen_definition(p, version);
      break;
    case 27:
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 28:
      (void)parse_font_request(p);
      kovw::fuzz::parse_described_messages(p, true);
      break;
    case 29:
      (void)parse_font_info(net::KWK_GFONT, p, version);
      break;
    case 30:
      (void)parse_font_info(net::KWK_GSPEAK, p, version);
      break;
    case 31:
      (void)parse_gpos(p, version);
      break;
    case 32:
      (void)parse_gget(net::KWK_GGET, p);
      (void)parse_gget(net::KWK_GGETEX, p);
      break;
    case 33:
      (void)parse_gdata(p);
      (void)parse_single_int(p);
      break;
    case 34:
      (void)parse_gvideo(p);
      (void)parse_gspeech(p);
      break;
    case 35:
      (void)parse_helper_answer(net::KWK_GVIDEO, p);
      (void)parse_helper_answer(KWK_GSPEECH, p);
      break;
    case 36:
      (void)parse_creakontext(p, version);
      break;
    case 37:
      (void)parse_retc(p);
      break;
    case 38:
      (void)parse_raw_text(p);
      (void)parse_lcursor(p);
      break;
    case 39:
      (void)parse_wmelde(p);
      break;
    case 40:
      (void)parse_wdiac(p);
      break;
    case 41:
      (void)parse_field_reply(p);
      break;
    case 42:
      (void)parse_wedit(p);
      break;
    case 43:
      (void)parse_edit_reply(p);
      break;
    case 44:
      (void)parse_key_data(p);
      break;
    case 45:
      (void)parse_view_definition(net::KWK_LTREE, p);
      (void)parse_view_definition(net::KWK_LLIST, p);
      break;
    case 46:
      (void)parse_ldialog(p);
      (void)parse_linfo(p);
      break;
    case 47:
      (void)parse_lantw(p);
      (void)parse_lantwdia(p);
      break;
  }
  return 0;
}
