#include "protocol/program/answer_routes.h"

#include "net/link_names.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/program_window.h"
#include "protocol/program/retc.h"

namespace kovw::protocol {

namespace {

std::optional<AnswerRoute> komm_route(int type) {
  switch (type) {
    case net::KWK_KGETWINID:
    case net::KWK_KGETCLIP:
    case net::KWK_KSKOMM:
    case net::KWK_KDEL:
    case net::KWK_KWIPE:
    case net::KWK_KMKDIR:
    case net::KWK_KRMDIR:
    case net::KWK_KRMALL:
    case net::KWK_KFILECHECK:
    case KWK_KGETPRINTER:
    case KWK_KSENDPRINTER:
    case KWK_KFONTLIST:
      return AnswerRoute{net::KWD_KOMM, type, false};
    case net::KWK_KGETDATE:
    case net::KWK_KGETCOL:
    case net::KWK_KGETFNAME:
      return AnswerRoute{net::KWD_KOMM, type, true};
    default:
      return std::nullopt;
  }
}

std::optional<AnswerRoute> digra_route(int type) {
  switch (type) {
    case net::KWK_GDIGRA:
    case net::KWK_PDIGRA:
      return AnswerRoute{net::KWD_DIGRA, net::KWK_GDIGRA, false};
    case net::KWK_GDIALOG:
      return AnswerRoute{net::KWD_DIGRA, net::KWK_GDIALOG, true};
    case net::KWK_GGET:
    case net::KWK_GGETEX:
      return AnswerRoute{net::KWD_DIGRA, net::KWK_GGET, true};
    case net::KWK_GFONT:
    case net::KWK_GSPEAK:
    case net::KWK_GPOS:
    case net::KWK_GRES:
    case net::KWK_GTLEN:
    case net::KWK_GVIDEO:
    case KWK_GSPEECH:
    case net::KWK_CURSOR:
    case net::KWK_GABORT:
      return AnswerRoute{net::KWD_DIGRA, type, false};
    default:
      return std::nullopt;
  }
}

std::optional<AnswerRoute> win_route(int type, std::int32_t flags) {
  switch (type) {
    case net::KWK_WTAST:
    case net::KWK_WTEST:
      return AnswerRoute{net::KWD_WIN, net::KWK_WTAST, true};
    case net::KWK_WDIAC:
    case net::KWK_WEDIT:
      return AnswerRoute{net::KWD_WIN, type, true};
    case net::KWK_WMELDE:
      // Without a Retc request the box's answer is a key in the key data.
      return (flags & kMeldeRetc) ? AnswerRoute{net::KWD_WIN, net::KWK_WMELDE, true}
                                  : AnswerRoute{net::KWD_WIN, net::KWK_WTAST, true};
    case net::KWK_WDIALOG:
      return AnswerRoute{net::KWD_DIGRA, net::KWK_GDIALOG, true};
    case net::KWK_WRETC:
      return AnswerRoute{net::KWD_WIN, net::KWK_WRETC, false};
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<AnswerRoute> answer_route(int service, int type, std::int32_t host_version,
                                        std::int32_t flags) {
  switch (service) {
    case net::KWD_KOMM:
      return komm_route(type);
    case net::KWD_DIGRA:
      return digra_route(type);
    case net::KWD_STREAM:
      if (stream_wants_retc(type, host_version))
        return AnswerRoute{net::KWD_STREAM, net::KWK_SRETC, false};
      return std::nullopt;
    case net::KWD_WIN:
      return win_route(type, flags);
    case net::KWD_LIST:
      if (type == net::KWK_LDIALOG) return AnswerRoute{net::KWD_LIST, net::KWK_LANTWDIA, true};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace kovw::protocol
