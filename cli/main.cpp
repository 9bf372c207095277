// vemo-cli: the command-line host of the checksum document. Creates, verifies and updates the
// checksum lists of directory trees for scripts, cron jobs and machines without a display, with
// the same files, comparison, notes and settings as the GUI.
#include "cli/vemo_cli.h"

int main(int argc, char** argv) { return RunVemoCli(argc, argv); }
