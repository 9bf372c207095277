#include "ui/framework/idle_loop.h"

#include <QApplication>
#include <QEvent>

#include "ui/framework/memory_guard.h"

CNIdleLoop::CNIdleLoop(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &CNIdleLoop::Step);
  qApp->installEventFilter(this);
  timer_.start();
}

CNIdleLoop::~CNIdleLoop() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

void CNIdleLoop::Restart() {
  count_ = 0;
  ++restarts_;
  if (!timer_.isActive()) timer_.start();
}

bool CNIdleLoop::eventFilter(QObject* watched, QEvent* event) {
  bool counts = event->spontaneous();
  switch (event->type()) {
    case QEvent::Timer:
      counts = watched != &timer_;
      break;
    case QEvent::MetaCall:
      counts = true;
      break;
    case QEvent::Paint:
    case QEvent::UpdateRequest:
      // Repaints do not restart the idle sequence, as with the classic loop.
      counts = false;
      break;
    default:
      break;
  }
  if (counts) Restart();
  return QObject::eventFilter(watched, event);
}

void CNIdleLoop::Step() {
  if (in_handler_ || QApplication::activeModalWidget() != nullptr) return;
  in_handler_ = true;
  const unsigned long restarts = restarts_;
  const bool more = RunGuardingMemory([&] { return handler_(count_); }, true);
  in_handler_ = false;
  // An event during the handler (a nested loop) has restarted the count already.
  if (restarts_ == restarts) ++count_;
  if (more || count_ == 0) timer_.start();
}
