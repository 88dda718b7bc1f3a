// The shell list's name filter: a view over the rows already read that shows those whose shown name contains
// the typed text. Asking the shell for every row's shown name would cost far more than a keystroke may take,
// so each row is matched by a key made once: the item's name in its folder as the folder parses it, which is
// what the list shows of a file-system item, less the extension where the shell hides that extension (asked
// of the shell once per extension). A row whose shown name is known already, and every item outside the file
// system, is matched by the shown name itself.
#include "shellctrls/list/KdCustomShellList.h"

#include <shlwapi.h>

#include "toolkit/SysUtils.h"

namespace {

// Letter case folded in every script alike, independent of the user's language.
std::wstring Fold(std::wstring text) {
  if (!text.empty())
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), text.data(),
                 static_cast<int>(text.size()));
  return text;
}

// The item's name in its folder as the folder parses it, or "" when the folder cannot say.
std::wstring InFolderParsingName(IShellFolder *folder, LPCITEMIDLIST item) {
  STRRET name = {};
  if (!folder || FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)))
    return {};
  wchar_t buffer[MAX_PATH * 2] = {};
  const HRESULT hr = StrRetToBufW(&name, item, buffer, static_cast<UINT>(std::size(buffer)));
  return SUCCEEDED(hr) ? std::wstring(buffer) : std::wstring();
}

} // namespace

void TKdCustomShellList::SetNameFilter(const std::string &text) {
  if (text == FNameFilter)
    return;
  FNameFilter = text;
  FNameFilterKey = Fold(Utf8ToWide(text));
  if (FNameFilter.empty())
    SetRowFilter(nullptr);
  else
    SetRowFilter([this](TListItem *item) { return RowPassesNameFilter(item); });
  if (OnNameFilterChange)
    OnNameFilterChange(this);
}

void TKdCustomShellList::PrepareNameFilter() {
  for (int i = 0; i < Items().Count(); ++i)
    if (TKdShListData *data = ShellData(Items()[i]))
      MatchKeyOf(*data);
}

bool TKdCustomShellList::RowPassesNameFilter(TListItem *item) {
  if (FNameFilterKey.empty())
    return true;
  if (TKdShListData *data = ShellData(item))
    return MatchKeyOf(*data).find(FNameFilterKey) != std::wstring::npos;
  return Fold(Utf8ToWide(GetDisplayText(item, 0))).find(FNameFilterKey) != std::wstring::npos;
}

const std::wstring &TKdCustomShellList::MatchKeyOf(TKdShListData &data) {
  if (const std::wstring *key = data.MatchKey())
    return *key;
  IShellFolder *folder = FShellFolder.Get();
  LPCITEMIDLIST item = data.RelIdList();
  SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM;
  if (!folder || FAILED(folder->GetAttributesOf(1, &item, &attributes)))
    attributes = 0;
  std::wstring name;
  if (!data.NameLoaded() && (attributes & SFGAO_FILESYSTEM))
    name = InFolderParsingName(folder, item);
  if (name.empty()) {
    data.SetMatchKey(Fold(Utf8ToWide(data.GetName())));
    return *data.MatchKey();
  }
  const bool file = !(attributes & SFGAO_FOLDER) || (attributes & SFGAO_STREAM);
  const size_t dot = name.rfind(L'.');
  if (file && dot != std::wstring::npos && dot > 0) {
    // The shell hides an extension by its type, never by the file: one item tells for all that share it.
    const std::wstring extension = Fold(name.substr(dot));
    auto known = FHiddenExtensions.find(extension);
    if (known == FHiddenExtensions.end()) {
      const std::wstring shown = Utf8ToWide(data.GetName());
      known = FHiddenExtensions.emplace(extension, shown == name.substr(0, dot)).first;
      // A name of its own (a localized one) is matched as shown.
      if (shown != name && !known->second) {
        data.SetMatchKey(Fold(shown));
        return *data.MatchKey();
      }
    }
    if (known->second)
      name.erase(dot);
  }
  data.SetMatchKey(Fold(std::move(name)));
  return *data.MatchKey();
}

void TKdCustomShellList::EndNameFilterForFolder(LPCITEMIDLIST folder) {
  auto isDesktop = [](LPCITEMIDLIST list) { return !list || list->mkid.cb == 0; };
  const bool same =
      (isDesktop(folder) && isDesktop(FCurrentIdList.get())) ||
      (!isDesktop(folder) && !isDesktop(FCurrentIdList.get()) && IdListCompare(folder, FCurrentIdList.get()) == 0);
  if (same)
    return;
  // Whether the shell hides an extension may differ in another folder (a folder of its own kind).
  FHiddenExtensions.clear();
  SetNameFilter({});
}
