#include "app/CommandLine.h"

#include <shellapi.h>

#include "app/MainFormUnit.h"
#include "shellns/KdIdListArray.h"
#include "toolkit/SysUtils.h"

namespace {

// How much of one argument, and how many arguments, the error box names.
constexpr size_t ShownBytes = 200;
constexpr size_t ShownArguments = 10;

// An argument as a line of the error box: control characters shown as "?", cut after ShownBytes at a
// character's start.
std::string ShownArgument(const std::string &argument) {
  std::string shown;
  for (char c : argument) {
    const auto byte = static_cast<unsigned char>(c);
    if (shown.size() >= ShownBytes && (byte & 0xC0) != 0x80)
      return shown + "...";
    shown += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return shown;
}

// "::{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", alone or followed by "\" and more.
bool IsClassName(const std::string &name) {
  constexpr size_t Length = 2 + 38;
  if (name.size() < Length || (name.size() > Length && name[Length] != '\\'))
    return false;
  CLSID id;
  return SUCCEEDED(CLSIDFromString(Utf8ToWide(name.substr(2, 38)).c_str(), &id));
}

} // namespace

std::vector<std::string> CommandLineArguments(const wchar_t *commandLine) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR *argv = commandLine && *commandLine ? CommandLineToArgvW(commandLine, &count) : nullptr;
  if (!argv)
    return arguments;
  for (int i = 1; i < count; ++i) {
    std::string argument = WideToUtf8(argv[i]);
    // "C:\dir\" quoted the usual way reaches the program as C:\dir" (the backslash escapes the quote); no
    // name of a file or folder holds a quote.
    if (!argument.empty() && argument.back() == '"')
      argument.back() = '\\';
    arguments.push_back(std::move(argument));
  }
  LocalFree(argv);
  return arguments;
}

HRESULT ResolveStartFolder(const std::string &argument, TStartFolder &folder) {
  folder = TStartFolder();
  // Some shells take a broken "::{" name for the desktop: only a whole class identifier names a folder.
  if (argument.rfind("::", 0) == 0 && !IsClassName(argument))
    return HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
  TKdIdListPtr list;
  HRESULT hr = ParseDisplayNameToIdList(argument, list);
  if (FAILED(hr))
    return hr;
  TKdIdListArray items(list.get());
  // The desktop.
  if (items.Count() == 0) {
    folder.Folder = std::move(list);
    return S_OK;
  }
  ComPtr<IShellFolder> parent;
  LPCITEMIDLIST child = nullptr;
  hr = SHBindToParent(list.get(), IID_IShellFolder, parent.PutVoid(), &child);
  if (FAILED(hr))
    return hr;
  SFGAOF attributes = SFGAO_FOLDER;
  hr = parent->GetAttributesOf(1, &child, &attributes);
  if (FAILED(hr))
    return hr;
  if (attributes & SFGAO_FOLDER) {
    folder.Folder = std::move(list);
  } else {
    folder.Folder = IdListCopy(items.GetHead(1));
    folder.Item = std::move(list);
  }
  return S_OK;
}

std::string UnopenedArgumentsText(const std::vector<std::string> &arguments) {
  std::string text = "ERROR: Unable to open:";
  for (size_t i = 0; i < arguments.size() && i < ShownArguments; ++i) {
    text += '\n';
    text += ShownArgument(arguments[i]);
  }
  if (arguments.size() > ShownArguments) {
    text += "\n(and ";
    text += std::to_string(arguments.size() - ShownArguments);
    text += " more)";
  }
  return text;
}

void TFormMainExplorer::OpenStartFolders(const std::vector<std::string> &arguments) {
  std::vector<TStartFolder> folders;
  std::vector<std::string> unopened;
  for (const std::string &argument : arguments) {
    TStartFolder folder;
    if (argument.empty())
      continue;
    if (SUCCEEDED(ResolveStartFolder(argument, folder)))
      folders.push_back(std::move(folder));
    else
      unopened.push_back(argument);
  }
  if (!unopened.empty()) {
    // Shown from the message loop, once the window is.
    FStartError = UnopenedArgumentsText(unopened);
    PostMessageW(Handle(), WM_SHOWSTARTERROR, 0, 0);
  }
  if (folders.empty() || !FActiveTab)
    return;
  // The first argument's tab on top and active: the window's first tab takes the last argument, and the
  // others open above it from the last to the first.
  OpenStartFolder(FActiveTab, folders.back());
  for (size_t i = folders.size() - 1; i-- > 0;) {
    TKdShellLocator locator;
    locator.SetIdList(folders[i].Folder.get());
    TabCreatePanel(&locator);
    OpenStartFolder(FActiveTab, folders[i]);
  }
  DeleteTab1->SetEnabled(FTabs.size() > 1);
}

void TFormMainExplorer::OpenStartFolder(TExplorerTab *tab, const TStartFolder &folder) {
  TKdShellLocator locator;
  locator.SetIdList(folder.Folder.get());
  tab->Tree->SetCurrentFolder(&locator);
  tab->History.Start(folder.Folder.get());
  if (folder.Item)
    tab->List->SelectWhenShown(folder.Item.get());
}
