#include "foundation/program_identity.h"

#include "platform/host_name.h"

const CNVersionInfo& ProgramIdentity() {
  static const CNVersionInfo identity(true);
  return identity;
}

const std::wstring& ComputerName() {
  static const std::wstring name = [] {
    std::wstring host;
    if (!platform::HostName(host)) host.clear();
    return host;
  }();
  return name;
}
