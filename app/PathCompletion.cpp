#include "app/PathCompletion.h"

#include <algorithm>

#include "shellns/WineHost.h"
#include "toolkit/SysUtils.h"

namespace {

// Rows the drop-down shows before it scrolls.
constexpr int VisibleRows = 12;

bool SameFolder(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// A drive path ("C:\", "c:/dir/") or a share and what is under it ("\\server\share\"): what can be listed
// without the shell. A lone server has only shares, which take the network to list.
bool IsListablePath(const std::wstring &path) {
  if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\')
    return true;
  if (path.size() < 3 || path[0] != L'\\' || path[1] != L'\\' || path[2] == L'\\' || path[2] == L'?' || path[2] == L'.')
    return false;
  const size_t share = path.find(L'\\', 2);
  return share != std::wstring::npos && share + 1 < path.size() && path.find(L'\\', share + 1) != std::wstring::npos;
}

} // namespace

TPathTextBox::TPathTextBox(TComponent *AOwner)
    : TEdit(AOwner), FReader(std::make_unique<TFolderNameReader>(nullptr, WM_FOLDERREAD)) {
  FDropDown.OnTake = [this](int row) { TakeOffer(row); };
}

TPathTextBox::~TPathTextBox() {
  // While this class's DestroyWnd can still run.
  DestroyHandle();
}

void TPathTextBox::CreateWnd() {
  TEdit::CreateWnd();
  FReader->SetWindow(WindowHandle());
}

void TPathTextBox::DestroyWnd() {
  FReader->SetWindow(nullptr);
  FDropDown.Destroy();
  FOffers.clear();
  TEdit::DestroyWnd();
}

void TPathTextBox::FontChanged() {
  TEdit::FontChanged();
  // The drop-down is made with the box's font (gone now) and rows of its height: it is made anew when next shown.
  CloseOffers();
  FDropDown.Destroy();
}

void TPathTextBox::CloseOffers() {
  FOffers.clear();
  FDropDown.Hide();
}

void TPathTextBox::WndProc(TMessage &message) {
  switch (message.Msg) {
  case WM_FOLDERREAD:
    ListingArrived();
    return;
  case CN_COMMAND:
    if (HIWORD(message.WParam) == EN_CHANGE && FUserEdit > 0 && !FOwnText)
      UpdateOffers();
    break;
  case WM_CHAR:
  case WM_KEYDOWN:
  case WM_PASTE:
  case WM_CUT:
  case WM_CLEAR:
  case WM_UNDO:
  case EM_UNDO: {
    // What the user does to the text: the change it causes is answered with offers.
    ++FUserEdit;
    TAtExit done([this] { --FUserEdit; });
    TEdit::WndProc(message);
    return;
  }
  default:
    break;
  }
  TEdit::WndProc(message);
}

std::wstring TPathTextBox::FolderOfParent(const std::string &parent) {
  if (parent == FParentText)
    return FParentFolder;
  std::wstring folder;
  if (parent[0] == '/') {
    folder = WineDosPathOfUnixPath(parent);
  } else {
    folder = Utf8ToWide(parent);
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
  }
  if (!IsListablePath(folder))
    folder.clear();
  FParentText = parent;
  FParentFolder = folder;
  return folder;
}

void TPathTextBox::UpdateOffers() {
  const std::string text = Text();
  const size_t cut = text.find_last_of("\\/");
  const std::wstring folder = cut == std::string::npos ? std::wstring() : FolderOfParent(text.substr(0, cut + 1));
  if (folder.empty()) {
    CloseOffers();
    return;
  }
  if (!FListed || !SameFolder(FListing.Folder, folder)) {
    if (!SameFolder(FRequested, folder)) {
      FRequested = folder;
      FReader->Request(folder);
    }
    CloseOffers();
    return;
  }
  const std::string parent = text.substr(0, cut + 1);
  const std::wstring key = TFolderNameReader::KeyOf(Utf8ToWide(text.substr(cut + 1)));
  auto name = std::lower_bound(FListing.Names.begin(), FListing.Names.end(), key,
                               [](const TFolderName &entry, const std::wstring &k) { return entry.Key < k; });
  FOffers.clear();
  for (; name != FListing.Names.end() && FOffers.size() < MaxOffers && name->Key.compare(0, key.size(), key) == 0;
       ++name)
    if (FOfferHidden || !name->Hidden)
      FOffers.push_back(parent + WideToUtf8(name->Name.c_str()));
  // Nothing left to complete.
  if (FOffers.size() == 1 && FOffers[0] == text)
    FOffers.clear();
  ShowDropDown();
}

void TPathTextBox::ListingArrived() {
  TFolderListing listing;
  if (!FReader->TakeListing(listing) || !SameFolder(listing.Folder, FRequested))
    return;
  FListing = std::move(listing);
  FListed = true;
  FRequested.clear();
  if (Focused())
    UpdateOffers();
}

void TPathTextBox::ShowDropDown() {
  if (FOffers.empty() || !HandleAllocated()) {
    CloseOffers();
    return;
  }
  RECT box;
  GetWindowRect(Handle(), &box);
  FDropDown.Show(GetAncestor(Handle(), GA_ROOT), reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)),
                 CurrentPPI(), box, VisibleRows);
}

