// CNIdleLoop: the classic idle processing on Qt's event loop. After an event the count restarts
// at 0; while no event waits, the handler is called with the count, which rises by one per call
// for as long as the handler answers true. An answer of false stops the calls until the next
// event.
//
// "Waiting" uses Qt's zero-timeout timer, which fires only once the window system's queue is
// empty. What counts as an event: anything from the window system (input, exposure, activation),
// timer events other than the loop's own, and queued calls (posted work). Events that the idle
// work itself causes by repainting are not counted, so an idle pass never restarts itself.
//
// The handler is not called while a modal dialog runs (as with the classic modal loops) nor
// re-entered from an event loop nested in the handler itself (a message box). User-interface
// thread only; one loop per application.
#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

class CNIdleLoop : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<bool(long count)>;
  explicit CNIdleLoop(Handler handler, QObject* parent = nullptr);
  ~CNIdleLoop() override;

  [[nodiscard]] long Count() const { return count_; }
  // Restarts the count at 0 and schedules the handler (as an event would).
  void Restart();
  // Whether the handler is running (possibly inside a nested event loop).
  [[nodiscard]] bool InHandler() const { return in_handler_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step();

  Handler handler_;
  QTimer timer_;
  long count_ = 0;
  unsigned long restarts_ = 0;
  bool in_handler_ = false;
};
