// The document's lifecycle: new documents and their base directory, opening, the warnings while
// reading, saving (refusals, read-only files, copies, failures) and the close prompt.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "document/doc_fixture.h"
#include "document/document_signature.h"
#include "foundation/paths.h"
#include "foundation/process_values.h"
#include "foundation/system_error.h"

namespace vemo_test {
namespace {

// Changes the process's current directory for one test.
class CurrentDirScope {
 public:
  explicit CurrentDirScope(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~CurrentDirScope() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

class DocLifecycleTest : public DocFixture {
 protected:
  // No file appears in the temporary tree but the test's own.
  std::size_t FilesInRoot() const {
    std::size_t n = 0;
    for (const auto& item : std::filesystem::directory_iterator(tree_.root())) {
      (void)item;
      ++n;
    }
    return n;
  }

  // A list of a.txt, then b.txt added to the tree: the list's bytes.
  std::string ListThenAddAFile() {
    File("a.txt", "a");
    CreateAndSaveList();
    std::string listed = ReadBytes(DocPath());
    File("b.txt", "b");
    return listed;
  }
  // Walks that cannot see the tree from now on.
  void FailTheWalks() { fs_.Fail({.call = FsCall::kOpenListing, .error = ERROR_ACCESS_DENIED}); }
  // The document has no text to save: saves are refused and the list stays as listed. Once a
  // whole cycle has formatted the text, the save goes through with b.txt.
  void ExpectSavedOnlyAfterAWholeCycle(CVemoDoc& doc, const std::string& listed) {
    EXPECT_TRUE(doc.GetFileBuffer().IsEmpty());
    EXPECT_FALSE(doc.DoFileSave());
    EXPECT_EQ(ReadBytes(DocPath()), listed);
    fs_.ClearFaults();
    doc.StartRescan(RescanMode::kNew);
    ASSERT_TRUE(RunUntilIdle(doc));
    EXPECT_TRUE(doc.DoFileSave());
    EXPECT_NE(ReadBytes(DocPath()).find("b.txt"), std::string::npos);
  }
};

TEST_F(DocLifecycleTest, FirstNewDocumentTakesTheCurrentDirectory) {
  struct Case {
    const char* existing;  // file present in the current directory, or null
    const char* opened;    // what is opened instead, or null for a new document
  };
  const Case cases[] = {
      {"check.sum", "check.sum"}, {"CRCDir.crx", "CRCDir.crx"}, {nullptr, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.existing != nullptr ? c.existing : "none");
    TempTree dir;
    if (c.existing != nullptr) dir.File(c.existing, "");
    CurrentDirScope cwd(dir.root());
    SkipBaseDirPrompt = 1;
    host_.opened.clear();
    CVemoDoc& doc = NewDoc();
    const bool created = doc.OnNewDocument();
    EXPECT_TRUE(host_.folder_prompts.empty());
    EXPECT_EQ(SkipBaseDirPrompt.load(), 0u);
    if (c.opened != nullptr) {
      EXPECT_FALSE(created);
      EXPECT_EQ(host_.opened, std::vector<std::wstring>{Wide(dir.Path(c.opened))});
    } else {
      ASSERT_TRUE(created);
      EXPECT_EQ(doc.GetPathName(), Wide(dir.Path("check.sum")));
      EXPECT_EQ(doc.GetBaseDir(), Wide(dir.root()));
      EXPECT_EQ(doc.GetTitle(), Wide(dir.Path("check.sum")));
      EXPECT_EQ(doc.GetState(), DocState::kScanning);
      EXPECT_TRUE(RunUntilIdle(doc));
    }
    doc.OnCloseDocument();
  }
}

TEST_F(DocLifecycleTest, LaterNewDocumentsAskForTheFolder) {
  SkipBaseDirPrompt = 0;
  CVemoDoc& doc = NewDoc();
  EXPECT_FALSE(doc.OnNewDocument());  // cancelled
  ASSERT_EQ(host_.folder_prompts.size(), 1u);
  EXPECT_EQ(host_.folder_prompts[0].second, L"Select base CRC dir");

  tree_.File("check.sum", "");
  host_.folder_answer = SetTrailingChar(Wide(tree_.root()), false, L'/');
  EXPECT_FALSE(doc.OnNewDocument());
  EXPECT_EQ(host_.opened, std::vector<std::wstring>{Wide(DocPath())});

  std::filesystem::remove(DocPath());
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(doc.GetPathName(), Wide(DocPath()));
  EXPECT_TRUE(RunUntilIdle(doc));
}

TEST_F(DocLifecycleTest, OpeningMissingFiles) {
  // A default name in any letter case starts a new document for its directory.
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(tree_.Path("CHECK.SUM"))));
  EXPECT_EQ(doc.GetState(), DocState::kScanning);
  EXPECT_EQ(doc.GetBaseDir(), Wide(tree_.root()));
  EXPECT_TRUE(RunUntilIdle(doc));
  EXPECT_TRUE(host_.messages.empty());

