// The keyboard's lock keys as the status bar's CAP, NUM and SCRL indicators show them. Read from
// the X server's keyboard indicators (XKB) where the program runs on X11; elsewhere the platform
// does not tell, and every lock reads as off.
#pragma once

struct CNKeyboardLocks {
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

[[nodiscard]] CNKeyboardLocks QueryKeyboardLocks();
