// The whole reading of a checksum list, as opening one does: the signature check, then the import
// thread (encoding detection in every class, decoding, line splitting, every entry line parsed).
// The import must end, publish a list or an error, and never crash; an entry it makes must have a
// name and a key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "document/document_signature.h"
#include "document/import_thread.h"
#include "platform/timeout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CNByteBuffer bytes;
  if (size != 0 && !bytes.Append(data, size)) return 0;
  (void)CheckSignature(bytes);
  static CVemoImportThread* const importer = new CVemoImportThread;  // one thread object, reused
  if (!importer->Start(L"/base/", std::move(bytes), KeyCase::kExact)) std::abort();
  (void)importer->Stop(INFINITE);
  const std::unique_ptr<CVemoEntryList> list = importer->TakeResultList();
  if (list) {
    for (void* element : *list) {
      const auto* entry = static_cast<const CVemoEntry*>(element);
      if (entry->m_pszKey == nullptr || entry->m_stored.name.empty()) std::abort();
    }
  }
  (void)importer->TakeFileBytes();
  importer->StopAndClear();
  return 0;
}