  // Any other name is an error naming the path.
  CVemoDoc& other = NewDoc();
  EXPECT_FALSE(other.OnOpenDocument(Wide(tree_.Path("list.sum"))));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, L"Error 2: The system cannot find the file specified.\r\n" +
                                        Wide(tree_.Path("list.sum")));
  EXPECT_EQ(host_.messages[0].style, MB_ICONERROR | MB_SETFOREGROUND);
}

TEST_F(DocLifecycleTest, EmptyAndTamperedFilesWarnAndStillOpen) {
  File("a.txt", "a");
  CreateAndSaveList();
  std::string tampered = ReadBytes(DocPath());
  tampered[tampered.find("a.txt")] = 'b';
  struct Case {
    std::string bytes;
    std::wstring warning;
    std::size_t entries;
  };
  const Case cases[] = {
      {"", L"Warning: Vemo document file is empty\r", 1},
      {tampered, L"Warning: Vemo document file has been tampered with\r", 2},
  };
  for (const Case& c : cases) {
    tree_.File("check.sum", c.bytes);
    host_.messages.clear();
    CVemoDoc& doc = OpenAndRun();
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text, c.warning + Wide(DocPath()));
    EXPECT_EQ(doc.GetEntries().GetCount(), c.entries);  // b.txt listed but not found
  }
}

TEST_F(DocLifecycleTest, FileOfAnUnknownEncodingIsNeverReplaced) {
  File("a.txt", "a");
  // Zero bytes and no 16-bit pattern: no encoding is recognised.
  const std::string unknown("\0\0\0\0 list \x80\x81", 12);
  tree_.File("check.sum", unknown);

  // The user is told, the tree shows as new, and Save+Close when Done neither saves nor closes.
  CVemoDoc& doc = NewDoc();
  doc.ToggleSaveAndCloseWhenDone();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_TRUE(AnyMessageContains(L"Vemo document file could not be read\r" + Wide(DocPath())));
  EXPECT_EQ(Note(L"a.txt"), L"New file");
  EXPECT_TRUE(doc.IsListUnread());
  EXPECT_TRUE(doc.IsCycleIncomplete());
  EXPECT_EQ(host_.frame_closes, 0);
  EXPECT_EQ(ReadBytes(DocPath()), unknown);

  // An explicit save writes the file as it was read, and a new cycle does not forget why.
  ASSERT_TRUE(doc.DoFileSave());
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(ReadBytes(DocPath()), unknown);
  EXPECT_TRUE(doc.IsCycleIncomplete());

  // Another file opened into the same document: the mark is gone.
  doc.ToggleSaveAndCloseWhenDone();
  File("check.sum", "");
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_FALSE(doc.IsListUnread());
  EXPECT_FALSE(doc.IsCycleIncomplete());
}

