#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/InstanceMutex.h"

namespace {

// Mutex names of this test only, so that no running copy of the program takes part.
std::string TestBaseName() {
  static int counter = 0;
  return "ZorTest" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-";
}

// One running copy: its own mutex and the probed names it keeps open until it ends.
struct Copy {
  explicit Copy(const std::string &base) { Number = Mutex.Claim(base, &Kept); }
  ~Copy() {
    for (HANDLE handle : Kept)
      CloseHandle(handle);
  }
  TInstanceMutex Mutex;
  std::vector<HANDLE> Kept;
  int Number;
};

TEST(InstanceMutex, CopiesNumberThemselvesByTheFirstNameNoRunningCopyHolds) {
  std::string base = TestBaseName();
  auto first = std::make_unique<Copy>(base);
  EXPECT_EQ(first->Number, 1);
  EXPECT_NE(first->Mutex.Handle(), nullptr);
  auto second = std::make_unique<Copy>(base);
  EXPECT_EQ(second->Number, 2);
  EXPECT_EQ(second->Kept.size(), 1u);

  // The second copy still holds the first name open, so a third copy goes past it.
  first.reset();
  auto third = std::make_unique<Copy>(base);
  EXPECT_EQ(third->Number, 3);

  second.reset();
  third.reset();
  Copy alone(base);
  EXPECT_EQ(alone.Number, 1);
}

TEST(InstanceMutex, AFailedCreationEndsTheProbeWithoutAMutex) {
  std::string base = TestBaseName();
  // A name taken by an object of another kind cannot become a mutex.
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, (base + "1").c_str());
  ASSERT_NE(event, nullptr);
  Copy blocked(base);
  EXPECT_EQ(blocked.Number, 1);
  EXPECT_EQ(blocked.Mutex.Handle(), nullptr);
  CloseHandle(event);

  Copy running(base);
  ASSERT_EQ(running.Number, 1);
  event = CreateEventA(nullptr, TRUE, FALSE, (base + "2").c_str());
  Copy next(base);
  EXPECT_EQ(next.Number, 2);
  EXPECT_EQ(next.Mutex.Handle(), nullptr);
  CloseHandle(event);
}

TEST(InstanceMutex, TheMutexIsReleasedWhenAnExceptionLeavesTheCopy) {
  std::string base = TestBaseName();
  try {
    TInstanceMutex mutex;
    ASSERT_EQ(mutex.Claim(base), 1);
    throw std::runtime_error("the message loop failed");
  } catch (const std::runtime_error &) {
  }
  TInstanceMutex again;
  EXPECT_EQ(again.Claim(base), 1);
}

} // namespace
