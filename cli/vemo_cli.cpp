#include "cli/vemo_cli.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/output_escaping.h"
#include "document/app_settings.h"
#include "document/document_format.h"
#include "foundation/process_values.h"
#include "foundation/program_identity.h"
#include "platform/file_name_text.h"
#include "platform/registry_store.h"

namespace {

void ApplyTolerance(const std::optional<bool>& choice, std::atomic<std::uint32_t>& value) {
  if (choice) value.store(*choice ? 1 : 0);
}

// The identity line of a document header, without its comment marker ("Vemo Release 0.1.0").
std::wstring IdentityLine() {
  std::wstring line = ProgramIdentity().Format(kIdentityFormat);
  if (line.starts_with(L"; ")) line.erase(0, 2);
  return line;
}

int Main(int argc, char** argv, const CliFileAccess& files) {
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "vemo-cli: %s\nTry 'vemo-cli --help'.\n",
                 EscapeText(platform::FileNameToWide(error)).c_str());
    return kExitFailure;
  }
  if (options.help) {
    std::fputs(CliUsageText(), stdout);
    return std::fflush(stdout) == 0 ? 0 : kExitFailure;
  }
  if (options.version) {
    std::fputs((ToUtf8(IdentityLine()) + "\n").c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : kExitFailure;
  }

  InstallInterruptHandlers();
  // Captured once before any worker thread exists; every document header uses them.
  (void)ProgramIdentity();
  (void)ComputerName();
  // The kept settings; the command line's own choices hold for this run only and are never saved.
  if (!LoadAppSettings()) {
    std::fputs(("vemo-cli: " + EscapeText(platform::FileNameToWide(platform::RegistryStorePath())) +
                ": The settings could not be read; the defaults are used.\n")
                   .c_str(),
               stderr);
  }
  ApplyTolerance(options.tz_shift, TolTZShift);
  ApplyTolerance(options.one_second, Tol2Seconds);
  ApplyTolerance(options.cd_attributes, TolARAttrOnCD);

  switch (options.command) {
    case CliCommand::kCreate:
      return RunCreateCommand(options, files);
    case CliCommand::kVerify:
      return RunVerifyCommand(options, files);
    case CliCommand::kUpdate:
      return RunUpdateCommand(options, files);
    case CliCommand::kNone:
      break;
  }
  return kExitFailure;
}

}  // namespace

int RunVemoCli(int argc, char** argv, const CliFileAccess& files) {
  // No exception ends the program unexplained: whatever could not be allocated, the work stops
  // (the session's destructors stop every worker; a save in progress leaves the old list intact)
  // and the user reads why. The texts are literals: making a string may fail again.
  try {
    return Main(argc, argv, files);
  } catch (const std::bad_alloc&) {
    std::fputs("vemo-cli: Not enough memory resources are available to process this command.\n",
               stderr);
  } catch (const std::exception& failure) {
    std::fputs("vemo-cli: ", stderr);
    std::fputs(failure.what(), stderr);
    std::fputs("\n", stderr);
  }
  return kExitFailure;
}
