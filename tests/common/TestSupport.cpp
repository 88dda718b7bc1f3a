#include "TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <iterator>

#include "shellns/WineHost.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace zortest {

namespace {

std::string TempRoot() {
  wchar_t buffer[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, buffer);
  std::string root = WideToUtf8(buffer);
  if (!root.empty() && root.back() == '\\')
    root.pop_back();
  return root;
}

} // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  for (;;) {
    FPath = TempRoot() + "\\zortest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) + "-" +
            std::to_string(GetTickCount() % 100000);
    if (CreateDirectoryA(FPath.c_str(), nullptr))
      return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create a temporary folder " << FPath;
      return;
    }
  }
}

TempDir::~TempDir() { RemoveTree(FPath); }

SmallDiskDir::SmallDiskDir() {
  wchar_t unixPath[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"ZOR_SMALL_DISK", unixPath, MAX_PATH)) {
    FMissing = "no small disk: ZOR_SMALL_DISK is not set (run the tests through CTest, which mounts one)";
    return;
  }
  const std::wstring disk = WineDosPathOfUnixPath(WideToUtf8(unixPath));
  ULARGE_INTEGER total = {};
  // An unmounted mount point shows the size of the disk that holds it.
  if (disk.empty() || !GetDiskFreeSpaceExW(disk.c_str(), nullptr, &total, nullptr) || total.QuadPart > (4u << 20)) {
    FMissing = "no small disk mounted on " + WideToUtf8(unixPath) +
               " (mounting one needs root; the small_disk_mount step of the test log says why)";
    return;
  }
  const std::string folder = WideToUtf8(disk.c_str()) + "\\zortest-" + std::to_string(GetCurrentProcessId()) + "-";
  for (int n = 0; FPath.empty() && n < 100; ++n)
    if (CreateDirectoryA((folder + std::to_string(n)).c_str(), nullptr))
      FPath = folder + std::to_string(n);
  if (FPath.empty())
    FMissing = "cannot create a folder on the small disk " + WideToUtf8(disk.c_str());
}

SmallDiskDir::~SmallDiskDir() {
  if (!FPath.empty())
    RemoveTree(FPath);
}

void WriteFileText(const std::string &path, const std::string &content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create " << path << " (error " << GetLastError() << ")";
    return;
  }
  DWORD written = 0;
  if (!content.empty())
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

void MakeDir(const std::string &path) {
  if (!CreateDirectoryA(path.c_str(), nullptr))
    ADD_FAILURE() << "cannot create folder " << path << " (error " << GetLastError() << ")";
}

bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool RemoveTree(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
          RemoveTree(path + "\\" + name);
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
  } else {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  return !FileExists(path);
}

LongDir::LongDir(std::string path)
    : FPath(std::move(path)), FMade(CreateDirectoryW(Utf8ToWide("\\\\?\\" + FPath).c_str(), nullptr)) {}

LongDir::~LongDir() {
  if (FMade)
    RemoveDirectoryW(Utf8ToWide("\\\\?\\" + FPath).c_str());
}

std::string Repeat(const std::string &text, size_t count) {
  std::string result;
  for (size_t i = 0; i < count; ++i)
    result += text;
  return result;
}

std::string MakeManyByteFolder(const std::string &parent) {
  std::string folder = parent + "\\" + Repeat("日", 60);
  MakeDir(folder);
  folder += "\\";
  folder += Repeat("日", 45);
  MakeDir(folder);
  return folder;
}

void MoveToDpi(HWND window, int ppi, const RECT *suggested) {
  RECT place;
  GetWindowRect(window, &place);
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(ppi, ppi), reinterpret_cast<LPARAM>(suggested ? suggested : &place));
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (Application)
      Application->ProcessMessages();
    if (done())
      return true;
    if (GetTickCount() - start >= timeoutMs)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::string ListCellText(HWND list, int row, int column) {
  wchar_t buffer[1024] = {};
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 1024;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return WideToUtf8(buffer);
}

void SendChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  for (WORD key : keys) {
    INPUT down = {};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    input.push_back(down);
  }
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    INPUT up = {};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(up);
  }
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  PumpFor(150);
}

void SendText(const std::wstring &text) {
  for (wchar_t c : text) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wScan = input[1].ki.wScan = c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
  PumpFor(150);
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

namespace {

int FailOnMessageBox(HWND, const std::string &text, const std::string &caption, UINT) {
  ADD_FAILURE() << "unexpected message box \"" << caption << "\": " << text;
  return IDCANCEL;
}

} // namespace

void InstallFailingMessageBoxHook() { SetMessageBoxHook(FailOnMessageBox); }

MessageBoxCapture::MessageBoxCapture(int answer) : Answer(answer) {
  SetMessageBoxHook([this](HWND, const std::string &text, const std::string &caption, UINT flags) {
    Boxes.push_back({text, caption, flags});
    return Answer;
  });
}

MessageBoxCapture::~MessageBoxCapture() { InstallFailingMessageBoxHook(); }

PopupCapture::PopupCapture() {
  FPrevious = SetPopupHook([this](TPopupMenu *menu, int x, int y) { Menus.push_back({menu, POINT{x, y}}); });
}

PopupCapture::~PopupCapture() { SetPopupHook(std::move(FPrevious)); }

MemorySurface::MemorySurface(int width, int height, COLORREF fill) {
  dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void *bits = nullptr;
  FBitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  FOld = SelectObject(dc, FBitmap);
  RECT all = {0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(fill);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

MemorySurface::~MemorySurface() {
  SelectObject(dc, FOld);
  DeleteObject(FBitmap);
  DeleteDC(dc);
}

namespace {

std::wstring WideLocaleText(LCTYPE type) {
  wchar_t buffer[100] = {};
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 100))
    return {};
  return buffer;
}

} // namespace

std::string UserLocaleText(LCTYPE type) { return WideToUtf8(WideLocaleText(type).c_str()); }

UserLocaleOverride::UserLocaleOverride(LCTYPE type, const std::wstring &value)
    : FType(type), FSaved(WideLocaleText(type)) {
  FApplied = SetLocaleInfoW(LOCALE_USER_DEFAULT, type, value.c_str()) && WideLocaleText(type) == value;
}

UserLocaleOverride::~UserLocaleOverride() {
  if (!SetLocaleInfoW(LOCALE_USER_DEFAULT, FType, FSaved.c_str()) || WideLocaleText(FType) != FSaved)
    ADD_FAILURE() << "the user's locale text " << FType << " could not be put back";
}

TKdIdListPtr ParsePath(const std::string &name) {
  TKdIdListPtr list;
  HRESULT hr = ParseDisplayNameToIdList(name, list);
  EXPECT_EQ(hr, S_OK) << name;
  return list;
}

std::string UnixPathOf(const std::string &path) {
  using UnixFileName = char *(CDECL *)(const WCHAR *);
  auto toUnix = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char *unix = toUnix ? toUnix(Utf8ToWide(path).c_str()) : nullptr;
  if (!unix)
    return {};
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

std::string ExeDir() {
  wchar_t buffer[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
  std::string path = WideToUtf8(buffer);
  return path.substr(0, path.find_last_of('\\'));
}

std::string PlantedLibrary(const std::string &name) {
  std::string bin = ExeDir();
  return bin.substr(0, bin.find_last_of('\\')) + "\\planted\\" + name;
}

} // namespace zortest
