#include "session/program/graphics_frame_items.h"

#include <string>
#include <vector>

#include "foundation/log.h"
#include "session/program/frame.h"
#include "session/program/program_session.h"

namespace kovw::session {

void graphics_frame_items(ProgramSession& session, const graphics::GraphicsDefinition& definition,
                          bool fresh) {
  const int flags = definition.record.window_flags();
  if (flags & graphics::kIconList) {
    std::vector<std::string> refused;
    const std::vector<protocol::HostIcon> icons =
        graphics::definition_icons(definition, session.host_version, refused);
    for (const std::string& fault : refused)
      foundation::log_printf("dg_interp: icon entry refused: %s", fault.c_str());
    frame_add_graphics_icons(session, icons);
  }
  if (!fresh) return;
  const std::vector<protocol::MenuItemRecord> records =
      (flags & graphics::kToolbarItems)
          ? graphics::definition_toolbar_records(definition, session.host_version)
          : std::vector<protocol::MenuItemRecord>{};
  frame_set_graphics_toolbar(session, records);
}

}  // namespace kovw::session
