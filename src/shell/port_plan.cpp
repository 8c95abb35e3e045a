#include "shell/port_plan.h"

namespace kovw::shell {

PortPlan derive_port_plan(const SettingsRecord& settings) {
  PortPlan plan;
  int base = settings.kovd_port;
  plan.daemon = base + 1;
  plan.search_target = base;
  plan.search_answer = base + 2;
  plan.listen = settings.automatic_kovw_port ? base + 3 : settings.kovw_port;
  plan.print = settings.kovw_printer_port;
  return plan;
}

}  // namespace kovw::shell
