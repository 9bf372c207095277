// CVemoPollBudget: the time one idle step may spend on a long phase step (adopting a million
// loaded entries, merging the walk's records) before it gives the event loop back, so that the
// window keeps answering input. The step does one item, then asks Spent(); the clock is read
// every few items only.
#pragma once
#include <chrono>

class CVemoPollBudget {
 public:
  using Clock = std::chrono::steady_clock;

  // A budget of kUnlimited is never spent.
  static constexpr std::chrono::microseconds kUnlimited = std::chrono::microseconds::max();

  CVemoPollBudget() = default;
  explicit CVemoPollBudget(std::chrono::microseconds budget)
      : deadline_(budget == kUnlimited ? Clock::time_point::max() : Clock::now() + budget),
        stride_(budget > std::chrono::microseconds::zero() ? 64 : 1) {}

  // True once the budget is used up; a budget of zero is spent after every item.
  [[nodiscard]] bool Spent() {
    if (++count_ < stride_) return false;
    count_ = 0;
    return Clock::now() >= deadline_;
  }

 private:
  Clock::time_point deadline_{};
  unsigned stride_ = 1;
  unsigned count_ = 0;
};
