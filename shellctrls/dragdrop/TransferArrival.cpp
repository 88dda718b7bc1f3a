#include "shellctrls/dragdrop/TransferArrival.h"

#include <algorithm>

#include "toolkit/Handles.h"

namespace {

std::wstring Key(std::wstring path) {
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

DWORD AttributesOf(const std::wstring &path) { return GetFileAttributesW(path.c_str()); }

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> ChildrenOf(const std::wstring &folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  TFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search)
    return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(name);
  } while (FindNextFileW(search.Get(), &found));
  return names;
}

bool SizeOf(const std::wstring &path, ULONGLONG &size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return false;
  size = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  return true;
}

bool SameSize(const std::wstring &a, const std::wstring &b) {
  ULONGLONG sizeA = 0, sizeB = 0;
  return SizeOf(a, sizeA) && SizeOf(b, sizeB) && sizeA == sizeB;
}

TKernelHandle OpenToRead(const std::wstring &path) {
  return TKernelHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Files of the same size; false when either cannot be read to its end.
bool SameBytes(const std::wstring &a, const std::wstring &b) {
  const TKernelHandle fileA = OpenToRead(a), fileB = OpenToRead(b);
  bool same = fileA && fileB;
  std::vector<char> bufferA(1 << 16), bufferB(1 << 16);
  while (same) {
    DWORD readA = 0, readB = 0;
    same = ReadFile(fileA.Get(), bufferA.data(), static_cast<DWORD>(bufferA.size()), &readA, nullptr) &&
           ReadFile(fileB.Get(), bufferB.data(), static_cast<DWORD>(bufferB.size()), &readB, nullptr) &&
           readA == readB && std::equal(bufferA.begin(), bufferA.begin() + readA, bufferB.begin());
    if (readA == 0)
      break;
  }
  return same;
}

bool RemoveFile(const std::wstring &path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str());
}

} // namespace

TTransferArrival::TTransferArrival(std::vector<std::wstring> sources, std::vector<std::wstring> destinations, bool move)
    : FSources(std::move(sources)), FDestinations(std::move(destinations)), FMove(move) {
  for (const std::wstring &destination : FDestinations)
    NoteExisting(destination);
}

void TTransferArrival::NoteExisting(const std::wstring &path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return;
  FExisting.insert(Key(path));
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    for (const std::wstring &name : ChildrenOf(path))
      NoteExisting(path + L'\\' + name);
}

bool TTransferArrival::Created(const std::wstring &path) const { return !FExisting.count(Key(path)); }

void TTransferArrival::Visit(const std::wstring &source, const std::wstring &destination, const std::wstring &name) {
  const DWORD sourceAttributes = AttributesOf(source), destinationAttributes = AttributesOf(destination);
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES)
    return;
  if (!IsFolder(sourceAttributes)) {
    if (IsFile(destinationAttributes))
      FFiles.push_back({source, destination, name, Created(destination), SameSize(source, destination)});
    else
      FMissing.push_back(name);
    return;
  }
  if (!IsFolder(destinationAttributes)) {
    FMissing.push_back(name);
    return;
  }
  for (const std::wstring &child : ChildrenOf(source))
    Visit(source + L'\\' + child, destination + L'\\' + child, name + L'\\' + child);
  if (Created(destination))
    FMadeFolders.emplace_back(destination, source);
}

std::vector<std::wstring> TTransferArrival::RemoveCutOffCopies(bool failed) {
  FFiles.clear();
  FMadeFolders.clear();
  FMissing.clear();
  for (size_t i = 0; i < FSources.size() && i < FDestinations.size(); ++i) {
    const size_t slash = FSources[i].find_last_of(L'\\');
    Visit(FSources[i], FDestinations[i], FSources[i].substr(slash == std::wstring::npos ? 0 : slash + 1));
  }
  // Every source file still in its place is one a move did not take away.
  failed = failed || !FMissing.empty() || (FMove && !FFiles.empty()) ||
           std::any_of(FFiles.begin(), FFiles.end(), [](const TDelivery &file) { return !file.SameSize; });

  std::vector<std::wstring> notArrived = FMissing;
  for (const TDelivery &file : FFiles) {
    // A copy that stopped early may already have its full size with the rest never written.
    const bool whole = file.SameSize && (!failed || SameBytes(file.Source, file.Destination));
    if (!whole && file.Created)
      RemoveFile(file.Destination);
    if (!whole || FMove)
      notArrived.push_back(file.Name);
  }
  // A folder left empty looks as if it had arrived.
  for (const auto &[destination, source] : FMadeFolders)
    if (ChildrenOf(destination).empty() && !ChildrenOf(source).empty())
      RemoveDirectoryW(destination.c_str());
  std::sort(notArrived.begin(), notArrived.end());
  return notArrived;
}