TEST_F(DocLifecycleTest, TextWithoutAListLineIsNoList) {
  // Opened by mistake: nothing in them reads as a line of a checksum list. The user is told, and
  // neither the automatic save nor the list of the tree can replace them.
  File("a.txt", "a");
  const std::string texts[] = {
      "# Project\n\nSee   1, 2, 3 for details.\n; not ours\n",
      std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
      "Latin-1 text caf\xe9\r\n",
  };
  for (const std::string& text : texts) {
    tree_.File("notes.md", text);
    host_.messages.clear();
    CVemoDoc& doc = NewDoc();
    doc.ToggleSaveAndCloseWhenDone();
    ASSERT_TRUE(doc.OnOpenDocument(Wide(tree_.Path("notes.md"))));
    ASSERT_TRUE(RunUntilIdle(doc));
    EXPECT_TRUE(AnyMessageContains(L"Not a Vemo document file\r" + Wide(tree_.Path("notes.md"))) ||
                AnyMessageContains(L"Vemo document file could not be read\r"));
    EXPECT_TRUE(doc.IsListUnread());
    EXPECT_EQ(host_.frame_closes, 0);
    // Even a save writes the bytes as they were read, never a list or a converted text.
    doc.ToggleSaveAndCloseWhenDone();
    ASSERT_TRUE(doc.DoFileSave());
    ASSERT_TRUE(RunUntilIdle(doc));
    EXPECT_EQ(ReadBytes(tree_.Path("notes.md")), text);
  }

  // One line of a list is enough: a list cut down to its header, or to a single entry line.
  for (const std::string& text :
       {std::string("% Date \"2007-03-14 09:26:53 (GMT+0100)\"\r\n"),
        std::string(
            "            1,E8B7BE43,C1EA8DD5,\"2023-11-14 22:13:20\",----a-------,,a.txt")}) {
    tree_.File("check.sum", text);
    host_.messages.clear();
    CVemoDoc& doc = OpenAndRun();
    EXPECT_FALSE(doc.IsListUnread()) << text;
    EXPECT_FALSE(AnyMessageContains(L"Not a Vemo document file"));
  }
}

TEST_F(DocLifecycleTest, AListThatIsASymbolicLinkIsReadButNeverWrittenThrough) {
  File("a.txt", "a");
  CreateAndSaveList();
  const std::string list = ReadBytes(DocPath());
  tree_.Dir("elsewhere");
  tree_.File("elsewhere/list.sum", list);
  std::filesystem::remove(DocPath());
  tree_.Link("check.sum", tree_.Path("elsewhere/list.sum"));
  File("b.txt", "b");

  host_.messages.clear();
  CVemoDoc& doc = OpenAndRun();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            L"Warning: Vemo document file is a symbolic link; saving replaces the link with a "
            L"file\r" +
                Wide(DocPath()));
  EXPECT_EQ(Note(L"a.txt"), L"Contents unchanged");
  EXPECT_EQ(Note(L"b.txt"), L"New file");
  ASSERT_TRUE(doc.DoFileSave());
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_FALSE(std::filesystem::is_symlink(DocPath()));
  EXPECT_NE(ReadBytes(DocPath()).find("b.txt"), std::string::npos);
  EXPECT_EQ(ReadBytes(tree_.Path("elsewhere/list.sum")), list);
}

TEST_F(DocLifecycleTest, AWorkerOutOfMemoryEndsTheCycleIncompleteAndSavesNothing) {
  File("a.txt", "a");
  CreateAndSaveList();
  const std::string list = ReadBytes(DocPath());
  File("b.txt", "b");
  fs_.Fail({.call = FsCall::kOpenListing, .effect = FaultEffect::kOutOfMemory});
  host_.messages.clear();
  CVemoDoc& doc = NewDoc();
  doc.ToggleSaveAndCloseWhenDone();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_TRUE(AnyMessageContains(
      L"Error (8): Not enough memory resources are available to process this command.\r"));
  EXPECT_TRUE(doc.IsCycleIncomplete());
  EXPECT_EQ(ReadBytes(DocPath()), list);
  fs_.ClearFaults();
}

TEST_F(DocLifecycleTest, ANewListNeverReplacesOneThatAppearedMeanwhile) {
  // Two programs making the list of one tree at once: the second to save must not replace the
  // first one's list, though both found no list when they began.
  File("a.txt", "a");
  CVemoDoc& doc = OpenAndRun();  // check.sum missing: a new list
  File("check.sum", "the other program's list");
  host_.messages.clear();
  EXPECT_FALSE(doc.DoFileSave());
  EXPECT_EQ(ReadBytes(DocPath()), "the other program's list");
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            L"Failed to save document.\rError 80: The file exists.\r" + Wide(DocPath()));
  EXPECT_TRUE(doc.IsModified());

  // The user aims the save dialog at it (the dialog asked before replacing): replaced.
  host_.save_as_answer = Wide(DocPath());
  ASSERT_TRUE(doc.DoSave({}, true));
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_NE(ReadBytes(DocPath()).find("a.txt"), std::string::npos);
  // From now on the file is the document's own, and saves replace it.
  File("b.txt", "b");
  doc.Rescan(RescanMode::kAll);
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_TRUE(doc.DoFileSave());
  EXPECT_NE(ReadBytes(DocPath()).find("b.txt"), std::string::npos);
}

