#pragma once
// Whether the items of a transfer arrived whole, judged by what the disk shows. Under Wine the platform's file
// operation answers success for a copy that ran out of space and leaves the cut-off file behind under the
// item's own name, where it looks like the real thing (a move keeps its source then, but a user who trusts the
// folder loses the rest of the file once the source is cleaned up). Made before the transfer, this notes what
// the destinations already held; afterwards it removes every file the transfer created that is not a complete
// copy of its source and names what did not arrive. What was there before is never touched, nor any source.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

class TTransferArrival {
public:
  // sources[i] goes to destinations[i] (full paths, the name in the target included); move when the sources
  // are to leave their places.
  TTransferArrival(std::vector<std::wstring> sources, std::vector<std::wstring> destinations, bool move);

  // Removes what the transfer left cut off: the files it created whose size differs from their source's and,
  // once anything failed (failed, or such a file, or an item missing), those whose bytes differ; then the
  // folders it created that are left empty while their source is not. Answers what did not arrive whole, by
  // the sources' names below the target folder ("album\b.bin"; a folder that did not arrive at all is named
  // alone); for a move also what is still in its place. Empty when everything arrived.
  std::vector<std::wstring> RemoveCutOffCopies(bool failed);

private:
  struct TDelivery {
    std::wstring Source, Destination, Name;
    bool Created;
    bool SameSize;
  };

  void NoteExisting(const std::wstring &path);
  bool Created(const std::wstring &path) const;
  // Walks one source against its destination, collecting the files, the folders the transfer made, and what
  // is missing. Sources that are gone left their places whole (the platform deletes them only then).
  void Visit(const std::wstring &source, const std::wstring &destination, const std::wstring &name);

  std::vector<std::wstring> FSources, FDestinations;
  bool FMove;
  // Every path below the destinations before the transfer, in upper case.
  std::set<std::wstring> FExisting;
  std::vector<TDelivery> FFiles;
  // Destination and source of each folder the transfer made, the deepest first.
  std::vector<std::pair<std::wstring, std::wstring>> FMadeFolders;
  std::vector<std::wstring> FMissing;
};
