// The process-wide identity captured once at start-up: the program's version information and the
// computer's name, both written into every document header.
//
// Each is filled on first use (start-up calls both before any worker thread exists) and is
// read-only afterwards, so any thread may read it without a lock.
#pragma once
#include <string>

#include "foundation/version_info.h"

// The running program's version information (LoadFromModule).
[[nodiscard]] const CNVersionInfo& ProgramIdentity();

// The host name; empty when the system does not give one.
[[nodiscard]] const std::wstring& ComputerName();