TEST_F(DocLifecycleTest, TemporaryFilesOfSavesAreNeverEntries) {
  // One left by a save that was killed (its process gone), in the base directory and deeper.
  File("a.txt", "a");
  tree_.Dir("sub");
  File(".check.sum.999999999-0-a1b2c3.tmp", "partial");
  File("sub/.copy.sum.999999999-4-00aa00.tmp", "partial");
  File("sub/.notes.txt.swp", "an editor's: an entry");
  CVemoDoc& doc = OpenAndRun();
  EXPECT_EQ(Find(L".check.sum.999999999-0-a1b2c3.tmp"), nullptr);
  EXPECT_EQ(Find(L"sub/.copy.sum.999999999-4-00aa00.tmp"), nullptr);
  EXPECT_NE(Find(L"sub/.notes.txt.swp"), nullptr);
  ASSERT_TRUE(doc.DoFileSave());
  // The save in its directory removed the stale one of its own name.
  EXPECT_FALSE(std::filesystem::exists(tree_.Path(".check.sum.999999999-0-a1b2c3.tmp")));
  EXPECT_EQ(ReadBytes(DocPath()).find(".tmp"), std::string::npos);
}

TEST_F(DocLifecycleTest, APathWithALineBreakStaysOnItsLineOfAMessage) {
  // The host's default joins the message's lines and writes a line break inside one as "\n".
  tree_.Dir("odd\nname");
  tree_.File("odd\nname/check.sum", "");
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(tree_.Path("odd\nname/check.sum"))));
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_FALSE(host_.messages.empty());
  EXPECT_EQ(host_.messages[0].text, L"Warning: Vemo document file is empty\r" + Wide(tree_.root()) +
                                        L"odd\\nname/check.sum");
}

TEST_F(DocLifecycleTest, SavingIsRefusedWhileACycleRuns) {
  File("a.txt", "a");
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  EXPECT_FALSE(doc.IsCommandEnabled(ID_FILE_SAVE));
  EXPECT_FALSE(doc.IsCommandEnabled(ID_FILE_SAVE_COPY_AS));
  EXPECT_FALSE(doc.IsCommandEnabled(ID_RESCAN_ALL));
  EXPECT_TRUE(doc.IsCommandEnabled(ID_FILE_FREEZE));
  EXPECT_FALSE(doc.OnSaveDocument(doc.GetPathName()));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            L"Document is being updated, please wait with saving data till finished.");
  EXPECT_FALSE(std::filesystem::exists(DocPath()));
  // A busy document closes without a prompt.
  EXPECT_TRUE(doc.SaveModified());
  EXPECT_EQ(host_.messages.size(), 1u);
  ASSERT_TRUE(RunUntilIdle(doc));
  EXPECT_TRUE(doc.IsCommandEnabled(ID_FILE_SAVE));
}

TEST_F(DocLifecycleTest, CommandStateTellsNotMineFromDisabled) {
  File("a.txt", "a");
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  // Busy: the document owns Save but disables it; a command it does not know is not answered.
  CCmdState save;
  save.enabled = true;
  EXPECT_TRUE(doc.UpdateCommand(ID_FILE_SAVE, save));
  EXPECT_FALSE(save.enabled);
  CCmdState about{true, true, std::wstring(L"kept")};
  EXPECT_FALSE(doc.UpdateCommand(ID_APP_ABOUT, about));
  EXPECT_TRUE(about.enabled && about.checked && about.text == L"kept");
  EXPECT_FALSE(doc.OnCommand(ID_APP_ABOUT));
  // A toggle's check mark and enabled state come from the same call.
  CCmdState freeze;
  EXPECT_TRUE(doc.UpdateCommand(ID_FILE_FREEZE, freeze));
  EXPECT_TRUE(freeze.enabled);
  EXPECT_FALSE(freeze.checked);
  doc.OnCommand(ID_FILE_FREEZE);
  EXPECT_TRUE(doc.UpdateCommand(ID_FILE_FREEZE, freeze));
  EXPECT_TRUE(freeze.checked);
  doc.OnCommand(ID_FILE_FREEZE);
  ASSERT_TRUE(RunUntilIdle(doc));
}

