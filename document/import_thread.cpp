#include "document/import_thread.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "document/document_decoding.h"
#include "document/document_format.h"
#include "document/entry_line_reader.h"
#include "foundation/format_text.h"
#include "foundation/mutex_lock.h"
#include "foundation/process_values.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/timeout.h"

namespace {

constexpr wchar_t kStatusSuffix[] = L"% Importing Vemo data ...";

// Lines as SplitLines has them: CR LF, a lone CR and a lone LF each end a line; what follows the
// last line end is one more line.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text)
      : begin_(text.data()), end_(text.data() + text.size()), next_cr_(begin_), next_lf_(begin_) {
    Find('\r', next_cr_, begin_);
    Find('\n', next_lf_, begin_);
  }
  // The next line; false after the last one.
  bool Next(std::string_view& line) {
    if (done_) return false;
    const char* begin = begin_ + pos_;
    // The next CR and the next LF are each found with memchr and remembered until passed.
    if (next_cr_ < begin) Find('\r', next_cr_, begin);
    if (next_lf_ < begin) Find('\n', next_lf_, begin);
    const char* p = next_cr_ < next_lf_ ? next_cr_ : next_lf_;
    line = std::string_view(begin, static_cast<std::size_t>(p - begin));
    if (p == end_) {
      done_ = true;
    } else {
      pos_ = static_cast<std::size_t>(p - begin_) + 1;
      if (*p == '\r' && p + 1 != end_ && p[1] == '\n') ++pos_;
    }
    return true;
  }

 private:
  void Find(char c, const char*& at, const char* from) const {
    const void* found =
        from == end_ ? nullptr : std::memchr(from, c, static_cast<std::size_t>(end_ - from));
    at = found == nullptr ? end_ : static_cast<const char*>(found);
  }

  const char* begin_;
  const char* end_;
  const char* next_cr_;
  const char* next_lf_;
  std::size_t pos_ = 0;
  bool done_ = false;
};

std::size_t CountLines(std::string_view text) {
  std::size_t lines = 0;
  LineCursor cursor(text);
  std::string_view line;
  while (cursor.Next(line)) ++lines;
  return lines;
}

bool MayBeEntryLine(std::string_view line) {
  return !line.empty() && (line[0] == ' ' || (line[0] >= '0' && line[0] <= '9'));
}

}  // namespace

CVemoImportThread::CVemoImportThread() = default;

CVemoImportThread::~CVemoImportThread() { StopAndClear(); }

bool CVemoImportThread::Start(std::wstring baseDir, CNByteBuffer fileBytes, KeyCase keyCase) {
  return StartWith(std::move(baseDir), std::move(fileBytes), {}, keyCase);
}

bool CVemoImportThread::StartReading(std::wstring baseDir, const CNByteBuffer& fileBytes,
                                     KeyCase keyCase) {
  if (fileBytes.GetChunkCount() > 1) {
    CNByteBuffer copy(fileBytes);
    if (copy.GetLength() != fileBytes.GetLength()) return false;  // the copy set the last error
    return Start(std::move(baseDir), std::move(copy), keyCase);
  }
  std::string_view bytes;
  if (fileBytes.GetChunkCount() == 1) {
    const std::span<const BYTE> chunk = fileBytes.GetChunk(0);
    bytes = std::string_view(reinterpret_cast<const char*>(chunk.data()), chunk.size());
  }
  return StartWith(std::move(baseDir), CNByteBuffer(), bytes, keyCase);
}

bool CVemoImportThread::StartWith(std::wstring baseDir, CNByteBuffer fileBytes,
                                  std::string_view borrowed, KeyCase keyCase) {
  Stop(INFINITE);
  {
    CNMutexLock lock(lock_);
    result_.reset();
    base_dir_ = std::move(baseDir);
    file_bytes_ = std::move(fileBytes);
    borrowed_bytes_ = borrowed;
    key_case_ = keyCase;
  }
  directory_count_ = 0;
  file_count_ = 0;
  read_list_line_ = false;
  return CNWorkerThread::Start();
}