void TPathTextBox::MoveHighlight(int step) {
  const auto count = static_cast<int>(FOffers.size());
  const int current = FDropDown.Highlighted();
  int next = current < 0 ? (step > 0 ? 0 : count - 1) : current + step;
  next = std::clamp(next, 0, count - 1);
  FDropDown.Highlight(next);
  SetOwnText(FOffers[static_cast<size_t>(next)]);
}

void TPathTextBox::TakeOffer(int index) {
  if (index < 0 || static_cast<size_t>(index) >= FOffers.size())
    return;
  const std::string offer = FOffers[static_cast<size_t>(index)];
  // Into the folder, with the separator the user types.
  const size_t cut = offer.find_last_of("\\/");
  SetOwnText(offer + (cut != std::string::npos ? offer[cut] : '\\'));
  UpdateOffers();
}

void TPathTextBox::SetOwnText(const std::string &text) {
  FOwnText = true;
  TAtExit done([this] { FOwnText = false; });
  SetText(text);
  const auto length = static_cast<LPARAM>(GetWindowTextLengthW(Handle()));
  SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(length), length);
}

void TPathTextBox::KeyDown(WORD &key, TShiftState shift) {
  if (shift.Empty() && OffersShown()) {
    switch (key) {
    case VK_DOWN:
    case VK_UP:
      MoveHighlight(key == VK_DOWN ? 1 : -1);
      key = 0;
      return;
    case VK_NEXT:
    case VK_PRIOR:
      MoveHighlight(key == VK_NEXT ? VisibleRows : -VisibleRows);
      key = 0;
      return;
    case VK_TAB:
      TakeOffer(std::max(0, FDropDown.Highlighted()));
      key = 0;
      return;
    default:
      break;
    }
  } else if (shift.Empty() && key == VK_DOWN) {
    UpdateOffers();
    key = 0;
    return;
  }
  if (key == VK_RETURN || key == VK_ESCAPE)
    CloseOffers();
  TEdit::KeyDown(key, shift);
}

void TPathTextBox::KeyPress(wchar_t &key) {
  // The tab that took an offer is no character of the text.
  if (key == L'\t')
    key = 0;
  TEdit::KeyPress(key);
}

bool TPathTextBox::WantSpecialKey(WORD key, TShiftState shift) {
  return TEdit::WantSpecialKey(key, shift) || (key == VK_TAB && shift.Empty() && OffersShown());
}

void TPathTextBox::DoEnter() {
  FListed = false;
  FListing = TFolderListing();
  FRequested.clear();
  TEdit::DoEnter();
}

void TPathTextBox::DoExit() {
  CloseOffers();
  TEdit::DoExit();
}

void TPathTextBox::TextChanged() {
  if (!FOwnText)
    CloseOffers();
  TEdit::TextChanged();
}