TEST_F(DocLifecycleTest, SavingKeepsPermissionBitsAndAsksForReadOnlyFiles) {
  File("a.txt", "a");
  CVemoDoc& doc = CreateAndSaveList();
  ASSERT_EQ(chmod(DocPath().c_str(), 0440), 0);
  const std::string before = ReadBytes(DocPath());
  File("b.txt", "b");
  doc.SetModifiedFlag(true);

  host_.answers = {IDNO};
  EXPECT_FALSE(doc.DoFileSave());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            L"File is read/only\r" + Wide(DocPath()) + L"\rOverride anyway?");
  EXPECT_EQ(host_.messages[0].style, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND);
  EXPECT_EQ(ReadBytes(DocPath()), before);

  host_.answers = {IDYES};
  ASSERT_TRUE(doc.DoFileSave());
  struct stat st;
  ASSERT_EQ(stat(DocPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // only the owner's write permission was added
  EXPECT_TRUE(RunUntilIdle(doc));
  EXPECT_EQ(FilesInRoot(), 3u);  // a.txt, b.txt, check.sum: no temporary file left behind
}

TEST_F(DocLifecycleTest, ADirectoryOfTheDocumentsNameBlocksTheSave) {
  File("a.txt", "a");
  CVemoDoc& doc = OpenAndRun();
  tree_.Dir("check.sum");
  EXPECT_FALSE(doc.DoFileSave());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            L"A directory of the desired document name exists\r" + Wide(DocPath()));
  // Saving to it by any other way fails too and names the path (a new list never replaces
  // anything, so the directory is a file that exists).
  EXPECT_FALSE(doc.OnSaveDocument(Wide(DocPath())));
  EXPECT_EQ(host_.messages.back().text,
            L"Failed to save document.\rError 80: The file exists.\r" + Wide(DocPath()));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(std::filesystem::is_directory(DocPath()));
}

TEST_F(DocLifecycleTest, FailedSaveLeavesTheOldListIntact) {
  struct Case {
    FsCall step;
    DWORD error;
  };
  const Case cases[] = {
      {FsCall::kCreateTemporary, ERROR_ACCESS_DENIED},
      {FsCall::kWrite, ERROR_DISK_FULL},
      {FsCall::kSync, ERROR_IO_DEVICE},
      {FsCall::kRename, ERROR_ACCESS_DENIED},
  };
  File("a.txt", "a");
  CVemoDoc& doc = CreateAndSaveList();
  const std::string before = ReadBytes(DocPath());
  File("b.txt", "b");
  std::filesystem::remove(tree_.Path("a.txt"));
  doc.Rescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_TRUE(doc.IsModified());
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    fs_.ClearFaults();
    fs_.Fail({.call = c.step, .error = c.error});
    host_.messages.clear();
    EXPECT_FALSE(doc.DoFileSave());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(
        host_.messages[0].text,
        L"Failed to save document.\r" + FormatSystemError(c.error, true) + L"\r" + Wide(DocPath()));
    EXPECT_EQ(ReadBytes(DocPath()), before);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetState(), DocState::kIdle);  // nothing committed, no new cycle
    EXPECT_NE(Find(L"a.txt"), nullptr);
    EXPECT_EQ(FilesInRoot(), 2u);  // b.txt and check.sum
  }
  // Once the disk takes it, the save goes through and commits.
  fs_.ClearFaults();
  EXPECT_TRUE(doc.DoFileSave());
  EXPECT_EQ(Find(L"a.txt"), nullptr);
}

