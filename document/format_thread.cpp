#include "document/format_thread.h"

#include <cstdlib>
#include <new>

#include "document/entries/entry.h"
#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"

CVemoFormatThread::CVemoFormatThread() = default;

CVemoFormatThread::~CVemoFormatThread() {
  Stop(INFINITE);
  Publish(nullptr);
}

void CVemoFormatThread::Publish(Output* output) {
  Output* old = output_.exchange(output);
  if (old != nullptr) {
    std::free(old->bytes);
    delete old;
  }
}

bool CVemoFormatThread::Start(std::wstring pathText, const CNObjectKeyMap<CVemoEntry>& entries) {
  if (IsRunning()) {
    platform::SetLastError(ERROR_BUSY);
    return false;
  }
  {
    CNMutexLock lock(lock_);
    path_text_ = std::move(pathText);
    (void)entries.Collect(entries_);
    if (entries_.GetSize() != entries.GetCount()) return false;  // Collect set the last error
  }
  current_ = 0;
  total_ = entries.GetCount();
  Publish(nullptr);
  if (CNWorkerThread::Start()) return true;
  total_ = 0;
  return false;
}

bool CVemoFormatThread::Start(std::wstring pathText, CNObjectArray<CVemoEntry>& entries) {
  if (IsRunning()) {
    platform::SetLastError(ERROR_BUSY);
    return false;
  }
  std::size_t count = 0;
  {
    CNMutexLock lock(lock_);
    path_text_ = std::move(pathText);
    for (CVemoEntry* entry : entries) count += entry != nullptr;
    if (!entries_.SetSize(count)) return false;  // SetSize set the last error
    std::size_t index = 0;
    for (CVemoEntry* entry : entries) {
      if (entry != nullptr) entries_.SetAt(index++, entry);
    }
    entries.RemoveAll(false);
  }
  current_ = 0;
  total_ = count;
  Publish(nullptr);
  if (CNWorkerThread::Start()) return true;
  total_ = 0;
  return false;
}

double CVemoFormatThread::GetProgress() const {
  const std::size_t total = total_.load();
  if (total == 0) return -1.0;
  return static_cast<double>(current_.load()) / static_cast<double>(total);
}

char* CVemoFormatThread::TakeOutput(std::size_t* length) {
  Output* output = output_.exchange(nullptr);
  if (output == nullptr) return nullptr;
  char* bytes = output->bytes;
  if (length != nullptr) *length = output->length;
  delete output;
  return bytes;
}

void CVemoFormatThread::OnThreadStart() { ActiveWorkerCount.fetch_add(1); }

void CVemoFormatThread::OnThreadEnd() { ActiveWorkerCount.fetch_sub(1); }

DWORD CVemoFormatThread::Run() {
  std::wstring pathText;
  CNObjectArray<CVemoEntry> entries(false);
  std::optional<DocumentHeader> fixed;
  {
    CNMutexLock lock(lock_);
    pathText = std::move(path_text_);
    path_text_.clear();
    fixed = fixed_header_;
    // Take the array over; the member is left empty for the next Start.
    if (!entries.SetSize(entries_.GetSize())) return ERROR_NOT_ENOUGH_MEMORY;
    for (std::size_t i = 0; i < entries_.GetSize(); ++i) entries.SetAt(i, entries_.GetAt(i));
    entries_.RemoveAll(false);
  }

  DWORD result = 0;
  {
    DocumentHeader header;
    if (fixed) {
      header = *fixed;
      header.path = std::move(pathText);
    } else {
      header = CurrentDocumentHeader(std::move(pathText));
    }
    CVemoDocumentWriter writer(header);
    writer.Reserve(entries.GetSize());
    for (std::size_t i = 0; i < entries.GetSize(); ++i) {
      current_ = i;
      if (!CheckContinue()) {
        result = ERROR_CANCELLED;
        break;
      }
      writer.AddEntry(*entries[i]);
    }
    if (result == 0) {
      auto* output = new (std::nothrow) Output{nullptr, 0};
      if (output != nullptr) output->bytes = writer.Finish(&output->length);
      if (output == nullptr || output->bytes == nullptr) {
        delete output;
        result = ERROR_NOT_ENOUGH_MEMORY;
      } else {
        left_out_ = writer.LeftOutCount();
        Publish(output);
      }
    }
  }
  total_ = 0;
  return result;
}