std::wstring CVemoImportThread::GetStatusText() {
  CNMutexLock lock(lock_);
  return status_text_;
}

void CVemoImportThread::SetStatusText(std::wstring text) {
  CNMutexLock lock(lock_);
  status_text_ = std::move(text);
}

CNByteBuffer CVemoImportThread::TakeFileBytes() {
  // Handed over, not copied: a copy of a list of a million entries held the window for a
  // quarter of a second.
  CNMutexLock lock(lock_);
  return std::move(file_bytes_);
}

std::unique_ptr<CVemoEntryList> CVemoImportThread::TakeResultList() {
  CNMutexLock lock(lock_);
  return std::move(result_);
}

void CVemoImportThread::StopAndClear() {
  Stop(INFINITE);
  CNMutexLock lock(lock_);
  result_.reset();
  file_bytes_.Clear();
  borrowed_bytes_ = {};
}

void CVemoImportThread::OnThreadStart() { ActiveWorkerCount.fetch_add(1); }

void CVemoImportThread::OnThreadEnd() { ActiveWorkerCount.fetch_sub(1); }

DWORD CVemoImportThread::Run() {
  std::wstring baseDir;
  KeyCase keyCase;
  std::string_view text;
  {
    CNMutexLock lock(lock_);
    baseDir = base_dir_;
    keyCase = key_case_;
    text = borrowed_bytes_;
    if (!file_bytes_.IsEmpty()) {
      const BYTE* flat = file_bytes_.Flatten();
      if (flat == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
      text = std::string_view(reinterpret_cast<const char*>(flat), file_bytes_.GetLength());
    }
  }

  try {
    std::string converted;
    switch (DecodeDocumentBytes(text, converted)) {
      case DocumentDecoding::kUnknown:
        return ERROR_INVALID_DATA;
      case DocumentDecoding::kAsIs:
        break;
      case DocumentDecoding::kConverted: {
        const std::size_t length = converted.size();
        void* block = std::malloc(length == 0 ? 1 : length);
        if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
        std::memcpy(block, converted.data(), length);
        CNMutexLock lock(lock_);
        file_bytes_.Clear();
        if (length == 0) {
          std::free(block);
        } else if (!file_bytes_.Adopt(block, length)) {
          return ERROR_NOT_ENOUGH_MEMORY;
        }
        text = std::string_view(static_cast<const char*>(block), length);
        break;
      }
    }

    const std::size_t lineCount = CountLines(text);
    auto list = std::make_unique<CVemoEntryList>();
    // The entries outlive the arena: its blocks go when their last entry does.
    CVemoEntryArena arena;
    CVemoEntryLineReader reader(SharedText(std::move(baseDir)), keyCase, &arena);
    LineCursor cursor(text);
    std::string_view bytes;
    std::wstring line;
    std::size_t shownPercent = 101;  // none shown yet
    bool listLine = false;
    for (std::size_t k = 1; cursor.Next(bytes); ++k) {
      if (!CheckContinue()) return 0;  // the partial list dies with `list`
      // The text only changes with the percentage; a million lock round trips would show nothing
      // more.
      const std::size_t percent = k * 100 / lineCount;
      if (percent != shownPercent) {
        shownPercent = percent;
        SetStatusText(FormatInt(static_cast<std::int32_t>(percent), 10, 2, L'0') + kStatusSuffix);
      }
      if (!MayBeEntryLine(bytes)) {
        listLine = listLine || IsHeaderOrTrailerLine(bytes);
        continue;
      }
      DecodeDocumentText(bytes, line);
      std::unique_ptr<CVemoEntry> entry = reader.ParseEntryLine(line);
      if (!entry) continue;
      listLine = true;
      const bool directory = entry->m_stored.IsDirectory();
      if (list->AddTail(entry.get()) == list->End()) return ERROR_NOT_ENOUGH_MEMORY;
      entry.release();
      ++(directory ? directory_count_ : file_count_);
    }
    read_list_line_ = listLine;
    CNMutexLock lock(lock_);
    result_ = std::move(list);
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  return 0;
}
