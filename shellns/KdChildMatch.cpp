#include "shellns/KdChildMatch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "shellns/KdPidlList.h"

namespace {

// A hash of an ID list's bytes, eight at a time: a refresh hashes every child of the folder.
uint64_t HashBytes(LPCITEMIDLIST list) {
  const auto *bytes = reinterpret_cast<const BYTE *>(list);
  const UINT size = IdListSize(list);
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
  UINT i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 32;
  }
  for (; i < size; ++i)
    hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

void PairByBytes(const std::vector<LPCITEMIDLIST> &shown, const std::vector<TKdIdListPtr> &fresh,
                 TKdChildMatch &match) {
  std::vector<std::pair<uint64_t, int>> hashes;
  hashes.reserve(shown.size());
  for (size_t i = 0; i < shown.size(); ++i)
    hashes.emplace_back(HashBytes(shown[i]), static_cast<int>(i));
  std::sort(hashes.begin(), hashes.end());
  for (size_t j = 0; j < fresh.size(); ++j) {
    const uint64_t hash = HashBytes(fresh[j].get());
    for (auto at = std::lower_bound(hashes.begin(), hashes.end(), std::pair<uint64_t, int>(hash, -1));
         at != hashes.end() && at->first == hash; ++at) {
      const auto i = static_cast<size_t>(at->second);
      if (match.FreshOf[i] < 0 && ComparePidls(nullptr, shown[i], fresh[j].get()) == 0) {
        match.FreshOf[i] = static_cast<int>(j);
        match.Shown[j] = true;
        break;
      }
    }
  }
}

void PairByFolder(IShellFolder *folder, const std::vector<LPCITEMIDLIST> &shown, const std::vector<TKdIdListPtr> &fresh,
                  TKdChildMatch &match) {
  TKdPidlList unpaired;
  unpaired.Folder = folder;
  unpaired.Duplicates = TKdDuplicates::dupIgnore;
  for (size_t i = 0; i < shown.size(); ++i)
    if (match.FreshOf[i] < 0)
      unpaired.AddObject(IdListCopy(shown[i]), reinterpret_cast<void *>(i));
  if (unpaired.Count() == 0)
    return;
  unpaired.SetSorted(true);
  for (size_t j = 0; j < fresh.size(); ++j) {
    int index = -1;
    if (match.Shown[j] || !unpaired.Find(fresh[j].get(), index))
      continue;
    const auto i = reinterpret_cast<size_t>(unpaired.Objects(index));
    if (match.FreshOf[i] >= 0)
      continue;
    match.FreshOf[i] = static_cast<int>(j);
    match.Shown[j] = true;
    match.Renewed[i] = true;
  }
}

} // namespace

TKdChildMatch MatchChildren(IShellFolder *folder, const std::vector<LPCITEMIDLIST> &shown,
                            const std::vector<TKdIdListPtr> &fresh) {
  TKdChildMatch match;
  match.FreshOf.assign(shown.size(), -1);
  match.Shown.assign(fresh.size(), false);
  match.Renewed.assign(shown.size(), false);
  PairByBytes(shown, fresh, match);
  if (folder)
    PairByFolder(folder, shown, fresh, match);
  return match;
}
