// The folder dialog, a service of the GUI host: the layers below the GUI ask for a folder through
// this interface and never name a toolkit. The GUI implements it; tests put a scripted one in.
#pragma once
#include <string>
#include <string_view>

// The owner window as the GUI knows it; opaque below the GUI. Null: no owner.
using CNWindowHandle = void*;

// Given as the initial folder, roots the dialog at the network places and selects nothing.
inline constexpr std::wstring_view kNetworkNeighborhood = L"Network Neighborhood";

class CNFolderDialog {
 public:
  virtual ~CNFolderDialog() = default;

  // Shows a modal dialog, titled title, that lets the user choose a file-system folder, starting at
  // folder (selected when it exists). True with folder set to the chosen absolute path; false when
  // the user cancels or no file-system path results, with folder's contents then of no use.
  // User-interface thread only.
  [[nodiscard]] virtual bool BrowseForFolder(std::wstring& folder, CNWindowHandle owner,
                                             std::wstring_view title) = 0;
};
