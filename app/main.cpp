// The process entry of the workstation.
#include "shell/startup.h"

int main(int argc, char** argv) {
  return kovw::shell::run_workstation(argc, argv);
}
