// CVemoDocHost: what a checksum document needs of the application around it — message boxes,
// view updates, the save-as and folder dialogs, opening another document, the completion sound,
// closing the document's frames — so that the document itself names no toolkit. The GUI, the
// command line and the tests each implement it.
//
// Every call comes from the user-interface thread that owns the document, and may show modal UI.
// The host outlives every document it is given to. Calls that "post" (CloseDocumentFrames,
// PostCloseOnNoDocument) must not close anything before they return: the document is still
// inside its own idle step then; the host acts on them from its own loop. For the same reason a
// host must not close or destroy a document while one of the document's calls into it runs (a
// message box with a nested event loop); PollWork refuses to be re-entered from such a loop.
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "platform/win_types.h"

class CVemoDoc;
class CVemoEntry;

// Message box styles (the Windows values, so that hosts can map them one to one).
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
inline constexpr UINT MB_SETFOREGROUND = 0x10000;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONMASK = 0xF0;

// Message box answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// View update hints, four-character codes.
// The entries or the phase changed: rebuild or refresh the list. No argument.
inline constexpr DWORD RFSH = 0x52465348;
// Redraw the row of one entry (the entry argument).
inline constexpr DWORD RDRW = 0x52445257;
// The document is about to delete or replace entries: drop every stored entry pointer now, before
// the deletion; an RFSH follows once the entries are settled. No argument.
inline constexpr DWORD RCLR = 0x52434C52;
// Fit the width of one list column to its contents (the column argument, 0..10).
inline constexpr DWORD ACOL = 0x41434F4C;

class CVemoDocHost {
 public:
  virtual ~CVemoDocHost() = default;

  // A modal message box owned by the main window; caption empty means the program's name. Lines
  // of text are separated by "\r" (or "\n"). Returns IDOK, IDYES, IDNO or IDCANCEL.
  virtual int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT style) = 0;

  // The same box, its text given line by line: the document shows every message so, a path
  // being a line of its own. A line never breaks, whatever it holds (a name on Linux may contain
  // a line break); line breaks at a line's end only end it. This default joins the lines for
  // ShowMessageBox with "\r" (or with a line's own trailing line break), writing a carriage return
  // or line feed inside a line as the two characters "\r" or "\n"; a host that can show lines as
  // they are (the command line, escaping as it escapes names) overrides it.
  virtual int ShowMessageLines(std::span<const std::wstring> lines, std::wstring_view caption,
                               UINT style);

  // Passes a hint to every view of doc: RFSH (entry null, column -1), RDRW (the entry, which stays
  // valid only during the call), ACOL (entry null, the column).
  virtual void UpdateAllViews(CVemoDoc& doc, DWORD hint, const CVemoEntry* entry, int column) = 0;

  // The save-as dialog: asks for the file to save to, starting from path. True with path set to
  // the chosen file; false when the user cancels. replace: the document will take the new name
  // (Save As) rather than write a copy (Save Copy As).
  [[nodiscard]] virtual bool PromptSaveFileName(std::wstring& path, bool replace) = 0;

  // The folder dialog, owned by the main window: true with folder set to the chosen absolute
  // directory, false when cancelled.
  [[nodiscard]] virtual bool BrowseForFolder(std::wstring& folder, std::wstring_view title) = 0;

  // Asks the application to open the document file at path (a new document of its own, or the
  // one already open for it). Called from inside a new document that then fails.
  virtual void OpenDocumentFile(const std::wstring& path) = 0;

  // Whether the system's foreground window is this program's active window (the user is looking
  // at the program). A host without windows answers as it likes the completion sound to behave.
  [[nodiscard]] virtual bool IsActiveInForeground() = 0;
  // Plays the system's default beep without waiting for it.
  virtual void PlayCompletionSound() = 0;

  // Posts a close request to every frame that shows doc; the frames later close through the
  // usual path (SaveModified, OnCloseDocument).
  virtual void CloseDocumentFrames(CVemoDoc& doc) = 0;
  // Posts the close-on-no-document message to the main window, which closes itself when no
  // document is left.
  virtual void PostCloseOnNoDocument() = 0;

  // The framework's name for an untitled document ("Untitled").
  [[nodiscard]] virtual std::wstring UntitledName() { return L"Untitled"; }
  // The document's title changed (frames show it as their caption).
  virtual void OnTitleChanged(CVemoDoc& /*doc*/) {}
};