// A host that only reports turns the text off: the cycle still compares everything, the list as
// read is not kept once loaded, and no save can write an older or empty list as the entries' own.
TEST_F(DocLifecycleTest, ACycleWithoutTextLetsGoOfTheReadListAndRefusesToSave) {
  const std::string listed = ListThenAddAFile();
  CVemoDoc& doc = NewDoc();
  doc.SetFormatsText(false);
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_NE(Find(L"b.txt"), nullptr);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(doc.GetFileBuffer().IsEmpty());
  host_.messages.clear();
  EXPECT_FALSE(doc.DoFileSave());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, L"Failed to save document.\r" +
                                        FormatSystemError(ERROR_INVALID_FUNCTION, true) + L"\r" +
                                        Wide(DocPath()));
  // With the text on again, a cycle that cannot see the tree formats no text to replace it.
  doc.SetFormatsText(true);
  FailTheWalks();
  doc.StartRescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_TRUE(doc.IsCycleIncomplete());
  ExpectSavedOnlyAfterAWholeCycle(doc, listed);
}

// A host that never saves after a cycle that could not see the tree keeps no text as read: when
// the first cycle's walk fails, there is nothing to save until a whole cycle formats the text.
TEST_F(DocLifecycleTest, WithoutTheTextAsReadAFailedFirstWalkLeavesNothingToSave) {
  const std::string listed = ListThenAddAFile();
  CVemoDoc& doc = NewDoc();
  doc.SetKeepsTextAsRead(false);
  FailTheWalks();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_TRUE(doc.IsCycleIncomplete());
  ExpectSavedOnlyAfterAWholeCycle(doc, listed);
}

// A whole cycle lets go of the list as read when it starts formatting the new text: a cycle
// stopped there, whose next walk cannot see the tree, leaves no text to save, and the list on
// disk stays as it was rather than being written over with an older text.
TEST_F(DocLifecycleTest, AFormattingStoppedForAFailedWalkLeavesNothingToSave) {
  const std::string listed = ListThenAddAFile();
  CVemoDoc& doc = NewDoc();
  ASSERT_TRUE(doc.OnOpenDocument(Wide(DocPath())));
  ASSERT_TRUE(WaitUntil([&] {
    for (long count = 0; doc.GetState() != DocState::kFormatting && doc.PollWork(count);) ++count;
    return doc.GetState() == DocState::kFormatting;
  }));
  EXPECT_TRUE(doc.GetFileBuffer().IsEmpty());
  FailTheWalks();
  doc.StartRescan(RescanMode::kNew);
  ASSERT_TRUE(RunUntilIdle(doc));
  ASSERT_TRUE(doc.IsCycleIncomplete());
  ExpectSavedOnlyAfterAWholeCycle(doc, listed);
}

TEST_F(DocLifecycleTest, SaveCopyElsewhereKeepsTheDocumentAsItWas) {
  File("a.txt", "a");
  CVemoDoc& doc = OpenAndRun();
  TempTree other;
  host_.save_as_answer = Wide(other.Path("copy.sum"));
  doc.OnCommand(ID_FILE_SAVE_COPY_AS);
  ASSERT_EQ(host_.save_prompts.size(), 1u);
  EXPECT_FALSE(host_.save_prompts[0].second);
  EXPECT_EQ(ReadBytes(other.Path("copy.sum")), BufferBytes(doc.GetFileBuffer()));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetPathName(), Wide(DocPath()));
  EXPECT_EQ(doc.GetState(), DocState::kIdle);
  EXPECT_EQ(Note(L"a.txt"), L"New file");  // not committed
}

TEST_F(DocLifecycleTest, ClosePromptOffersToSave) {
  File("a.txt", "a");
  CVemoDoc& doc = OpenAndRun();
  ASSERT_TRUE(doc.IsModified());

  host_.answers = {IDCANCEL, IDNO};
  EXPECT_FALSE(doc.SaveModified());
  EXPECT_TRUE(doc.SaveModified());
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0].text, L"Save new data to\n" + Wide(DocPath()));
  EXPECT_EQ(host_.messages[0].caption, L"Please select");
  EXPECT_EQ(host_.messages[0].style, MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_FALSE(std::filesystem::exists(DocPath()));

  ShutdownPending = 1;
  EXPECT_TRUE(doc.SaveModified());
  EXPECT_EQ(host_.messages.size(), 2u);
  ShutdownPending = 0;

  host_.answers = {IDYES};
  EXPECT_TRUE(doc.SaveModified());
  EXPECT_TRUE(std::filesystem::exists(DocPath()));
  EXPECT_FALSE(doc.IsModified());
}

}  // namespace
}  // namespace vemo_test
