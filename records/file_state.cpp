#include "records/file_state.h"

const FileState& EmptyFileState() {
  static const FileState empty;
  return empty;
}

CNTimeStamp TruncateToSecond(const CNTimeStamp& time) {
  return CNTimeStamp(time.Value() - time.Value() % kTimeStampSecond);
}
