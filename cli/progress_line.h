// The progress line on standard error while it is a terminal: the document's own status texts
// (count, rate, remaining time, phase) redrawn in place at most four times a second, cut to the
// terminal's width. Cleared before anything else is written. Main thread.
#pragma once
#include <chrono>
#include <string>

class CVemoDoc;

class CliProgressLine {
 public:
  // enabled: whether a line may be drawn at all (standard error is a terminal, not suppressed).
  explicit CliProgressLine(bool enabled) : enabled_(enabled) {}
  ~CliProgressLine() { Clear(); }
  CliProgressLine(const CliProgressLine&) = delete;
  CliProgressLine& operator=(const CliProgressLine&) = delete;

  // Redraws the line from doc's status texts unless it was drawn less than 250 ms ago.
  void Show(const CVemoDoc& doc);
  // Erases the line if one is drawn.
  void Clear();

 private:
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};
