// File transfers the program makes itself under Wine: paste after the shell's own copy and cut, drops with
// each key state, refusals, and file lists from other programs that are malformed. Real files throughout;
// on Windows the shell keeps every transfer and these tests check only that it is left to it.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/GuardedBuffer.h"
#include "common/TestSupport.h"
#include "shellctrls/UKdShellControls.h"
#include "shellctrls/dragdrop/FileDropTarget.h"
#include "shellctrls/dragdrop/FileTransfer.h"
#include "shellctrls/dragdrop/TransferArrival.h"
#include "shellns/WineHost.h"
#include "toolkit/SysUtils.h"

using namespace zortest;

namespace {

constexpr DWORD kNone = DROPEFFECT_NONE, kCopy = DROPEFFECT_COPY, kMove = DROPEFFECT_MOVE, kLink = DROPEFFECT_LINK;

std::wstring W(const std::string &text) { return Utf8ToWide(text); }

std::string ReadAll(const std::string &path) {
  HANDLE file = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "(missing)";
  std::string content(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
  CloseHandle(file);
  content.resize(read);
  return content;
}

// A file a few clusters long whose every byte depends on its place, so a short or shuffled copy shows.
std::string Pattern(size_t size, char seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>(seed + i * 7 + i / 251);
  return bytes;
}

// Names from several scripts: they must arrive exactly as they are.
const std::string kFileName = "notes été 日本.txt";
const std::string kFolderName = "Fotos ß 中文";

// What the tests put into a source folder: a file, and a folder holding a file and a folder with a file.
struct SampleItems {
  explicit SampleItems(const std::string &folder)
      : File(folder + "\\" + kFileName), Folder(folder + "\\" + kFolderName) {
    WriteFileText(File, Pattern(70000, 'a'));
    MakeDir(Folder);
    WriteFileText(Folder + "\\one.bin", Pattern(5000, 'b'));
    MakeDir(Folder + "\\inner");
    WriteFileText(Folder + "\\inner\\two.bin", Pattern(12345, 'c'));
  }
  // The sample's contents, as found in the copy of it in folder.
  static void ExpectIn(const std::string &folder, const std::string &fileName = kFileName,
                       const std::string &folderName = kFolderName) {
    // Compared whole, reported briefly: the bytes themselves would fill the log.
    EXPECT_TRUE(ReadAll(folder + "\\" + fileName) == Pattern(70000, 'a')) << folder << "\\" << fileName;
    EXPECT_TRUE(ReadAll(folder + "\\" + folderName + "\\one.bin") == Pattern(5000, 'b')) << folder;
    EXPECT_TRUE(ReadAll(folder + "\\" + folderName + "\\inner\\two.bin") == Pattern(12345, 'c')) << folder;
  }
  std::string File, Folder;
};

// The shell folder of folder and its items names, as the controls hold them.
struct ShellItems {
  ShellItems(const std::string &folder, const std::vector<std::string> &names) {
    TKdIdListPtr folderList = ParsePath(folder);
    EXPECT_HRESULT_SUCCEEDED(BindToShellFolder(folderList.get(), Folder));
    for (const std::string &name : names) {
      LPITEMIDLIST item = nullptr;
      std::wstring wide = W(name);
      if (Folder && SUCCEEDED(Folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &item, nullptr))) {
        Owners.emplace_back(item);
        Items.push_back(item);
      }
    }
    EXPECT_EQ(Items.size(), names.size());
  }
  UINT Count() const { return static_cast<UINT>(Items.size()); }
  ComPtr<IShellFolder> Folder;
  std::vector<TKdIdListPtr> Owners;
  std::vector<LPCITEMIDLIST> Items;
};

// Runs the shell's own verb ("copy", "cut") on items of one folder, as the controls do.
void ShellVerb(const std::string &folder, const std::vector<std::string> &names, const std::string &verb) {
  ShellItems items(folder, names);
  ComPtr<IContextMenu> menu;
  TMenuHandle popup;
  ASSERT_HRESULT_SUCCEEDED(GetItemContextMenu(nullptr, items.Folder.Get(), items.Count(), items.Items.data(),
                                              CMF_EXPLORE, kdFirstShellCommandId, menu, popup));
  ASSERT_HRESULT_SUCCEEDED(InvokeContextCommand(nullptr, menu.Get(), verb));
}

// The shell's data object of items in one folder, as a drag from a shell view carries them.
ComPtr<IDataObject> ShellData(const std::string &folder, const std::vector<std::string> &names) {
  ShellItems items(folder, names);
  ComPtr<IDataObject> data;
  if (items.Folder)
    items.Folder->GetUIObjectOf(nullptr, items.Count(), items.Items.data(), IID_IDataObject, nullptr, data.PutVoid());
  return data;
}

HRESULT Paste(const std::string &folder) {
  HRESULT result = E_UNEXPECTED;
  EXPECT_TRUE(PasteFilesIntoFolder(nullptr, ParsePath(folder).get(), result));
  return result;
}

bool ClipboardHasFiles() { return IsClipboardFormatAvailable(CF_HDROP); }

// A folder on another drive than the temporary folders (Wine's Z:, the Linux root), removed at the end.
class OtherDriveDir {
public:
  OtherDriveDir() {
    const std::wstring tmp = WineDosPathOfUnixPath("/tmp");
    if (tmp.empty())
      return;
    FPath = WideToUtf8(tmp.c_str()) + "\\zortest-xfer-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount());
    if (!CreateDirectoryW(W(FPath).c_str(), nullptr))
      FPath.clear();
  }
  ~OtherDriveDir() {
    if (!FPath.empty())
      RemoveTree(FPath);
  }
  const std::string &Path() const { return FPath; }

private:
  std::string FPath;
};

// Drags data over target with keys (the source allowing allowed) and answers the effect shown.
DWORD EffectShown(IDropTarget *target, IDataObject *data, DWORD keys, DWORD allowed = kCopy | kMove | kLink) {
  DWORD effect = allowed;
  target->DragEnter(data, keys, POINTL{10, 10}, &effect);
  DWORD overEffect = allowed;
  target->DragOver(keys, POINTL{12, 10}, &overEffect);
  target->DragLeave();
  EXPECT_EQ(effect, overEffect) << "enter and over disagree for keys " << keys;
  return overEffect;
}

DWORD DropOn(IDropTarget *target, IDataObject *data, DWORD keys) {
  DWORD effect = kCopy | kMove | kLink;
  target->DragEnter(data, keys, POINTL{10, 10}, &effect);
  effect = kCopy | kMove | kLink;
  EXPECT_HRESULT_SUCCEEDED(target->Drop(data, keys, POINTL{10, 10}, &effect));
  return effect;
}

HWND TestWindow() {
  static HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  return window;
}

// Answers the next popup menu of this thread with a key, as a user would.
void AnswerNextMenuWith(UINT message, WPARAM key) { PostMessageW(TestWindow(), message, key, 0); }

std::vector<BYTE> HDropBlock(bool wide, const std::vector<std::string> &paths, bool endList = true) {
  DROPFILES header = {};
  header.pFiles = sizeof header;
  header.fWide = wide;
  std::vector<BYTE> block(reinterpret_cast<BYTE *>(&header), reinterpret_cast<BYTE *>(&header) + sizeof header);
  auto put = [&](const void *bytes, size_t size) {
    block.insert(block.end(), static_cast<const BYTE *>(bytes), static_cast<const BYTE *>(bytes) + size);
  };
  for (const std::string &path : paths) {
    if (wide) {
      std::wstring text = W(path);
      put(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    } else {
      put(path.c_str(), path.size() + 1);
    }
  }
  if (endList)
    block.insert(block.end(), wide ? 2 : 1, 0);
  return block;
}

std::vector<std::wstring> ReadGuarded(const std::vector<BYTE> &block) {
  GuardedBuffer buffer(block.size(), block.data());
  return ReadHDropPaths(buffer.Data(), buffer.Size());
}

// Every file and folder under folder, by its path relative to it, sorted; folders end in a backslash.
std::vector<std::string> TreeOnDisk(const std::string &folder, const std::string &prefix = {}) {
  std::vector<std::string> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(W(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return entries;
  do {
    const std::string name = WideToUtf8(found.cFileName);
    if (name == "." || name == "..")
      continue;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      entries.push_back(prefix + name);
      continue;
    }
    entries.push_back(prefix + name + "\\");
    for (std::string &inner : TreeOnDisk(folder + "\\" + name, prefix + name + "\\"))
      entries.push_back(std::move(inner));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Ways to send the items names of source into target, each answering whether it reported success: a cut
// and a copy pasted there, and a drag dropped on the folder with Shift (a move).
std::vector<std::pair<std::string, std::function<bool()>>>
TransferWays(const std::string &source, const std::vector<std::string> &names, const std::string &target) {
  auto viaClipboard = [=](const char *verb) {
    return [=] {
      ShellVerb(source, names, verb);
      return Paste(target) == S_OK;
    };
  };
  auto viaDrop = [=] {
    TKdIdListPtr folder = ParsePath(target);
    ComPtr<IDropTarget> drop = FolderDropTarget(TestWindow(), folder.get(), nullptr);
    ComPtr<IDataObject> data = ShellData(source, names);
    return drop && data && DropOn(drop.Get(), data.Get(), MK_SHIFT) != kNone;
  };
  return {{"cut and paste", viaClipboard("cut")}, {"copy and paste", viaClipboard("copy")}, {"drop", viaDrop}};
}

} // namespace

TEST(FileTransfer, UnderWineTheProgramTransfersItselfAndOnWindowsTheShellDoes) {
  HKEY key = nullptr;
  const bool wineRegistry = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (key)
    RegCloseKey(key);
  EXPECT_EQ(TransfersFilesItself(), wineRegistry);

  TempDir dir;
  TKdIdListPtr folder = ParsePath(dir.Path());
  ComPtr<IDropTarget> shellTarget;
  ComPtr<IDropTarget> target = FolderDropTarget(nullptr, folder.get(), shellTarget);
  HRESULT result = E_UNEXPECTED;
  if (!TransfersFilesItself()) {
    EXPECT_FALSE(target);
    EXPECT_FALSE(PasteFilesIntoFolder(nullptr, folder.get(), result));
    return;
  }
  EXPECT_TRUE(target);
  // Virtual folders stay the shell's even under Wine.
  TKdIdListPtr drives = ParsePath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  EXPECT_FALSE(FolderDropTarget(nullptr, drives.get(), shellTarget));
  EXPECT_FALSE(PasteFilesIntoFolder(nullptr, drives.get(), result));
}

TEST(FileTransfer, CopyThenCutAndPasteAFileAndAFolderWithContentsBetweenFolders) {
  if (!TransfersFilesItself())
    GTEST_SKIP() << "the shell pastes on Windows";
  TempDir source, copies, moved;
  SampleItems items(source.Path());

  ShellVerb(source.Path(), {kFileName, kFolderName}, "copy");
  EXPECT_HRESULT_SUCCEEDED(Paste(copies.Path()));
  SampleItems::ExpectIn(copies.Path());
  SampleItems::ExpectIn(source.Path());
  EXPECT_TRUE(ClipboardHasFiles()) << "a copy can be pasted again";

  ShellVerb(source.Path(), {kFileName, kFolderName}, "cut");
  SampleItems::ExpectIn(source.Path()); // a cut alone moves nothing
  EXPECT_EQ(Paste(moved.Path()), S_OK);
  SampleItems::ExpectIn(moved.Path());
  EXPECT_FALSE(FileExists(items.File));
  EXPECT_FALSE(FileExists(items.Folder));
  EXPECT_FALSE(ClipboardHasFiles()) << "the cut files are no longer where the clipboard says";
}

TEST(FileTransfer, PasteIntoTheSameFolderGivesCopiesBesideTheOriginals) {
  if (!TransfersFilesItself())
    GTEST_SKIP() << "the shell pastes on Windows";
  TempDir dir;
  SampleItems items(dir.Path());
  WriteFileText(dir / ".profile", "dot");

  ShellVerb(dir.Path(), {kFileName, kFolderName, ".profile"}, "copy");
  EXPECT_EQ(Paste(dir.Path()), S_OK);
  EXPECT_EQ(Paste(dir.Path()), S_OK);
  SampleItems::ExpectIn(dir.Path());
  SampleItems::ExpectIn(dir.Path(), "notes été 日本 - Copy.txt", "Fotos ß 中文 - Copy");
  SampleItems::ExpectIn(dir.Path(), "notes été 日本 - Copy (2).txt", "Fotos ß 中文 - Copy (2)");
  EXPECT_EQ(ReadAll(dir / ".profile - Copy"), "dot");

  // A cut pasted where it came from changes nothing and keeps the clipboard.
  ShellVerb(dir.Path(), {kFileName}, "cut");
  EXPECT_EQ(Paste(dir.Path()), S_FALSE);
  EXPECT_TRUE(ReadAll(items.File) == Pattern(70000, 'a'));
  EXPECT_TRUE(ClipboardHasFiles());
}

TEST(FileTransfer, DropEffectFollowsDrivesAndKeysAndDropsTransferIt) {
  if (!TransfersFilesItself())
    GTEST_SKIP() << "the shell's drop targets transfer on Windows";
  TempDir source, sameDrive;
  OtherDriveDir otherDrive;
  ASSERT_FALSE(otherDrive.Path().empty());
  SampleItems items(source.Path());
  ComPtr<IDataObject> data = ShellData(source.Path(), {kFileName, kFolderName});
  ASSERT_TRUE(data);
  TKdIdListPtr sameList = ParsePath(sameDrive.Path()), otherList = ParsePath(otherDrive.Path()),
               ownList = ParsePath(source.Path()), intoItself = ParsePath(items.Folder);
  ComPtr<IDropTarget> same = FolderDropTarget(TestWindow(), sameList.get(), nullptr);
  ComPtr<IDropTarget> other = FolderDropTarget(TestWindow(), otherList.get(), nullptr);
  ComPtr<IDropTarget> own = FolderDropTarget(nullptr, ownList.get(), nullptr);
  ComPtr<IDropTarget> itself = FolderDropTarget(nullptr, intoItself.get(), nullptr);

  EXPECT_EQ(EffectShown(same.Get(), data.Get(), 0), kMove);
  EXPECT_EQ(EffectShown(same.Get(), data.Get(), MK_CONTROL), kCopy);
  EXPECT_EQ(EffectShown(same.Get(), data.Get(), MK_SHIFT), kMove);
  EXPECT_EQ(EffectShown(same.Get(), data.Get(), 0, kCopy), kCopy) << "the source forbids moves";
  EXPECT_EQ(EffectShown(other.Get(), data.Get(), 0), kCopy);
  EXPECT_EQ(EffectShown(other.Get(), data.Get(), MK_SHIFT), kMove);
  EXPECT_EQ(EffectShown(other.Get(), data.Get(), MK_CONTROL), kCopy);
  EXPECT_EQ(EffectShown(own.Get(), data.Get(), 0), kNone) << "moving into its own folder does nothing";
  EXPECT_EQ(EffectShown(own.Get(), data.Get(), MK_CONTROL), kCopy);
  EXPECT_EQ(EffectShown(itself.Get(), data.Get(), MK_CONTROL), kNone) << "a folder into itself";

  EXPECT_EQ(DropOn(same.Get(), data.Get(), MK_CONTROL), kCopy);
  SampleItems::ExpectIn(sameDrive.Path());
  SampleItems::ExpectIn(source.Path());

  // Right-button drops ask; Escape cancels, "Move Here" moves.
  AnswerNextMenuWith(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(DropOn(other.Get(), data.Get(), MK_RBUTTON), kNone);
  EXPECT_FALSE(FileExists(otherDrive.Path() + "\\" + kFileName));
  AnswerNextMenuWith(WM_CHAR, 'm');
  EXPECT_EQ(DropOn(other.Get(), data.Get(), MK_RBUTTON), kMove);
  SampleItems::ExpectIn(otherDrive.Path());
  EXPECT_FALSE(FileExists(items.File));
  EXPECT_FALSE(FileExists(items.Folder));
}

TEST(FileTransfer, RefusedTransfersTouchNothingAndSaySo) {
  if (!TransfersFilesItself())
    GTEST_SKIP() << "the shell transfers on Windows";
  TempDir source, target;
  SampleItems items(source.Path());
  MakeDir(target / kFolderName);
  WriteFileText(target / kFolderName + "\\kept.txt", "kept");
  MessageBoxCapture boxes;

  // The platform's operation answers success to each of these and does nothing.
  EXPECT_TRUE(FAILED(TransferFiles(nullptr, {W(items.Folder)}, W(items.Folder + "\\inner"), kMove)));
  EXPECT_TRUE(FAILED(TransferFiles(nullptr, {W(items.Folder)}, W(items.Folder + "\\inner"), kCopy)));
  EXPECT_TRUE(FAILED(TransferFiles(nullptr, {W(source / "gone.txt"), W(items.File)}, W(target.Path()), kMove)));
  EXPECT_TRUE(FAILED(TransferFiles(nullptr, {W(items.Folder)}, W(target.Path()), kMove)));
  EXPECT_EQ(boxes.Boxes.size(), 4u);
  SampleItems::ExpectIn(source.Path());
  EXPECT_EQ(ReadAll(target / kFolderName + "\\kept.txt"), "kept");
  EXPECT_FALSE(FileExists(target / kFileName)) << "nothing moves when one source is missing";
}

TEST(FileTransfer, MalformedFileListsGiveNothingAndReadNothingOutside) {
  const std::vector<std::string> paths = {"C:\\data\\a.txt", "Z:\\tmp\\日本.txt"};
  EXPECT_EQ(ReadGuarded(HDropBlock(true, paths)), (std::vector<std::wstring>{W(paths[0]), W(paths[1])}));
  EXPECT_EQ(ReadGuarded(HDropBlock(false, paths)), (std::vector<std::wstring>{W(paths[0]), W(paths[1])}));

  // Lists that run into the end of the block, in both forms and cut inside a wide character.
  EXPECT_TRUE(ReadGuarded(HDropBlock(true, paths, false)).empty());
  EXPECT_TRUE(ReadGuarded(HDropBlock(false, paths, false)).empty());
  std::vector<BYTE> odd = HDropBlock(true, paths, false);
  odd.push_back('x');
  EXPECT_TRUE(ReadGuarded(odd).empty());
  // First path outside the block, inside the header, or at its very end.
  const DWORD end = static_cast<DWORD>(HDropBlock(true, paths).size());
  for (DWORD offset : {DWORD{0}, DWORD{8}, DWORD{0xFFFFFFFF}, DWORD{0x7FFFFFFF}, end}) {
    std::vector<BYTE> block = HDropBlock(true, paths);
    std::memcpy(block.data(), &offset, sizeof offset);
    EXPECT_TRUE(ReadGuarded(block).empty()) << "pFiles " << offset;
  }
  EXPECT_TRUE(ReadGuarded({}).empty());
  const std::vector<BYTE> whole = HDropBlock(true, paths);
  EXPECT_TRUE(ReadGuarded(std::vector<BYTE>(whole.begin(), whole.begin() + 19)).empty());
  EXPECT_TRUE(ReadGuarded(HDropBlock(true, {})).empty());
  // Paths the platform's operation would read as patterns or relative to the current folder.
  EXPECT_TRUE(ReadGuarded(HDropBlock(true, {"C:\\data\\a.txt", "C:\\data\\*"})).empty());
  EXPECT_TRUE(ReadGuarded(HDropBlock(false, {"a.txt"})).empty());
  EXPECT_TRUE(ReadGuarded(HDropBlock(false, {"C:\\bad\xff\xfe.txt"})).empty()) << "not UTF-8";

  if (!TransfersFilesItself())
    return;
  // Put on the clipboard by another program, a list without its end pastes nothing.
  TempDir source, target;
  WriteFileText(source / "a.txt", "a");
  std::vector<BYTE> block = HDropBlock(true, {source / "a.txt"}, false);
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, block.size());
  std::memcpy(GlobalLock(global), block.data(), block.size());
  GlobalUnlock(global);
  ASSERT_TRUE(OpenClipboard(TestWindow()));
  EmptyClipboard();
  SetClipboardData(CF_HDROP, global);
  CloseClipboard();
  EXPECT_EQ(Paste(target.Path()), S_FALSE);
  EXPECT_FALSE(FileExists(target / "a.txt"));
}

// A 1 MB disk that the transfers overfill part-way: what the disk shows afterwards must be true, and the user
// is told once.
class FileTransferOntoASmallDisk : public ::testing::Test {
protected:
  void SetUp() override {
    if (!TransfersFilesItself())
      GTEST_SKIP() << "the shell transfers on Windows";
    if (target.Path().empty())
      GTEST_SKIP() << target.Missing();
  }
  static void ExpectToldOnceAbout(const MessageBoxCapture &boxes, const std::string &name, const std::string &how) {
    ASSERT_EQ(boxes.Boxes.size(), 1u) << how;
    EXPECT_NE(boxes.Boxes[0].Text.find(name), std::string::npos) << how << ": " << boxes.Boxes[0].Text;
  }

  SmallDiskDir target;
  TempDir source;
};

TEST_F(FileTransferOntoASmallDisk, AFileLargerThanTheFreeSpaceLeavesNoCutOffCopy) {
  const std::string name = "big été.bin";
  const std::string bytes = Pattern(3 << 20, 'z');
  WriteFileText(source / name, bytes);
  WriteFileText(target / "kept.txt", "kept");

  for (const auto &[how, transfer] : TransferWays(source.Path(), {name}, target.Path())) {
    MessageBoxCapture boxes;
    EXPECT_FALSE(transfer()) << how;
    EXPECT_TRUE(ReadAll(source / name) == bytes) << how << ": the source is whole";
    EXPECT_EQ(TreeOnDisk(target.Path()), std::vector<std::string>{"kept.txt"}) << how;
    EXPECT_EQ(ReadAll(target / "kept.txt"), "kept") << how;
    ExpectToldOnceAbout(boxes, name, how);
  }
}

TEST_F(FileTransferOntoASmallDisk, AFolderWhoseLastFileDoesNotFitKeepsEveryFileWholeInOnePlaceOrTheOther) {
  const std::string folder = "album ß";
  const std::vector<std::pair<std::string, std::string>> files = {{"1.bin", Pattern(300 << 10, '1')},
                                                                  {"inner\\2.bin", Pattern(300 << 10, '2')},
                                                                  {"inner\\3.bin", Pattern(600 << 10, '3')}};
  for (const auto &[how, transfer] : TransferWays(source.Path(), {folder}, target.Path())) {
    RemoveTree(source / folder);
    MakeDir(source / folder);
    MakeDir(source / folder + "\\inner");
    for (const auto &[path, bytes] : files)
      WriteFileText(source / folder + "\\" + path, bytes);
    MessageBoxCapture boxes;
    EXPECT_FALSE(transfer()) << how;
    for (const auto &[path, bytes] : files) {
      const std::string there = target / folder + "\\" + path, here = source / folder + "\\" + path;
      EXPECT_TRUE(FileExists(here) || (FileExists(there) && how != "copy and paste")) << how << ": " << path;
      for (const std::string &place : {here, there})
        EXPECT_TRUE(!FileExists(place) || ReadAll(place) == bytes) << how << ": cut off, " << place;
    }
    for (const std::string &entry : TreeOnDisk(target.Path()))
      EXPECT_TRUE(entry.back() != '\\' || !TreeOnDisk(target / entry).empty()) << how << ": left empty, " << entry;
    ExpectToldOnceAbout(boxes, folder, how);
    RemoveTree(target / folder);
  }
}

// What a transfer that stopped part-way may leave, as the disk shows it after a failure: a whole file, one
// garbled at its full size, one the user had agreed to replace, and a folder made but never filled.
TEST(FileTransfer, AfterAFailureTheBytesDecideWhatIsCutOffAndWhatWasThereBeforeIsNeverTouched) {
  TempDir source, target;
  const std::vector<std::string> names = {"whole.bin", "garbled.bin", "replaced.bin", "folder"};
  for (const std::string &name : {names[0], names[1], names[2]})
    WriteFileText(source / name, Pattern(5000, name[0]));
  MakeDir(source / "folder");
  WriteFileText(source / "folder\\never.bin", "x");
  WriteFileText(target / "replaced.bin", "older");
  std::vector<std::wstring> from, to;
  for (const std::string &name : names) {
    from.push_back(W(source / name));
    to.push_back(W(target / name));
  }
  TTransferArrival arrival(from, to, false);
  WriteFileText(target / "whole.bin", Pattern(5000, 'w'));
  WriteFileText(target / "garbled.bin", Pattern(4000, 'g') + std::string(1000, '\0'));
  MakeDir(target / "folder");

  EXPECT_EQ(arrival.RemoveCutOffCopies(true),
            (std::vector<std::wstring>{L"folder\\never.bin", L"garbled.bin", L"replaced.bin"}));
  EXPECT_EQ(TreeOnDisk(target.Path()), (std::vector<std::string>{"replaced.bin", "whole.bin"}));
  EXPECT_EQ(ReadAll(target / "replaced.bin"), "older");
  for (const std::string &name : {names[0], names[1], names[2]})
    EXPECT_TRUE(ReadAll(source / name) == Pattern(5000, name[0])) << name;
  EXPECT_EQ(ReadAll(source / "folder\\never.bin"), "x");
}
