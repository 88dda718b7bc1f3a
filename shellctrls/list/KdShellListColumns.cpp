// The shell list's columns, cell texts and row order.
#include "shellctrls/list/KdCustomShellList.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "shellctrls/KdResString.h"
#include "shellctrls/UKdShConsts.h"
#include "shellctrls/list/DetailTexts.h"
#include "shellns/WineHost.h"
#include "toolkit/MemoryStream.h"
#include "toolkit/Registry.h"
#include "toolkit/SysUtils.h"

namespace {

// The explorer's widths of Name, Size, Type and Modified, as the first four 16-bit words of at most
// DirectoryColsSize bytes.
constexpr int DirectoryColsSize = 22;
constexpr uint16_t DefaultDirectoryCols[] = {200, 60, 100, 120, 50};
constexpr int DefaultDirectoryColsSize = sizeof DefaultDirectoryCols;

// No folder has this many columns; one that answers for every number must not keep the list busy forever.
constexpr int MaxDetailColumns = 1024;

// What every shell list of the program shares: the column widths last used (a count and as many widths, all
// signed 32-bit), and the "DirectoryCols" data the last set of the list's own columns was built from.
struct TSharedColumnState {
  TMemoryStream Widths;
  uint8_t Snapshot[DirectoryColsSize] = {};
  int SnapshotSize = 0;
};

TSharedColumnState &Shared() {
  static TSharedColumnState state;
  return state;
}

// Reads "DirectoryCols" into buffer (defaults first); its size in bytes.
int ReadDirectoryCols(uint8_t (&buffer)[DirectoryColsSize]) {
  std::memset(buffer, 0, sizeof buffer);
  std::memcpy(buffer, DefaultDirectoryCols, sizeof DefaultDirectoryCols);
  int size = DefaultDirectoryColsSize;
  try {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer")) {
      const int dataSize = registry.GetDataSize("DirectoryCols");
      if (dataSize >= 0 && dataSize <= DirectoryColsSize) {
        uint8_t data[DirectoryColsSize];
        const int read = registry.ReadBinaryData("DirectoryCols", data, DirectoryColsSize);
        if (read > 0) {
          std::memcpy(buffer, data, static_cast<size_t>(read));
          size = read;
        }
      }
    }
  } catch (const Exception &) {
    // A value of another type or one that changed size under us: the defaults.
  }
  return size;
}

uint16_t WordAt(const uint8_t *bytes, int index) {
  uint16_t word;
  std::memcpy(&word, bytes + index * 2, sizeof word);
  return word;
}

TAlignment AlignmentOf(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
  case LVCFMT_RIGHT:
    return taRightJustify;
  case LVCFMT_CENTER:
    return taCenter;
  default:
    return taLeftJustify;
  }
}

// The widths of the shared record, in column order.
std::vector<int> SharedWidths() {
  TMemoryStream &widths = Shared().Widths;
  std::vector<int> result;
  widths.SetPosition(0);
  if (widths.Remaining() < 4)
    return result;
  const int32_t count = widths.ReadValue<int32_t>();
  for (int i = 0; i < count && widths.Remaining() >= 4; ++i)
    result.push_back(widths.ReadValue<int32_t>());
  return result;
}

} // namespace

// A column as a fill builds it, its width at 96 dpi. A new column of the control is this wide until it is given
// a width.
struct TKdColumnPlan {
  std::string Caption;
  TAlignment Alignment = taLeftJustify;
  int Width = 50;
};

namespace {

// The shared widths given to the first columns, as many as both have.
void TakeSharedWidths(std::vector<TKdColumnPlan> &plan) {
  const std::vector<int> widths = SharedWidths();
  for (size_t i = 0; i < plan.size() && i < widths.size(); ++i)
    plan[i].Width = widths[i];
}

} // namespace

// --- columns ---

