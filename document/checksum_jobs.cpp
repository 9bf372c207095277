#include "document/checksum_jobs.h"

#include "document/entries/entry_flags.h"

void AddIfQueued(ChecksumJobBatch& batch, const CVemoEntry& entry) {
  if (!entry.TestFlags(EF_QUEUED_MASK, EF_QUEUED_VALUE)) return;
  const FileState& state = entry.GetCurrentState();
  batch.Add(entry.m_strBaseDir, entry.m_strRelDir, state.name, entry.m_pszKey, state.size,
            state.time.Value());
}

ChecksumJobBatch QueuedChecksumJobs(const CNObjectArray<CVemoEntry>& entries) {
  ChecksumJobBatch batch;
  for (const CVemoEntry* entry : entries) {
    if (entry != nullptr) AddIfQueued(batch, *entry);
  }
  return batch;
}
