#include "platform/stat_attributes.h"

#include "platform/file_attributes.h"

namespace platform {

DWORD AttributesFromStat(std::string_view name, const struct stat& st) {
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (S_ISLNK(st.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  } else if ((st.st_mode & S_IWUSR) == 0) {
    attributes |= FILE_ATTRIBUTE_READONLY;
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  return attributes;
}

}  // namespace platform
