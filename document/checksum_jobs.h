// The checksum jobs of a pass: one per entry that is queued for checksumming (found, pending, no
// longer awaiting the scan), in the entries' order; null elements are skipped. The worker reads
// the files in this order, so entries in key order keep each directory's files together.
#pragma once
#include "document/entries/entry.h"
#include "engine/checksum_job_batch.h"
#include "foundation/ptr_array.h"

[[nodiscard]] ChecksumJobBatch QueuedChecksumJobs(const CNObjectArray<CVemoEntry>& entries);
// Adds entry's job to batch when it is queued: one step of the above, for a caller that goes
// over its entries in slices.
void AddIfQueued(ChecksumJobBatch& batch, const CVemoEntry& entry);
