#include "ui/framework/recent_file_list.h"

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <utility>

#include "foundation/reg_data.h"
#include "foundation/reg_key.h"
#include "platform/registry.h"
#include "ui/framework/qt_text.h"

namespace {

std::wstring ValueName(int i) { return L"File" + std::to_wstring(i + 1); }

// Long paths keep their first folder and as many of their last parts as fit, so that the menu
// stays narrow and the file name always shows.
QString AbbreviatePath(const QString& path) {
  constexpr int kMaxLength = 60;
  if (path.size() <= kMaxLength) return path;
  const QStringList parts = path.split(QLatin1Char('/'));
  if (parts.size() < 4) return path;
  QString tail = parts.last();
  for (qsizetype i = parts.size() - 2; i > 1; --i) {
    const QString longer = parts[i] + QLatin1Char('/') + tail;
    if (parts[1].size() + longer.size() + 6 > kMaxLength) break;
    tail = longer;
  }
  return QLatin1Char('/') + parts[1] + QStringLiteral("/.../") + tail;
}

}  // namespace

CNRecentFileList::CNRecentFileList(std::wstring application_key, int max_entries, QObject* parent)
    : QObject(parent), application_key_(std::move(application_key)), max_entries_(max_entries) {
  while (!application_key_.empty() && application_key_.back() == L'\\') application_key_.pop_back();
}

std::wstring CNRecentFileList::SectionPath() const { return application_key_ + L"\\" + kSection; }

void CNRecentFileList::Add(const std::wstring& path) {
  if (path.empty()) return;
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
  paths_.insert(paths_.begin(), path);
  if (Count() > max_entries_) paths_.resize(static_cast<size_t>(max_entries_));
  Refresh();
}

void CNRecentFileList::Remove(int i) {
  if (i < 0 || i >= Count()) return;
  paths_.erase(paths_.begin() + i);
  Refresh();
}

bool CNRecentFileList::Load() {
  paths_.clear();
  CNRegKey key;
  const bool opened = key.Open(SectionPath().c_str(), KEY_READ);
  if (opened) {
    for (int i = 0; i < max_entries_; ++i) {
      CNRegData data;
      std::wstring path;
      if (!key.QueryValue(ValueName(i).c_str(), data) || !data.AsString(&path, false)) continue;
      if (path.empty() || std::find(paths_.begin(), paths_.end(), path) != paths_.end()) continue;
      paths_.push_back(path);
    }
  }
  Refresh();
  return opened;
}

bool CNRecentFileList::Save() const {
  CNRegKey key;
  if (!key.Open(SectionPath().c_str(), KEY_ALL_ACCESS)) return false;
  bool ok = true;
  for (int i = 0; i < max_entries_; ++i) {
    const std::wstring name = ValueName(i);
    CNRegData old;
    std::wstring old_path;
    const bool present = key.QueryValue(name.c_str(), old) && old.AsString(&old_path, false);
    if (i < Count()) {
      // Each write rewrites the whole store; leave values that already say the same alone.
      if (present && old.GetType() == REG_SZ && old_path == Path(i)) continue;
      ok = key.SetValue(name.c_str(), CNRegData(std::wstring_view(Path(i)), REG_SZ)) && ok;
    } else if (present || old.GetType() != REG_NONE) {
      ok = platform::DeleteRegistryValue(key.GetHandle(), name) && ok;
    }
  }
  return ok;
}

QString CNRecentFileList::MenuText(int i) const {
  QString number = QString::number(i + 1);
  // The access key is the last digit: "&1" ... "&9", "1&0".
  number.insert(number.size() - 1, QLatin1Char('&'));
  QString path = AbbreviatePath(PathToQString(Path(i)));
  path.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return number + QLatin1Char(' ') + path;
}

void CNRecentFileList::AttachPlaceholder(QMenu* menu, QAction* placeholder) {
  if (menu == nullptr || placeholder == nullptr) return;
  attachments_.erase(
      std::remove_if(attachments_.begin(), attachments_.end(),
                     [menu](const Attachment& a) { return a.menu == nullptr || a.menu == menu; }),
      attachments_.end());
  attachments_.push_back(Attachment{menu, placeholder, {}});
  Refresh(attachments_.back());
}

void CNRecentFileList::Refresh() {
  attachments_.erase(std::remove_if(attachments_.begin(), attachments_.end(),
                                    [](const Attachment& a) {
                                      return a.menu == nullptr || a.placeholder == nullptr;
                                    }),
                     attachments_.end());
  for (Attachment& attachment : attachments_) Refresh(attachment);
}

void CNRecentFileList::Refresh(Attachment& attachment) {
  QMenu* menu = attachment.menu.data();
  // An item may be the one whose trigger led here: it goes when control is back in the loop.
  for (QPointer<QAction>& item : attachment.items) {
    if (item == nullptr) continue;
    if (menu != nullptr) menu->removeAction(item);
    item->deleteLater();
  }
  attachment.items.clear();
  QAction* placeholder = attachment.placeholder.data();
  if (menu == nullptr || placeholder == nullptr) return;
  placeholder->setVisible(paths_.empty());
  for (int i = 0; i < Count(); ++i) {
    auto* item = new QAction(MenuText(i), menu);
    item->setStatusTip(QStringLiteral("Open this document"));
    connect(item, &QAction::triggered, this, [this, i] { emit OpenRequested(i); });
    menu->insertAction(placeholder, item);
    attachment.items.emplace_back(item);
  }
}
