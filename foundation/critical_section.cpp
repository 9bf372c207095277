#include "foundation/critical_section.h"

bool CNCriticalSection::Lock(CNCriticalSection* section) {
  if (section == nullptr || !section->IsValid()) return false;
  section->section_.Enter();
  return true;
}

void CNCriticalSection::Unlock(CNCriticalSection* section) {
  if (section == nullptr || !section->IsValid()) return;
  section->section_.Leave();
}
