#include "cli/move_pairing.h"

#include <string_view>

#include "document/entries/entry.h"

namespace {

constexpr std::size_t kNone = ~std::size_t{0};

// What identifies contents: the size and both checksums.
struct ContentKey {
  ULONGLONG size;
  DWORD crc1;
  DWORD crc2;
  bool operator==(const ContentKey&) const = default;
};

struct ContentKeyHash {
  std::size_t operator()(const ContentKey& key) const {
    // The checksums are already well mixed; the size spreads equal checksums of other sizes.
    const std::uint64_t crcs = (std::uint64_t{key.crc1} << 32) | key.crc2;
    return static_cast<std::size_t>(crcs ^ (key.size * 0x9E3779B97F4A7C15ull));
  }
};

ContentKey KeyOf(const FileState& state) { return {state.size, state.dwCrc1, state.dwCrc2}; }

// Missing and new files with contents of this key, and the first of each.
struct Group {
  std::uint32_t missing = 0;
  std::uint32_t added = 0;
  std::size_t first_missing = kNone;
  std::size_t first_added = kNone;
};

// Calls fn(directory index, directory path) for each missing directory above `path`, nearest
// first. Missing directories above an entry form an unbroken chain from its parent upward: a
// directory that exists has every directory above it existing too.
template <typename PathIndex, typename Fn>
void ForEachMissingAncestor(std::wstring_view path, const PathIndex& missing_dirs, Fn&& fn) {
  std::size_t end = path.size();
  if (end > 0 && path[end - 1] == L'/') --end;  // a directory's own '/'
  while (end > 0) {
    const std::size_t slash = path.rfind(L'/', end - 1);
    if (slash == std::wstring_view::npos) return;
    const std::wstring_view dir = path.substr(0, slash + 1);
    const auto it = missing_dirs.find(dir);
    if (it == missing_dirs.end()) return;
    fn(it->second, dir);
    end = slash;
  }
}

}  // namespace

MovePairing::PathIndex MovePairing::IndexByPath(const std::vector<Item>& items) {
  PathIndex index;
  index.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) index.emplace(items[i].path, i);
  return index;
}

void MovePairing::Add(const CVemoEntry& entry, ReportCategory category) {
  if (category != ReportCategory::kMissing && category != ReportCategory::kNew) return;
  Item item{&entry, RelativeEntryPath(entry)};
  const bool missing = category == ReportCategory::kMissing;
  if (entry.IsDirectory()) {
    (missing ? missing_dirs_ : new_dirs_).push_back(std::move(item));
  } else {
    (missing ? missing_files_ : new_files_).push_back(std::move(item));
  }
}

const MovePairing::Match* MovePairing::Find(const CVemoEntry& entry) const {
  const auto it = matches_.find(&entry);
  return it == matches_.end() ? nullptr : &it->second;
}

void MovePairing::Pair() {
  matches_.reserve(2 * (missing_files_.size() + missing_dirs_.size()));
  PairFiles();
  if (!missing_dirs_.empty() && !new_dirs_.empty()) {
    missing_dir_index_ = IndexByPath(missing_dirs_);
    new_dir_index_ = IndexByPath(new_dirs_);
    new_file_index_ = IndexByPath(new_files_);
    FindFolderMoves();
    AssignFolderMoves();
  }
  for (std::size_t i = 0; i < missing_files_.size(); ++i) {
    const std::size_t j = pair_of_missing_[i];
    if (j == kNone) continue;
    const CVemoEntry* from = missing_files_[i].entry;
    // A file that came with a moved directory was taken over by AssignFolderMoves.
    if (matches_.contains(from)) continue;
    matches_[from] = Match{Role::kLeft};
    matches_[new_files_[j].entry] = Match{Role::kMovedFile, from};
  }
}

void MovePairing::PairFiles() {
  pair_of_missing_.assign(missing_files_.size(), kNone);
  if (missing_files_.empty() || new_files_.empty()) return;
  std::unordered_map<ContentKey, Group, ContentKeyHash> groups;
  groups.reserve(missing_files_.size() + new_files_.size());
  auto pairable = [](const FileState& state) { return state.HasChecksums() && state.size != 0; };
  for (std::size_t i = 0; i < missing_files_.size(); ++i) {
    const FileState& listed = missing_files_[i].entry->m_stored;
    if (!pairable(listed)) continue;
    Group& group = groups[KeyOf(listed)];
    if (group.missing++ == 0) group.first_missing = i;
  }
  for (std::size_t j = 0; j < new_files_.size(); ++j) {
    const FileState& found = new_files_[j].entry->m_current;
    if (!pairable(found)) continue;
    // Contents no missing file had are not looked at again.
    const auto it = groups.find(KeyOf(found));
    if (it == groups.end()) continue;
    if (it->second.added++ == 0) it->second.first_added = j;
  }
  auto unpaired = [this](const CVemoEntry* entry, const Group& group) {
    Match match{Role::kUnpaired};
    match.missing_alike = group.missing;
    match.new_alike = group.added;
    matches_[entry] = match;
  };
  for (std::size_t i = 0; i < missing_files_.size(); ++i) {
    const FileState& listed = missing_files_[i].entry->m_stored;
    if (!pairable(listed)) continue;
    const Group& group = groups.find(KeyOf(listed))->second;
    if (group.added == 0) continue;
    if (group.missing == 1 && group.added == 1) {
      pair_of_missing_[i] = group.first_added;
    } else {
      unpaired(missing_files_[i].entry, group);
    }
  }
  for (const Item& item : new_files_) {
    const FileState& found = item.entry->m_current;
    if (!pairable(found)) continue;
    const auto it = groups.find(KeyOf(found));
    if (it == groups.end()) continue;
    if (it->second.missing > 1 || it->second.added > 1) unpaired(item.entry, it->second);
  }
}

