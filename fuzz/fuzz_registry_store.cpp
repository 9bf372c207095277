// The settings store's text. Reading what it wrote gives what it wrote: the store re-reads its
// file before every change, so a tree that does not survive the trip would lose or damage
// settings, and a line written that the reader calls damaged would be reported on every run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry_text.h"

using platform::registry_detail::ParseRegistry;
using platform::registry_detail::SerializeRegistry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string written = SerializeRegistry(ParseRegistry(text).tree);
  const auto reread = ParseRegistry(written);
  if (!reread.bad_lines.empty()) std::abort();
  if (SerializeRegistry(reread.tree) != written) std::abort();
  return 0;
}
