#include "ui/framework/keyboard_locks.h"

#include <QGuiApplication>

#ifdef VEMO_HAVE_X11
#include <X11/XKBlib.h>
#endif

CNKeyboardLocks QueryKeyboardLocks() {
  CNKeyboardLocks locks;
#ifdef VEMO_HAVE_X11
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->display() == nullptr) return locks;
  unsigned int state = 0;
  if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) != Success) return locks;
  // The core keyboard's first three indicators are Caps Lock, Num Lock and Scroll Lock.
  locks.caps = (state & 0x1) != 0;
  locks.num = (state & 0x2) != 0;
  locks.scroll = (state & 0x4) != 0;
#endif
  return locks;
}
