#include "engine/crc_table_cache.h"

#include <limits>

CCrcTableCache& CCrcTableCache::Instance() {
  static CCrcTableCache cache;
  return cache;
}

bool CCrcTableCache::Lookup(DWORD polynomial, CCrc& out) {
  std::lock_guard lock(m_lock);
  for (auto& slot : m_slots) {
    if (slot && slot->m_dwPolynomial == polynomial) {
      // Saturates so that a long-lived favourite never wraps to the least used.
      if (slot->m_dwRegister != std::numeric_limits<DWORD>::max()) ++slot->m_dwRegister;
      out = *slot;
      return true;
    }
  }
  return false;
}

void CCrcTableCache::Insert(const CCrc& built) {
  auto copy = std::make_unique<CCrc>(built);
  copy->m_dwRegister = 0;
  std::lock_guard lock(m_lock);
  std::unique_ptr<CCrc>* victim = nullptr;
  for (auto& slot : m_slots) {
    if (!slot) {
      if (!victim || *victim) victim = &slot;
      continue;
    }
    if (slot->m_dwPolynomial == built.m_dwPolynomial) return;
    if (!victim || (*victim && slot->m_dwRegister < (*victim)->m_dwRegister)) victim = &slot;
  }
  *victim = std::move(copy);
}