void MovePairing::FindFolderMoves() {
  folders_.assign(missing_dirs_.size(), FolderMove{});
  const PathIndex& missing_dirs = missing_dir_index_;
  // The new directory that each paired file's new place implies for every missing directory above
  // it: the old path is D + s, the new one must be N + s with the same s.
  for (std::size_t i = 0; i < missing_files_.size(); ++i) {
    const std::size_t j = pair_of_missing_[i];
    if (j == kNone) continue;
    const std::wstring_view from = missing_files_[i].path;
    const std::wstring_view to = new_files_[j].path;
    ForEachMissingAncestor(from, missing_dirs, [&](std::size_t d, std::wstring_view dir) {
      FolderMove& folder = folders_[d];
      if (folder.broken) return;
      const std::wstring_view rest = from.substr(dir.size());
      if (to.size() <= rest.size() || !to.ends_with(rest) ||
          to[to.size() - rest.size() - 1] != L'/') {
        folder.broken = true;
        return;
      }
      const std::wstring_view target = to.substr(0, to.size() - rest.size());
      if (folder.target.empty()) {
        folder.target = target;
      } else if (folder.target != target) {
        folder.broken = true;
      }
    });
  }
  // Every file under the directory must have gone there: paired with its place in the new
  // directory, or, when it could not be paired (empty, or alike to others), found there as a new
  // file of the same contents that no other missing file was paired with.
  const PathIndex& new_files = new_file_index_;
  std::vector<bool> taken(new_files_.size(), false);
  for (std::size_t j : pair_of_missing_) {
    if (j != kNone) taken[j] = true;
  }
  std::wstring counterpart;
  for (std::size_t i = 0; i < missing_files_.size(); ++i) {
    const bool paired = pair_of_missing_[i] != kNone;
    const Item& item = missing_files_[i];
    ForEachMissingAncestor(item.path, missing_dirs, [&](std::size_t d, std::wstring_view dir) {
      FolderMove& folder = folders_[d];
      ++folder.files;
      if (folder.broken || paired) return;
      if (folder.target.empty()) {
        folder.broken = true;
        return;
      }
      counterpart.assign(folder.target);
      counterpart.append(std::wstring_view(item.path).substr(dir.size()));
      const auto it = new_files.find(counterpart);
      const FileState& listed = item.entry->m_stored;
      if (it == new_files.end() || taken[it->second] || !listed.HasChecksums() ||
          !(KeyOf(listed) == KeyOf(new_files_[it->second].entry->m_current))) {
        folder.broken = true;
      }
    });
  }
  // A new directory claimed by two missing ones is the move of neither.
  const PathIndex& new_dirs = new_dir_index_;
  std::unordered_map<std::wstring_view, std::uint32_t> claims;
  for (FolderMove& folder : folders_) {
    folder.is_move = !folder.broken && folder.files > 0 && !folder.target.empty() &&
                     new_dirs.contains(folder.target);
    if (folder.is_move) ++claims[folder.target];
  }
  for (FolderMove& folder : folders_) {
    if (folder.is_move && claims[folder.target] > 1) folder.is_move = false;
  }
}

void MovePairing::AssignFolderMoves() {
  const PathIndex& missing_dirs = missing_dir_index_;
  const PathIndex& new_dirs = new_dir_index_;
  const PathIndex& new_files = new_file_index_;
  // The outermost moved directory above a path (kNone when there is none).
  auto outermost_move = [&](std::wstring_view path) {
    std::size_t found = kNone;
    ForEachMissingAncestor(path, missing_dirs, [&](std::size_t d, std::wstring_view) {
      if (folders_[d].is_move) found = d;
    });
    return found;
  };
  // The new entry at `path` relative to the moved directory d, in `index` over `items`.
  std::wstring place;
  auto new_place = [&](std::size_t d, std::wstring_view path, const PathIndex& index,
                       const std::vector<Item>& items) -> const CVemoEntry* {
    place.assign(folders_[d].target);
    place.append(path.substr(missing_dirs_[d].path.size()));
    const auto it = index.find(place);
    return it == index.end() ? nullptr : items[it->second].entry;
  };
  for (std::size_t d = 0; d < missing_dirs_.size(); ++d) {
    const std::size_t outer = outermost_move(missing_dirs_[d].path);
    if (outer == kNone) {
      if (!folders_[d].is_move) continue;
      const auto it = new_dirs.find(folders_[d].target);
      Match match{Role::kMovedFolder, missing_dirs_[d].entry};
      match.files = folders_[d].files;
      matches_[new_dirs_[it->second].entry] = match;
      matches_[missing_dirs_[d].entry] = Match{Role::kLeft};
      continue;
    }
    // A subdirectory of a moved directory: moved with it when it is there too (an empty one
    // left behind stays missing).
    if (const CVemoEntry* moved = new_place(outer, missing_dirs_[d].path, new_dirs, new_dirs_)) {
      matches_[moved] = Match{Role::kInsideMove};
      matches_[missing_dirs_[d].entry] = Match{Role::kLeft};
    }
  }
  for (const Item& item : missing_files_) {
    const std::size_t outer = outermost_move(item.path);
    if (outer == kNone) continue;
    // FindFolderMoves made sure that the new place exists and holds the same contents.
    const CVemoEntry* moved = new_place(outer, item.path, new_files, new_files_);
    if (moved == nullptr) continue;
    matches_[moved] = Match{Role::kInsideMove};
    matches_[item.entry] = Match{Role::kLeft};
  }
}
