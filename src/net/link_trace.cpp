#include "net/link_trace.h"

#include <cstdio>

#include "foundation/log.h"
#include "net/link_message.h"
#include "net/link_names.h"
#include "net/link_state.h"

namespace kovw::net {

namespace {
constexpr const char* kUnknown = "<unbekannt>";
}

std::string frame_trace_line(const char* direction, int kind, int type, long size) {
  const int service = kind & static_cast<int>(kKindServiceMask);
  const char* service_text = service_name(service);
  const char* type_text = type_name(service, type);
  char line[128];
  std::snprintf(line, sizeof line, "%s %20s[%3d] %20s[%3d] Laenge %ld", direction,
                service_text ? service_text : kUnknown, service, type_text ? type_text : kUnknown,
                type, size);
  return line;
}

void frame_trace(const char* direction, int kind, int type, long size) {
  if (!link_trace_enabled()) return;
  foundation::log_printf("%s", frame_trace_line(direction, kind, type, size).c_str());
}

}  // namespace kovw::net
