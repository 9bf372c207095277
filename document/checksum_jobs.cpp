#include "document/checksum_jobs.h"

#include "document/entries/entry_flags.h"

ChecksumJobBatch QueuedChecksumJobs(const CNObjectArray<CVemoEntry>& entries) {
  ChecksumJobBatch batch;
  for (const CVemoEntry* entry : entries) {
    if (entry == nullptr || !entry->TestFlags(EF_QUEUED_MASK, EF_QUEUED_VALUE)) continue;
    const FileState& state = entry->GetCurrentState();
    batch.Add(entry->m_strBaseDir, entry->m_strRelDir, state.name, entry->m_pszKey, state.size,
              state.time.Value());
  }
  return batch;
}
