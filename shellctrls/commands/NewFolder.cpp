#include "shellctrls/commands/NewFolder.h"

#include <windows.h>

#include <functional>

#include "shellctrls/KdResString.h"
#include "shellctrls/UKdShConsts.h"
#include "shellns/FormatStrPos.h"
#include "shellns/IdList.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr int MaxNumber = 50;

enum class TTryResult { Created, Exists, Failed };

void ShowCreateError(DWORD code, const std::string &name) {
  const std::string text = FormatStrPos(KdLoadResString(SKdShCreateFolderError), {SysErrorMessage(code), name});
  ShowMessageBox(GetActiveWindow(), text, "Warning", MB_OK | MB_ICONWARNING);
}

TTryResult TryCreateFolderName(const std::string &folder, const std::string &candidate, std::string &name) {
  if (CreateDirectoryA((folder + candidate).c_str(), nullptr)) {
    name = candidate;
    return TTryResult::Created;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS)
    return TTryResult::Exists;
  ShowCreateError(error, candidate);
  return TTryResult::Failed;
}

// Tries the names of one series in order; true at the first created, false at the first error or when all
// of them exist.
bool TryNewFolderSeries(const std::string &folder, const std::function<std::string(int)> &nameOf, std::string &name) {
  for (int n = 1; n <= MaxNumber; ++n) {
    switch (TryCreateFolderName(folder, nameOf(n), name)) {
    case TTryResult::Created:
      return true;
    case TTryResult::Failed:
      return false;
    case TTryResult::Exists:
      break;
    }
  }
  return false;
}

std::string CurrentDirectory() {
  DWORD length = GetCurrentDirectoryA(0, nullptr);
  std::string result(length, '\0');
  length = GetCurrentDirectoryA(length, result.data());
  result.resize(length);
  return result;
}

} // namespace

bool CreateNewFolder(const std::string &path, std::string &name) {
  const std::string folder = AppendDelimiter(path.empty() ? CurrentDirectory() : path, '\\');
  const std::string base = KdLoadResString(SKdShNewFolder);

  auto localized = [&](int n) { return n == 1 ? base : base + FormatStr(" (%d)", n); };
  if (TryNewFolderSeries(folder, localized, name))
    return true;
  // The localized name may hold characters the file system refuses; a plain ASCII series still works.
  auto fallback = [](int n) { return n == 1 ? std::string("fldr") : FormatStr("fldr%d", n); };
  if (TryNewFolderSeries(folder, fallback, name))
    return true;
  ShowCreateError(ERROR_ALREADY_EXISTS, base);
  return false;
}
