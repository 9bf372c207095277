// CNRecentFileList: the most recently used documents, newest first, at most 10. Kept in the
// registry store as the classic framework keeps it: key "Recent File List" below the
// application's key, values "File1" ... "File10" (REG_SZ, absolute paths).
//
// The list shows itself in a menu at the position of a place holder action ("Recent File",
// disabled): the entries "&1 /path/file.sum" ... replace the place holder while the list is not
// empty. Menus are rebuilt when the window changes; each AttachPlaceholder replaces what was shown
// in that menu before, and a destroyed menu is forgotten. Choosing an entry emits OpenRequested.
//
// Paths are the program's wide paths (PathToQString / PathFromQString at the Qt boundary). Load
// and Save report registry failures by their result only (the list stays as it was in memory).
// User-interface thread only.
#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <string>
#include <vector>

class QAction;
class QMenu;

class CNRecentFileList : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxEntries = 10;
  static constexpr wchar_t kSection[] = L"Recent File List";

  // application_key: e.g. L"HKCU\\Software\\Tovak\\Vemo" (with or without a final backslash).
  explicit CNRecentFileList(std::wstring application_key, int max_entries = kMaxEntries,
                            QObject* parent = nullptr);

  // Puts path in front (an entry equal to it moves there); the oldest falls off the end.
  void Add(const std::wstring& path);
  // Removes entry i (out of range: nothing).
  void Remove(int i);
  [[nodiscard]] const std::wstring& Path(int i) const { return paths_.at(static_cast<size_t>(i)); }
  [[nodiscard]] int Count() const { return static_cast<int>(paths_.size()); }
  [[nodiscard]] int MaxEntries() const { return max_entries_; }

  // Reads File1..FileN (missing or unusable values are skipped); false when the key cannot be
  // read (the list is then empty).
  bool Load();
  // Writes File1..FileN for the entries and removes the values of unused numbers.
  bool Save() const;

  // Shows the list in menu at placeholder's position (see above).
  void AttachPlaceholder(QMenu* menu, QAction* placeholder);
  // The menu text of entry i: "&1 /path", "1&0 /path"; ampersands of the path doubled.
  [[nodiscard]] QString MenuText(int i) const;

 signals:
  // Entry index was chosen in a menu.
  void OpenRequested(int index);

 private:
  struct Attachment {
    QPointer<QMenu> menu;
    QPointer<QAction> placeholder;
    std::vector<QPointer<QAction>> items;
  };
  void Refresh();
  void Refresh(Attachment& attachment);
  [[nodiscard]] std::wstring SectionPath() const;

  std::wstring application_key_;
  int max_entries_;
  std::vector<std::wstring> paths_;
  std::vector<Attachment> attachments_;
};
