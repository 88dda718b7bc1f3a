// The change thread and the watches the controls share through it, on real folders, with real windows
// receiving their messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "common/ResourceCounters.h"
#include "common/TestSupport.h"
#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/KdChangeWatch.h"
#include "toolkit/Application.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr UINT ChangeMessage = WM_USER + 101;
constexpr DWORD NameChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// A hidden window that records the slot of every change message posted to it.
class MessageSink {
public:
  MessageSink() {
    FWnd = AllocateHWnd([this](HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == ChangeMessage) {
        Slots.push_back(static_cast<int>(wParam));
        LParams.push_back(lParam);
        return 0;
      }
      return DefWindowProcA(wnd, msg, wParam, lParam);
    });
  }
  ~MessageSink() { DeallocateHWnd(FWnd); }
  HWND Handle() const { return FWnd; }

  bool WaitForSlot(int slot, DWORD timeoutMs = 3000) {
    return zortest::PumpUntil([&] { return Count(slot) > 0; }, timeoutMs);
  }
  int Count(int slot) const { return static_cast<int>(std::count(Slots.begin(), Slots.end(), slot)); }
  // Lets messages of earlier changes arrive, then forgets them.
  void Settle(DWORD ms = 300) {
    zortest::PumpFor(ms);
    Slots.clear();
    LParams.clear();
  }

  std::vector<int> Slots;
  std::vector<LPARAM> LParams;

private:
  HWND FWnd;
};

TEST(ChangeHandlerThread, CreatingRenamingAndDeletingAFilePostTheSlotOfItsFolder) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "quiet");
  zortest::MakeDir(dir / "busy");
  MessageSink sink;
  TChangeHandlerThread thread(sink.Handle(), ChangeMessage);

  int quietSlot = -1, busySlot = -1;
  ASSERT_TRUE(thread.AddWatch(dir / "quiet", NameChanges, quietSlot, false));
  ASSERT_TRUE(thread.AddWatch(dir / "busy", NameChanges, busySlot, false));
  EXPECT_EQ(0, quietSlot);
  EXPECT_EQ(1, busySlot);

  zortest::WriteFileText(dir / "busy\\a.txt", "x");
  ASSERT_TRUE(sink.WaitForSlot(busySlot)) << "creation not reported";
  sink.Settle();
  // Once re-armed, a watch stays quiet until the next change.
  zortest::PumpFor(300);
  EXPECT_EQ(0, sink.Count(busySlot)) << "a single change kept signalling";

  ASSERT_TRUE(MoveFileA((dir / "busy\\a.txt").c_str(), (dir / "busy\\b.txt").c_str()));
  ASSERT_TRUE(sink.WaitForSlot(busySlot)) << "rename not reported";
  sink.Settle();

  ASSERT_TRUE(DeleteFileA((dir / "busy\\b.txt").c_str()));
  ASSERT_TRUE(sink.WaitForSlot(busySlot)) << "deletion not reported";
  sink.Settle();

  // The untouched folder never spoke, and every message carried lParam 0.
  zortest::WriteFileText(dir / "busy\\c.txt");
  ASSERT_TRUE(sink.WaitForSlot(busySlot));
  EXPECT_EQ(0, sink.Count(quietSlot));
  for (LPARAM lParam : sink.LParams)
    EXPECT_EQ(0, lParam);
}

TEST(ChangeHandlerThread, SubtreeWatchSeesChangesTwoLevelsDownAndAFlatWatchDoesNot) {
  zortest::TempDir dir;
  MessageSink sink;
  TChangeHandlerThread thread(sink.Handle(), ChangeMessage);
  int deepSlot = -1, flatSlot = -1;
  ASSERT_TRUE(thread.AddWatch(dir.Path(), NameChanges, deepSlot, true));
  ASSERT_TRUE(thread.AddWatch(dir.Path(), NameChanges, flatSlot, false));

  // Created after the watch started: Wine watches those (older subfolders only once they are opened).
  zortest::MakeDir(dir / "one");
  zortest::MakeDir(dir / "one\\two");
  ASSERT_TRUE(sink.WaitForSlot(deepSlot));
  sink.Settle(500);

  zortest::WriteFileText(dir / "one\\two\\deep.txt", "x");
  ASSERT_TRUE(sink.WaitForSlot(deepSlot)) << "the subtree watch missed a change two levels down";
  zortest::PumpFor(300);
  EXPECT_EQ(0, sink.Count(flatSlot)) << "a watch without subtree reported a change below its folder";
}

