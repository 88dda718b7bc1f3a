#include "app/FolderNameReader.h"

#include <algorithm>

namespace {

// Entries read between two looks at whether the read is still wanted.
constexpr int CheckEvery = 256;

std::wstring SearchPattern(std::wstring folder) {
  if (folder.empty() || folder.back() != L'\\')
    folder += L'\\';
  // Past MAX_PATH only the unparsed form reaches the file system.
  if (folder.size() + 1 >= MAX_PATH && folder.size() > 2 && folder[1] == L':')
    folder = L"\\\\?\\" + folder;
  return folder + L'*';
}

} // namespace

TFolderNameReader::TFolderNameReader(HWND window, UINT message) : FWindow(window), FMessage(message) { Start(); }

TFolderNameReader::~TFolderNameReader() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    Terminate();
    ++FGeneration;
  }
  FWake.notify_all();
  WaitFor();
}

void TFolderNameReader::Request(const std::wstring &folder) {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FRequested = folder;
    FPending = true;
    FDone.reset();
    ++FGeneration;
  }
  FWake.notify_all();
}

bool TFolderNameReader::TakeListing(TFolderListing &listing) {
  std::lock_guard<std::mutex> lock(FLock);
  if (!FDone)
    return false;
  listing = std::move(*FDone);
  FDone.reset();
  return true;
}

std::wstring TFolderNameReader::KeyOf(const std::wstring &text) {
  if (text.empty())
    return text;
  std::wstring key(text.size(), L'\0');
  const int length = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()),
                                  key.data(), static_cast<int>(key.size()));
  key.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return length > 0 ? key : text;
}

void TFolderNameReader::Execute() {
  // A drive without a medium answers with an error instead of a dialog.
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
  for (;;) {
    std::wstring folder;
    uint64_t generation = 0;
    {
      std::unique_lock<std::mutex> lock(FLock);
      FWake.wait(lock, [this] { return FPending || Terminated(); });
      if (Terminated())
        return;
      folder = FRequested;
      FPending = false;
      generation = FGeneration;
    }
    auto listing = std::make_unique<TFolderListing>();
    listing->Folder = folder;
    if (!Read(folder, generation, *listing))
      continue;
    {
      std::lock_guard<std::mutex> lock(FLock);
      if (generation != FGeneration)
        continue;
      FDone = std::move(listing);
    }
    PostMessageW(FWindow, FMessage, 0, 0);
  }
}

bool TFolderNameReader::Read(const std::wstring &folder, uint64_t generation, TFolderListing &listing) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(SearchPattern(folder).c_str(), FindExInfoBasic, &found,
                                   FindExSearchLimitToDirectories, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE)
    return generation == FGeneration;
  listing.Read = true;
  int sinceCheck = 0;
  do {
    if (++sinceCheck == CheckEvery) {
      sinceCheck = 0;
      if (generation != FGeneration)
        break;
    }
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..")
      continue;
    listing.Names.push_back({name, KeyOf(name), (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (generation != FGeneration)
    return false;
  std::sort(listing.Names.begin(), listing.Names.end(),
            [](const TFolderName &a, const TFolderName &b) { return a.Key < b.Key; });
  return generation == FGeneration;
}
