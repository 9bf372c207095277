// Common base of the entry records. It lets a record travel as an untyped update hint
// (`const CVemoRecord*`) and be told apart again with dynamic_cast or GetRuntimeClassName, the way
// the views recognise an entry among hints. Records are never serialised as objects; the document
// file is written and read line by line.
#pragma once

class CVemoRecord {
 public:
  virtual ~CVemoRecord() = default;
  // "CVemoEntry" or "CVemoScanEntry".
  [[nodiscard]] virtual const char* GetRuntimeClassName() const = 0;

 protected:
  CVemoRecord() = default;
  CVemoRecord(const CVemoRecord&) = default;
  CVemoRecord& operator=(const CVemoRecord&) = default;
};