TEST(ChangeHandlerThread, FoldersThatCannotBeWatchedAreRefusedWithoutLeaks) {
  zortest::TempDir dir;
  MessageSink sink;
  TChangeHandlerThread thread(sink.Handle(), ChangeMessage);
  DWORD before = zortest::OpenHandleCount();
  int slot = 42;
  EXPECT_FALSE(thread.AddWatch("", NameChanges, slot, false));
  EXPECT_FALSE(thread.AddWatch(dir / "missing", NameChanges, slot, false));
  zortest::WriteFileText(dir / "file.txt");
  EXPECT_FALSE(thread.AddWatch(dir / "file.txt", NameChanges, slot, false));
  EXPECT_EQ(42, slot);
  EXPECT_EQ(before, zortest::OpenHandleCount());

  // The refusals took no slot.
  ASSERT_TRUE(thread.AddWatch(dir.Path(), NameChanges, slot, false));
  EXPECT_EQ(0, slot);
}

TEST(ChangeHandlerThread, RemovedFolderEndsItsWatchOnlyWhenThePlatformReportsIt) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "stays");
  zortest::MakeDir(dir / "goes");
  MessageSink sink;
  TChangeHandlerThread thread(sink.Handle(), ChangeMessage);
  int staysSlot = -1, goesSlot = -1;
  ASSERT_TRUE(thread.AddWatch(dir / "stays", NameChanges, staysSlot, false));
  ASSERT_TRUE(thread.AddWatch(dir / "goes", NameChanges, goesSlot, false));

  ASSERT_TRUE(RemoveDirectoryA((dir / "goes").c_str()));
  zortest::PumpFor(1000);
  int next = -1;
  if (sink.Count(goesSlot) == 0) {
    // Wine signals nothing for a removed folder (it stays pending-delete while watched): the watch lives
    // on quietly and keeps its slot.
    ASSERT_TRUE(thread.AddWatch(dir.Path(), NameChanges, next, false));
    EXPECT_EQ(2, next);
  } else {
    // Windows completes the watch as the folder goes: re-arming fails and the slot becomes free again.
    ASSERT_TRUE(thread.AddWatch(dir.Path(), NameChanges, next, false));
    EXPECT_EQ(goesSlot, next);
  }
  sink.Settle();

  // The other watch is unaffected.
  zortest::WriteFileText(dir / "stays\\x.txt");
  EXPECT_TRUE(sink.WaitForSlot(staysSlot));
  EXPECT_EQ(0, sink.Count(goesSlot));
}

TEST(ChangeHandlerThread, SixtyThreeSlotsThenRefusalThenReuseAfterRemovingAll) {
  zortest::TempDir dir;
  for (int i = 0; i <= TChangeHandlerThread::SlotCount; ++i)
    zortest::MakeDir(dir / FormatStr("d%d", i));
  MessageSink sink;
  TChangeHandlerThread thread(sink.Handle(), ChangeMessage);
  DWORD before = zortest::OpenHandleCount();

  for (int i = 0; i < TChangeHandlerThread::SlotCount; ++i) {
    int slot = -1;
    ASSERT_TRUE(thread.AddWatch(dir / FormatStr("d%d", i), NameChanges, slot, false)) << i;
    EXPECT_EQ(i, slot);
  }
  EXPECT_EQ(before + TChangeHandlerThread::SlotCount, zortest::OpenHandleCount());

  int slot = 0;
  EXPECT_FALSE(thread.AddWatch(dir / "d63", NameChanges, slot, false));
  EXPECT_EQ(-1, slot);
  EXPECT_EQ(before + TChangeHandlerThread::SlotCount, zortest::OpenHandleCount()) << "the refused handle leaked";

  // The full wait array still serves the last slot.
  zortest::WriteFileText(dir / "d62\\last.txt");
  EXPECT_TRUE(sink.WaitForSlot(62));

  thread.RemoveAllWatches();
  EXPECT_EQ(before, zortest::OpenHandleCount());
  sink.Settle();
  zortest::WriteFileText(dir / "d0\\after.txt");
  zortest::PumpFor(300);
  EXPECT_TRUE(sink.Slots.empty()) << "a removed watch still reported";

  ASSERT_TRUE(thread.AddWatch(dir / "d63", NameChanges, slot, false));
  EXPECT_EQ(0, slot);
  zortest::WriteFileText(dir / "d63\\new.txt");
  EXPECT_TRUE(sink.WaitForSlot(0));
}

