// Wait time-outs in milliseconds, as every waiting call of the program takes them.
#pragma once
#include "platform/win_types.h"

// Waits without limit.
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
