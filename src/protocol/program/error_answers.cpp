#include "protocol/program/error_answers.h"

#include <cerrno>

#include "foundation/error_text.h"
#include "net/link_names.h"
#include "protocol/program/host_requests.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {

int failure_error_code(const ParseFailure& failure) {
  const int error = failure.code == ParseError::kTextTooLong ? ENAMETOOLONG : EINVAL;
  return foundation::kErrnoErrorBase + error;
}

std::optional<Outgoing> error_answer(int service, int type, const ParseFailure& failure,
                                     bool german) {
  if (service != net::KWD_KOMM) return std::nullopt;
  const int code = failure_error_code(failure);
  if (is_file_operation(type)) return build_file_answer(type, code, german);
  switch (type) {
    case net::KWK_KGETDATE:
      return build_date_answer(DateAnswer{});
    case net::KWK_KGETCOL:
      return build_colour_answer(ColourAnswer{});
    case net::KWK_KGETCLIP:
      return build_clip_answer(ClipAnswer{});
    case net::KWK_KSKOMM:
      return build_exec_answer(ExecAnswer{foundation::error_text(code, german), code});
    case net::KWK_KGETFNAME:
      return build_fname_answer(FnameAnswer{});
    case net::KWK_KFILECHECK: {
      FileCheckAnswer answer;
      answer.error = code;
      answer.text = foundation::error_text(code, german);
      return build_filecheck_answer(answer);
    }
    case KWK_KGETPRINTER:
    case KWK_KSENDPRINTER:
      return build_printer_answer(type);
    case KWK_KFONTLIST:
      return build_fontlist_answer(FontListAnswer{-1, {}});
    default:
      return std::nullopt;
  }
}

}  // namespace kovw::protocol
