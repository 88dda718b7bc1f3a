#include "shellctrls/KdChangeWatch.h"

#include <algorithm>
#include <memory>

#include "shellctrls/ChangeHandlerThread.h"

namespace {

struct TWorker {
  std::unique_ptr<TChangeHandlerThread> Thread;
  // Watches placed on it and not yet removed (a watch whose folder went away may have ended by itself).
  int Watches = 0;
};

std::vector<TWorker> &Workers() {
  static std::vector<TWorker> workers;
  return workers;
}

TWorker *WorkerOf(const TChangeHandlerThread *thread) {
  for (TWorker &worker : Workers())
    if (worker.Thread.get() == thread)
      return &worker;
  return nullptr;
}

} // namespace

TKdChangeWatch::~TKdChangeWatch() { RemoveAll(); }

bool TKdChangeWatch::Add(const std::string &path, DWORD filter, bool watchSubtree) {
  if (path.empty())
    return false;
  std::vector<TWorker> &workers = Workers();
  auto worker = std::find_if(workers.begin(), workers.end(),
                             [](const TWorker &each) { return each.Watches < TChangeHandlerThread::SlotCount; });
  if (worker == workers.end()) {
    workers.push_back({std::make_unique<TChangeHandlerThread>(nullptr, 0), 0});
    worker = workers.end() - 1;
  }
  int slot = -1;
  if (!worker->Thread->AddWatch(path, filter, slot, watchSubtree, FOwner, FMessage))
    return false;
  ++worker->Watches;
  auto held =
      std::find_if(FHeld.begin(), FHeld.end(), [&](const auto &entry) { return entry.first == worker->Thread.get(); });
  if (held == FHeld.end())
    FHeld.emplace_back(worker->Thread.get(), 1);
  else
    ++held->second;
  return true;
}

void TKdChangeWatch::RemoveAll() {
  if (FHeld.empty())
    return;
  for (const auto &[thread, count] : FHeld)
    if (TWorker *worker = WorkerOf(thread)) {
      thread->RemoveWatchesOf(FOwner);
      worker->Watches -= count;
    }
  FHeld.clear();
  // A worker left without watches ends, unless it is the only one: the next watch would only start it again.
  std::vector<TWorker> &workers = Workers();
  for (size_t i = workers.size(); i-- > 0 && workers.size() > 1;)
    if (workers[i].Watches <= 0)
      workers.erase(workers.begin() + static_cast<std::ptrdiff_t>(i));
}

int TKdChangeWatch::Count() const {
  int count = 0;
  for (const auto &entry : FHeld)
    count += entry.second;
  return count;
}

void EndChangeWatchers() { Workers().clear(); }
