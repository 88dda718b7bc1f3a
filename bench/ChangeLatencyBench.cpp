// How fast a file-system change reaches the owner window through the change thread, against a bare change
// handle waited on by a thread of its own (the floor); and what a burst of creations in one watched folder
// costs: messages, lag behind the burst, process growth, and the worker's CPU time while idle.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "common/ResourceCounters.h"
#include "shellctrls/ChangeHandlerThread.h"
#include "toolkit/SysUtils.h"

using zorbench::NowMs;
using zorbench::RemoveFolder;
using zorbench::RemoveFolderContents;

namespace {

constexpr UINT ChangeMessage = WM_USER + 101;
constexpr DWORD NameChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr int Samples = 20;
constexpr int BurstFiles = 1000;
constexpr int Bursts = 3;

double Median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void CreateEmptyFile(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
}

// The window that receives the change thread's messages, with their arrival times.
struct Receiver {
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == ChangeMessage) {
      auto *self = reinterpret_cast<Receiver *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
      self->Arrivals.push_back(NowMs());
      return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
  }
  Receiver() {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "ZorBenchReceiver";
    RegisterClassA(&cls);
    Wnd = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, cls.hInstance, nullptr);
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Receiver() { DestroyWindow(Wnd); }

  // Dispatches messages until pred holds or timeoutMs passes.
  template <class P> bool PumpUntil(P pred, double timeoutMs) {
    const double end = NowMs() + timeoutMs;
    for (;;) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
      if (pred())
        return true;
      const double left = end - NowMs();
      if (left <= 0)
        return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
  }
  // Dispatches until no message has arrived for quietMs.
  void PumpUntilQuiet(double quietMs) {
    for (;;) {
      size_t before = Arrivals.size();
      PumpUntil([] { return false; }, quietMs);
      if (Arrivals.size() == before)
        return;
    }
  }

  HWND Wnd;
  std::vector<double> Arrivals;
};

