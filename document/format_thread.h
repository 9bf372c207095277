// CVemoFormatThread: the worker that writes a document's entries as the signed document text
// (document_writer.h) and publishes the bytes for the document to take.
//
// Owned by the document. Start, TakeOutput, GetProgress and LeftOutCount are called on the
// document's (user-interface) thread; Run is the thread body. The document must not change or
// delete the entries while a run goes on (its formatting phase). Progress, the published buffer
// and the left-out count are atomics, so they may be read at any time without a lock; the path
// text and the entry array are handed to the thread under the worker's lock.
#pragma once
#include <atomic>
#include <cstddef>
#include <optional>
#include <string>

#include "document/document_writer.h"
#include "foundation/key_map.h"
#include "foundation/ptr_array.h"
#include "foundation/worker_thread.h"

class CVemoFormatThread : public CNWorkerThread {
 public:
  CVemoFormatThread();
  ~CVemoFormatThread() override;

  // Copies the path text (the document's base directory, written as given in the path header),
  // collects the entry pointers of `entries` in key order, resets the
  // progress to 0 of the number of entries, releases any unpublished output and starts the
  // thread. False when a run is still going on (ERROR_BUSY), when memory runs out, or when no
  // thread could be made; nothing is started then.
  [[nodiscard]] bool Start(std::wstring pathText, const CNObjectKeyMap<CVemoEntry>& entries);
  // The same for the entries of an array in key order (nulls skipped), which spares the walk over
  // the map; the array is left empty.
  [[nodiscard]] bool Start(std::wstring pathText, CNObjectArray<CVemoEntry>& entries);

  // current / total, or -1 when total is 0 (no run in progress).
  [[nodiscard]] double GetProgress() const;

  // Takes the published bytes (UTF-8 document text, NUL-terminated) and leaves none behind; null
  // when nothing is published. The caller frees them with free(). *length (when given) receives
  // the byte count without the NUL; names that are not UTF-8 keep their own bytes, none is NUL.
  [[nodiscard]] char* TakeOutput(std::size_t* length = nullptr);

  // Found entries of the last completed run that the format cannot carry and were left out.
  [[nodiscard]] std::size_t LeftOutCount() const { return left_out_.load(); }

  // Fixes the identity, date and system lines instead of the current ones (for comparing output
  // byte for byte); the path always comes from Start. Owner thread, before Start.
  void SetFixedHeader(std::optional<DocumentHeader> header) { fixed_header_ = std::move(header); }

 protected:
  // 0 after publishing, ERROR_CANCELLED (1223) when stopped (nothing published), or
  // ERROR_NOT_ENOUGH_MEMORY (nothing published).
  DWORD Run() override;
  // Counted in ActiveWorkerCount while the thread runs, as every worker of the cycle is, so that
  // the freeze indicator covers this phase too.
  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  struct Output {
    char* bytes;
    std::size_t length;
  };
  void Publish(Output* output);

  // Guarded by lock_.
  std::wstring path_text_;
  CNObjectArray<CVemoEntry> entries_{false};
  std::optional<DocumentHeader> fixed_header_;

  std::atomic<std::size_t> current_{0};
  std::atomic<std::size_t> total_{0};
  std::atomic<std::size_t> left_out_{0};
  std::atomic<Output*> output_{nullptr};
};
