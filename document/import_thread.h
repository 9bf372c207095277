// CVemoImportThread: the worker that reads a loaded document file: works out the encoding, brings
// the bytes into the reader's form (document_decoding.h), and turns every entry line into a listed
// CVemoEntry (entry_line_reader.h), counting files and directories as it goes.
//
// Owned by the document, reused for every open. Start, TakeResultList, TakeFileBytes,
// GetStatusText, the counts and StopAndClear are called on the document's (user-interface) thread;
// Run is the thread body. Status text, result list, base directory and file bytes are guarded by
// the worker's lock; the counts change by atomic increments only. While a run goes on only Run
// changes the file bytes (Start and StopAndClear stop the run first), so Run reads them without
// holding the lock.
//
// Entry lines are those that begin with a blank or a digit: a size of 13 or more digits leaves no
// room for a leading blank, and such entries must read back too.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "document/entries/entry.h"
#include "foundation/byte_buffer.h"
#include "foundation/ptr_list.h"
#include "foundation/worker_thread.h"
#include "records/letter_case.h"

using CVemoEntryList = CNObjectList<CVemoEntry>;

class CVemoImportThread : public CNWorkerThread {
 public:
  CVemoImportThread();
  ~CVemoImportThread() override;

  // Stops a running import (waiting without limit), drops an unclaimed result, takes the base
  // directory (absolute, ending in '/'), the file bytes (pass a copy or move them in) and the
  // folding mode of the document's keys, sets both counts to 0 and starts the thread. False when
  // no thread could be made.
  [[nodiscard]] bool Start(std::wstring baseDir, CNByteBuffer fileBytes,
                           KeyCase keyCase = KeyCase::kExact);
  // The same, reading the caller's bytes in place instead of a copy: the caller keeps them, in
  // one chunk at most, unchanged until the run has ended or StopAndClear has returned. The file
  // bytes then hold only a converted form (TakeFileBytes gives nothing for a file read as it is).
  [[nodiscard]] bool StartReading(std::wstring baseDir, const CNByteBuffer& fileBytes,
                                  KeyCase keyCase = KeyCase::kExact);

  // "NN% Importing Vemo data ..." of the line being read; empty before the first run.
  [[nodiscard]] std::wstring GetStatusText();
  // The file bytes, handed over (the thread keeps none); after a successful run, their reader's
  // form (the same bytes for a file in UTF-8 or 7-bit text).
  [[nodiscard]] CNByteBuffer TakeFileBytes();
  // The published entries in file order; ownership passes to the caller. Null while running,
  // after a stop, after a failed run, or when already taken.
  [[nodiscard]] std::unique_ptr<CVemoEntryList> TakeResultList();
  [[nodiscard]] LONG GetDirectoryCount() const { return directory_count_.load(); }
  [[nodiscard]] LONG GetFileCount() const { return file_count_.load(); }
  // Whether the last run read at least one line of a checksum list: an entry line that parsed, a
  // header line or the trailer (IsHeaderOrTrailerLine). A text without any is no checksum list.
  [[nodiscard]] bool ReadListLine() const { return read_list_line_.load(); }

  // Stops the thread (waiting without limit), destroys the result list with its entries and
  // empties the file bytes.
  void StopAndClear();

 protected:
  // 0 (also when stopped: nothing is published then), ERROR_INVALID_DATA (13) when the encoding
  // is not recognised (the file bytes stay as they were), ERROR_NOT_ENOUGH_MEMORY.
  DWORD Run() override;
  // Counted in ActiveWorkerCount while the thread runs, as every worker of the cycle is, so that
  // the freeze indicator covers this phase too.
  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  bool StartWith(std::wstring baseDir, CNByteBuffer fileBytes, std::string_view borrowed,
                 KeyCase keyCase);
  void SetStatusText(std::wstring text);

  // Guarded by lock_.
  std::wstring status_text_;
  std::unique_ptr<CVemoEntryList> result_;
  std::wstring base_dir_;
  CNByteBuffer file_bytes_;
  std::string_view borrowed_bytes_;  // StartReading: the caller's bytes, read in place
  KeyCase key_case_ = KeyCase::kExact;

  std::atomic<LONG> directory_count_{0};
  std::atomic<LONG> file_count_{0};
  std::atomic<bool> read_list_line_{false};
};