// The floor: a thread of its own blocked on one bare change handle, noting when it wakes.
struct BareWatcher {
  explicit BareWatcher(const std::string &folder) {
    Change = FindFirstChangeNotificationA(folder.c_str(), FALSE, NameChanges);
    Woke = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~BareWatcher() {
    Stop = true;
    CreateEmptyFile(StopFile);
    WaitForSingleObject(Thread, 5000);
    CloseHandle(Thread);
    CloseHandle(Woke);
    FindCloseChangeNotification(Change);
  }
  static DWORD WINAPI Run(LPVOID param) {
    auto *self = static_cast<BareWatcher *>(param);
    while (WaitForSingleObject(self->Change, INFINITE) == WAIT_OBJECT_0 && !self->Stop) {
      self->WokeAt = NowMs();
      FindNextChangeNotification(self->Change);
      SetEvent(self->Woke);
    }
    return 0;
  }
  HANDLE Change;
  HANDLE Woke;
  HANDLE Thread;
  std::atomic<bool> Stop{false};
  std::atomic<double> WokeAt{0};
  std::string StopFile;
};

double ThreadCpuMs(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
    return -1;
  auto ms = [](const FILETIME &t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

struct BurstResult {
  double CreateMs;
  size_t Messages;
  double LagMs; // last message after the last creation
};

BurstResult RunBurst(Receiver *receiver, const std::string &folder, int round) {
  std::atomic<bool> done{false};
  double endedAt = 0;
  struct Args {
    std::string Folder;
    int Round;
    std::atomic<bool> *Done;
    double *EndedAt;
  } args{folder, round, &done, &endedAt};
  const double start = NowMs();
  HANDLE creator = CreateThread(
      nullptr, 0,
      [](LPVOID param) -> DWORD {
        auto *a = static_cast<Args *>(param);
        for (int i = 0; i < BurstFiles; ++i)
          CreateEmptyFile(a->Folder + FormatStr("\\r%d-%04d.txt", a->Round, i));
        *a->EndedAt = NowMs();
        *a->Done = true;
        return 0;
      },
      &args, 0, nullptr);
  BurstResult result = {};
  if (receiver) {
    receiver->Arrivals.clear();
    receiver->PumpUntil([&] { return done.load(); }, 60000);
    receiver->PumpUntilQuiet(500);
    result.Messages = receiver->Arrivals.size();
    result.LagMs = receiver->Arrivals.empty() ? 0 : std::max(0.0, receiver->Arrivals.back() - endedAt);
  }
  WaitForSingleObject(creator, INFINITE);
  CloseHandle(creator);
  result.CreateMs = endedAt - start;
  return result;
}

} // namespace

int main() {
  // The wide call: a temp path of MAX_PATH characters can take three times as many bytes in UTF-8.
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string root = WideToUtf8(temp) + FormatStr("zorbench-%lu", GetCurrentProcessId());
  const std::string floorDir = root + "\\floor", oursDir = root + "\\ours", burstDir = root + "\\burst",
                    plainDir = root + "\\plain";
  for (const std::string &dir : {root, floorDir, oursDir, burstDir, plainDir})
    CreateDirectoryA(dir.c_str(), nullptr);

  std::printf("Change notification latency, file created -> woken (median of %d)\n", Samples);
  Receiver receiver;
  std::vector<double> floorTimes, oursTimes;
  {
    BareWatcher bare(floorDir);
    bare.StopFile = floorDir + "\\stop.txt";
    auto thread = std::make_unique<TChangeHandlerThread>(receiver.Wnd, ChangeMessage);
    int slot = -1;
    if (!thread->AddWatch(oursDir, NameChanges, slot, false)) {
      std::printf("cannot watch %s\n", oursDir.c_str());
      return 0;
    }
    for (int i = 0; i < Samples; ++i) {
      // Interleaved, so drift on a shared machine hits both alike.
      receiver.PumpUntilQuiet(50);
      ResetEvent(bare.Woke);
      double t0 = NowMs();
      CreateEmptyFile(floorDir + FormatStr("\\f%02d.txt", i));
      if (WaitForSingleObject(bare.Woke, 2000) == WAIT_OBJECT_0)
        floorTimes.push_back(bare.WokeAt - t0);

      receiver.PumpUntilQuiet(50);
      receiver.Arrivals.clear();
      t0 = NowMs();
      CreateEmptyFile(oursDir + FormatStr("\\o%02d.txt", i));
      if (receiver.PumpUntil([&] { return !receiver.Arrivals.empty(); }, 2000))
        oursTimes.push_back(receiver.Arrivals.front() - t0);
    }
  }
  const double floorMedian = Median(floorTimes), oursMedian = Median(oursTimes);
  std::printf("  floor (bare handle, own thread): %.3f ms  (%u samples)\n", floorMedian,
              static_cast<unsigned>(floorTimes.size()));
  std::printf("  change thread -> owner window:   %.3f ms  (%u samples)\n", oursMedian,
              static_cast<unsigned>(oursTimes.size()));
  if (floorMedian > 0)
    std::printf("  ratio: %.2f x floor (+%.3f ms for the post and the owner's wake-up)\n", oursMedian / floorMedian,
                oursMedian - floorMedian);

  std::printf("\nBurst: %d empty files created by another thread in one watched folder, %d rounds\n", BurstFiles,
              Bursts);
  {
    TChangeHandlerThread thread(receiver.Wnd, ChangeMessage);
    int slot = -1;
    thread.AddWatch(burstDir, NameChanges, slot, false);

    const double idleBefore = ThreadCpuMs(thread.Handle());
    Sleep(1000);
    const double idleAfter = ThreadCpuMs(thread.Handle());
    std::printf("  worker CPU time over 1 s idle: %.3f ms\n", idleAfter - idleBefore);

    SIZE_T memoryFirst = 0;
    for (int round = 1; round <= Bursts; ++round) {
      // The floor and the watched burst start from empty folders alike: creation slows as a folder fills.
      const BurstResult plain = RunBurst(nullptr, plainDir, round);
      const double cpuBefore = ThreadCpuMs(thread.Handle());
      const BurstResult burst = RunBurst(&receiver, burstDir, round);
      const double cpu = ThreadCpuMs(thread.Handle()) - cpuBefore;
      const DWORD handles = zortest::OpenHandleCount();
      const SIZE_T memory = zortest::PrivateBytes();
      if (round == 1)
        memoryFirst = memory;
      std::printf("  round %d: creation %.1f ms against %.1f ms unwatched (%.2f x floor); %u messages (%.3f per "
                  "creation), the last %.1f ms after the last creation; worker CPU %.1f ms; %lu handles, memory "
                  "%+lld KB since round 1\n",
                  round, burst.CreateMs, plain.CreateMs, plain.CreateMs > 0 ? burst.CreateMs / plain.CreateMs : 0.0,
                  static_cast<unsigned>(burst.Messages), static_cast<double>(burst.Messages) / BurstFiles, burst.LagMs,
                  cpu, static_cast<unsigned long>(handles),
                  (static_cast<long long>(memory) - static_cast<long long>(memoryFirst)) / 1024);
      RemoveFolderContents(plainDir);
      RemoveFolderContents(burstDir);
      receiver.PumpUntilQuiet(300);
    }
  }
  RemoveFolder(root);
  return 0;
}
