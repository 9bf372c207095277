#include "ui/view_host_support.h"

#include <algorithm>

#include "ui/framework/view.h"

namespace vemo_test {

void TestViewHost::Detach(CNView& view) {
  views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
}

int TestViewHost::ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) {
  messages.push_back({std::wstring(text), std::wstring(caption), style});
  if (on_message) on_message();
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  const UINT type = style & MB_TYPEMASK;
  return type == MB_OK ? IDOK : IDNO;
}

void TestViewHost::UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) {
  hints.push_back(hint);
  if (before_hint) before_hint(hint, entry);
  if (!(drop_entries_going && hint == RCLR)) {
    for (CNView* view : views_) {
      if (&view->GetDocument() == &doc) view->OnUpdate(nullptr, hint, entry, column);
    }
  }
  if (after_hint) after_hint(hint, entry);
}

std::size_t TestViewHost::CountHints(DWORD hint) const {
  return static_cast<std::size_t>(std::count(hints.begin(), hints.end(), hint));
}

}  // namespace vemo_test