void TKdCustomShellList::SetupColumns(IShellDetails *details) {
  if (Columns().Count() > 0 && FWidthsShared)
    SaveColumnWidths();
  if (details)
    BuildDetailColumns(details);
  else
    BuildFixedColumns();
  FOwnDriveSizes = details && IsRunningUnderWine() && IsSpecialFolder(FCurrentIdList.get(), CSIDL_DRIVES);
  UpdateHeaderFormats();
  // A sort by a column the new folder lacks falls back to the first, whichever its direction was.
  if (Columns().Count() < std::abs(FSortNumber))
    SetSortNumber(1);
  else
    SetSortNumber(FSortNumber);
}

void TKdCustomShellList::BuildFixedColumns() {
  uint8_t buffer[DirectoryColsSize];
  const int size = ReadDirectoryCols(buffer);
  TSharedColumnState &shared = Shared();
  std::vector<TKdColumnPlan> plan;
  static const int captions[] = {SKdShColName, SKdShColSize, SKdShColType, SKdShColModified};
  for (int caption : captions)
    plan.push_back(
        {KdLoadResString(static_cast<UINT>(caption)), caption == SKdShColSize ? taRightJustify : taLeftJustify});
  // The explorer's widths apply when they are new to the program; otherwise the widths the user gave the
  // columns last, in this list or another, carry over.
  const bool unchanged = shared.SnapshotSize != 0 && size == shared.SnapshotSize &&
                         std::memcmp(buffer, shared.Snapshot, static_cast<size_t>(size / 2 * 2)) == 0 &&
                         shared.Widths.Size() > 0;
  if (unchanged)
    TakeSharedWidths(plan);
  else
    for (int i = 0; i < 4; ++i)
      plan[static_cast<size_t>(i)].Width = WordAt(buffer, i);
  ShowColumns(plan);
  std::memcpy(shared.Snapshot, buffer, sizeof buffer);
  shared.SnapshotSize = size;
  FColumnSet = 2;
  FWidthsShared = true;
}

void TKdCustomShellList::BuildDetailColumns(IShellDetails *details) {
  const bool fileSystem = !IdListToPath(FCurrentIdList.get()).empty();
  const bool sharedEmpty = Shared().Widths.Size() == 0;
  // Widths for the screen's width, both at 96 dpi.
  const double scale = ScreenWidthAt96() / 1280.0;
  static const int scaledWidths[] = {360, 110, 270, 140};
  std::vector<TKdColumnPlan> plan;
  for (int i = 0; i < MaxDetailColumns; ++i) {
    SHELLDETAILS record = {};
    record.str.uType = STRRET_CSTR;
    if (FAILED(details->GetDetailsOf(nullptr, static_cast<UINT>(i), &record)))
      break;
    TKdColumnPlan column;
    column.Caption = StrRetToString(nullptr, record.str);
    if (!fileSystem || sharedEmpty)
      column.Width = record.cxChar * 7;
    // The control draws its first column left-justified whatever it is told (Windows does; Wine's folders
    // ask for every column right-justified).
    column.Alignment = i == 0 ? taLeftJustify : AlignmentOf(record.fmt);
    FreeStrRet(record.str);
    if (i < 4)
      column.Width = static_cast<int>(scale * scaledWidths[i]);
    plan.push_back(std::move(column));
  }
  if (fileSystem && !sharedEmpty)
    TakeSharedWidths(plan);
  ShowColumns(plan);
  FWidthsShared = fileSystem;
  FColumnSet = 1;
}

void TKdCustomShellList::ShowColumns(const std::vector<TKdColumnPlan> &plan) {
  bool same = Columns().Count() == static_cast<int>(plan.size());
  for (int i = 0; same && i < Columns().Count(); ++i)
    same = Columns()[i]->Caption() == plan[static_cast<size_t>(i)].Caption &&
           Columns()[i]->Alignment() == plan[static_cast<size_t>(i)].Alignment;
  // Most fills show the columns the list shows already: they keep them, given the widths a new set would have.
  // Taking them down and putting them up again costs the control and its header more than the rest of a
  // fill of a small folder.
  if (same) {
    for (int i = 0; i < Columns().Count(); ++i)
      if (const int width = ScaleValue(plan[static_cast<size_t>(i)].Width); Columns()[i]->Width() != width)
        Columns()[i]->SetWidth(width);
    return;
  }
  Columns().BeginUpdate();
  TAtExit end([this] { Columns().EndUpdate(); });
  Columns().Clear();
  for (const TKdColumnPlan &wanted : plan) {
    TListColumn *column = Columns().Add();
    column->SetCaption(wanted.Caption);
    column->SetAlignment(wanted.Alignment);
    column->SetWidth(ScaleValue(wanted.Width));
  }
}

