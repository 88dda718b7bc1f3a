#pragma once
// Helpers shared by every test executable.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "shellns/IdList.h"
#include "toolkit/PopupMenu.h"

namespace zortest {

// A fresh folder under the Wine (or Windows) temp folder, removed with everything in it at the end.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  // The folder's path, without a trailing backslash.
  const std::string &Path() const { return FPath; }
  // Path() + "\" + relative.
  std::string operator/(const std::string &relative) const { return FPath + "\\" + relative; }

private:
  std::string FPath;
};

// A fresh folder on the run's small disk (a 1 MB file system that CTest mounts on the Linux side, see
// tests/small-disk.sh), removed with everything in it at the end. Without that disk (not run through CTest,
// or mounting was not allowed) Path() is empty and Missing() says why, for the test to skip with.
class SmallDiskDir {
public:
  SmallDiskDir();
  ~SmallDiskDir();
  SmallDiskDir(const SmallDiskDir &) = delete;
  SmallDiskDir &operator=(const SmallDiskDir &) = delete;

  const std::string &Path() const { return FPath; }
  const std::string &Missing() const { return FMissing; }
  std::string operator/(const std::string &relative) const { return FPath + "\\" + relative; }

private:
  std::string FPath;
  std::string FMissing;
};

// Creates (or truncates) a file with the given content; fails the test when it cannot.
void WriteFileText(const std::string &path, const std::string &content = {});
void MakeDir(const std::string &path);
bool FileExists(const std::string &path);
// Removes a file or a whole folder tree; true when nothing is left.
bool RemoveTree(const std::string &path);

// A folder made through the \\?\ form, which has no MAX_PATH limit, and removed when it goes (declare it after
// the folders that hold it). Made() tells whether it could be made.
class LongDir {
public:
  explicit LongDir(std::string path);
  ~LongDir();
  LongDir(const LongDir &) = delete;
  LongDir &operator=(const LongDir &) = delete;

  bool Made() const { return FMade; }
  const std::string &Path() const { return FPath; }

private:
  std::string FPath;
  bool FMade;
};

// text count times over.
std::string Repeat(const std::string &text, size_t count);

// Makes two nested folders in parent whose names hold 105 characters of three UTF-8 bytes each, so that the
// inner one's path is far shorter than MAX_PATH in characters and far longer in bytes; returns that path.
std::string MakeManyByteFolder(const std::string &parent);

// Tells a top-level window that it has come to a monitor of ppi dots per inch, as the platform does
// (WM_DPICHANGED), suggesting the place it has now, or suggested when given. Under Wine, where one resolution
// holds for a whole session, this is how a test sees the program at another.
void MoveToDpi(HWND window, int ppi, const RECT *suggested = nullptr);

// Keys as a user presses them, through the system's input to whichever window has the focus: the chord's
// keys down in order and up in reverse (SendChord({VK_CONTROL, 'F'})), or text typed character by character.
// Messages are dispatched for a while afterwards.
void SendChord(std::initializer_list<WORD> keys);
void SendText(const std::wstring &text);

// The text a list view control shows in a cell.
std::string ListCellText(HWND list, int row, int column);

// Dispatches messages (through the application object) until done() holds or timeoutMs passes.
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs);
// Dispatches messages for about ms milliseconds.
void PumpFor(DWORD ms);

// While it lives, every message box of the program is recorded here instead of shown, and answered with
// Answer. Without one, a message box fails the running test.
class MessageBoxCapture {
public:
  struct Box {
    std::string Text;
    std::string Caption;
    UINT Flags;
  };
  explicit MessageBoxCapture(int answer = IDOK);
  ~MessageBoxCapture();
  MessageBoxCapture(const MessageBoxCapture &) = delete;
  MessageBoxCapture &operator=(const MessageBoxCapture &) = delete;

  std::vector<Box> Boxes;
  int Answer;
};

// While it lives, every popup menu of the program is recorded here (menu and screen point) instead of being
// tracked.
class PopupCapture {
public:
  struct Shown {
    TPopupMenu *Menu;
    POINT At;
  };
  PopupCapture();
  ~PopupCapture();
  PopupCapture(const PopupCapture &) = delete;
  PopupCapture &operator=(const PopupCapture &) = delete;

  std::vector<Shown> Menus;

private:
  TPopupHook FPrevious;
};

// A memory bitmap of 32-bit pixels filled with one colour, selected into a device context (dc) to draw on
// and read back.
class MemorySurface {
public:
  MemorySurface(int width, int height, COLORREF fill);
  ~MemorySurface();
  MemorySurface(const MemorySurface &) = delete;
  MemorySurface &operator=(const MemorySurface &) = delete;

  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }

  HDC dc;

private:
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

// One of the user's locale texts (LOCALE_STHOUSAND, LOCALE_SDECIMAL, ...) in UTF-8; "" when unreadable.
std::string UserLocaleText(LCTYPE type);

// Sets one of the user's locale texts while it lives and puts the old one back at its end, also when the
// test fails or throws on the way.
class UserLocaleOverride {
public:
  UserLocaleOverride(LCTYPE type, const std::wstring &value);
  ~UserLocaleOverride();
  UserLocaleOverride(const UserLocaleOverride &) = delete;
  UserLocaleOverride &operator=(const UserLocaleOverride &) = delete;

  // True when the system took the value and answers with it.
  bool Applied() const { return FApplied; }

private:
  LCTYPE FType;
  std::wstring FSaved;
  bool FApplied = false;
};

// The shell's absolute ID list of a path or parse name; fails the test when the shell cannot parse it.
TKdIdListPtr ParsePath(const std::string &name);

// The Unix name Wine gives a Windows path; "" outside Wine.
std::string UnixPathOf(const std::string &path);

// Folder holding the running test executable (the program and tools are built beside it).
std::string ExeDir();

// One of the libraries the tests plant beside a copy of the program (built into a folder of their own): loaded,
// it writes "<its path>.loaded".
std::string PlantedLibrary(const std::string &name);

} // namespace zortest