TEST(ChangeHandlerThread, DestroyingABlockedThreadEndsItPromptlyAndClosesEveryHandle) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "a");
  zortest::MakeDir(dir / "b");
  MessageSink sink;
  DWORD before = zortest::OpenHandleCount();
  auto thread = std::make_unique<TChangeHandlerThread>(sink.Handle(), ChangeMessage);
  int slot = -1;
  ASSERT_TRUE(thread->AddWatch(dir / "a", NameChanges, slot, false));
  ASSERT_TRUE(thread->AddWatch(dir / "b", NameChanges, slot, true));
  Sleep(200); // let it settle into its wait

  DWORD start = GetTickCount();
  thread.reset();
  EXPECT_LT(GetTickCount() - start, 5000u) << "the worker did not answer the end command";
  EXPECT_EQ(before, zortest::OpenHandleCount());

  // With the watches closed the folders really go (a watched folder would stay pending-delete), and
  // nothing is posted any more.
  zortest::WriteFileText(dir / "a\\late.txt");
  zortest::PumpFor(300);
  EXPECT_TRUE(sink.Slots.empty());
  EXPECT_TRUE(zortest::RemoveTree(dir / "a"));
  EXPECT_TRUE(zortest::RemoveTree(dir / "b"));
}

TEST(ChangeHandlerThread, AWatchGivenUpAfterTheTimeoutNeverStartsAndLeaksNothing) {
  zortest::TempDir dir;
  zortest::MakeDir(dir / "late");
  zortest::MakeDir(dir / "next");
  MessageSink sink;
  DWORD before = zortest::OpenHandleCount();
  {
    TChangeHandlerThread thread(sink.Handle(), ChangeMessage);
    // The worker is held up on the first command for longer than the main thread waits for it.
    std::atomic<int> commands{0};
    thread.BeforeCommand = [&] {
      if (commands++ == 0)
        Sleep(TChangeHandlerThread::CommandTimeoutMs + 1000);
    };
    int lateSlot = 42, nextSlot = -1;
    EXPECT_FALSE(thread.AddWatch(dir / "late", NameChanges, lateSlot, false));
    EXPECT_EQ(42, lateSlot);
    ASSERT_TRUE(thread.AddWatch(dir / "next", NameChanges, nextSlot, false));

    zortest::WriteFileText(dir / "next\\a.txt");
    EXPECT_TRUE(sink.WaitForSlot(nextSlot)) << "the second watch is not on its folder";
    sink.Settle();
    zortest::WriteFileText(dir / "late\\a.txt");
    zortest::PumpFor(500);
    EXPECT_TRUE(sink.Slots.empty()) << "the watch given up on started after all";
  }
  EXPECT_EQ(before, zortest::OpenHandleCount()) << "a change handle outlived the thread";
}

TEST(ChangeWatch, ControlsShareTheWorkersHearOnlyTheirOwnFoldersAndSpillOntoASecondWorker) {
  zortest::TempDir dir;
  const int half = 35; // two controls with more watches together than one worker has slots
  for (int i = 0; i < 2 * half; ++i)
    zortest::MakeDir(dir / FormatStr("d%d", i));
  const DWORD before = zortest::OpenHandleCount();
  MessageSink sinkA, sinkB;
  {
    TKdChangeWatch a(sinkA.Handle(), ChangeMessage), b(sinkB.Handle(), ChangeMessage);
    for (int i = 0; i < half; ++i) {
      ASSERT_TRUE(a.Add(dir / FormatStr("d%d", i), NameChanges, false)) << i;
      ASSERT_TRUE(b.Add(dir / FormatStr("d%d", half + i), NameChanges, false)) << i;
    }
    EXPECT_FALSE(a.Add(dir / "missing", NameChanges, false));
    EXPECT_EQ(half, a.Count());

    zortest::WriteFileText(dir / FormatStr("d%d", 2 * half - 1) + "\\b.txt");
    ASSERT_TRUE(zortest::PumpUntil([&] { return !sinkB.Slots.empty(); }, 3000)) << "the last watch went unheard";
    zortest::WriteFileText(dir / "d0\\a.txt");
    ASSERT_TRUE(zortest::PumpUntil([&] { return !sinkA.Slots.empty(); }, 3000));
    sinkA.Settle();
    sinkB.Settle();
    EXPECT_TRUE(sinkA.Slots.empty() && sinkB.Slots.empty()) << "a control heard another's folder";

    a.RemoveAll();
    EXPECT_EQ(0, a.Count());
    zortest::WriteFileText(dir / "d1\\gone.txt");
    zortest::WriteFileText(dir / FormatStr("d%d", half + 1) + "\\kept.txt");
    ASSERT_TRUE(zortest::PumpUntil([&] { return !sinkB.Slots.empty(); }, 3000)) << "another's watches ended too";
    zortest::PumpFor(300);
    EXPECT_TRUE(sinkA.Slots.empty()) << "a removed watch still reported";
  }
  // Every change handle is closed, and of the workers one at most waits for the next watch.
  EXPECT_LE(zortest::OpenHandleCount(), before + 3);
}

} // namespace