void TKdCustomShellList::SaveColumnWidths() {
  TMemoryStream &widths = Shared().Widths;
  widths.Clear();
  widths.WriteValue<int32_t>(Columns().Count());
  // At 96 dpi: the lists of other tabs may be laid out at another resolution by the time they read them.
  for (int i = 0; i < Columns().Count(); ++i)
    widths.WriteValue<int32_t>(MulDiv(Columns()[i]->Width(), DefaultPixelsPerInch, CurrentPPI()));
}

// --- sorting ---

void TKdCustomShellList::SetSortNumber(int n) {
  SetSortColumn(n == 0 ? -1 : std::abs(n) - 1);
  SetSortFlag(n >= 0);
  FSortSetByColumnClick = true;
  if (n != FSortNumber) {
    FSortNumber = n;
    SortRows();
  }
}

int TKdCustomShellList::CompareRows(LPCITEMIDLIST a, LPCITEMIDLIST b) const {
  if (!a || !b || !FShellFolder)
    return 0;
  HRESULT hr = FShellFolder->CompareIDs(static_cast<LPARAM>(std::abs(FSortNumber) - 1), a, b);
  if (FAILED(hr))
    return 0;
  const int order = static_cast<short>(HRESULT_CODE(hr));
  return FSortNumber < 0 ? -order : order;
}

void TKdCustomShellList::SortRows() {
  if (FSortNumber == 0) {
    AlphaSort();
    return;
  }
  if (Items().Count() < 2 || !FShellFolder)
    return;
  // Each row's list is looked up once, not once per comparison.
  std::vector<LPCITEMIDLIST> keys(static_cast<size_t>(Items().Count()));
  for (int i = 0; i < Items().Count(); ++i)
    if (TKdShListData *data = ShellData(Items()[i]))
      keys[static_cast<size_t>(i)] = data->RelIdList();
  CustomSort([&](TListItem *a, TListItem *b) {
    return CompareRows(keys[static_cast<size_t>(a->Index())], keys[static_cast<size_t>(b->Index())]);
  });
}

void TKdCustomShellList::ColClick(TListColumn *column) {
  FSortSetByColumnClick = false;
  TKdCustomListView::ColClick(column);
  if (FSortSetByColumnClick)
    return;
  const int number = column->Index() + 1;
  SetSortNumber(number == FSortNumber ? -FSortNumber : number);
}

// --- cells ---

std::string TKdCustomShellList::GetDisplayText(TListItem *item, int column) {
  TKdShListData *data = ShellData(item);
  if (column == 0) {
    if (!item->Caption().empty() || !data)
      return item->Caption();
    return data->GetName();
  }
  if (item->SubItems().Count() < column)
    return {};
  if (item->SubItems().HasText(column - 1) || !data)
    return item->SubItems()[column - 1];
  // Wine's My Computer: File, Type, Size, Size available.
  if (FOwnDriveSizes && (column == 2 || column == 3)) {
    const std::string path = data->GetPath();
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\')
      return DriveSpaceText(path, column == 2);
  }
  return data->GetColumnText(column);
}

std::string TKdCustomShellList::SizeColumnText(uint64_t bytes) const {
  return FColumnSet == 2 ? FormatSizeKB(bytes) : FormatKBSize(bytes);
}

int TKdCustomShellList::GetDisplayImage(TListItem *item) {
  GetImageIndex(item);
  if (item->ImageIndex() < 1)
    if (TKdShListData *data = ShellData(item))
      return data->GetIconIndex();
  return item->ImageIndex();
}
