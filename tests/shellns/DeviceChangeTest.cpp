// The process-wide device-change broadcaster: deferred dispatch, order, and handlers that raise.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace {

struct Call {
  int Who;
  WPARAM WParam;
  LPARAM LParam;
};

// Registrations made through an owner object, removed when it goes, as a control does.
struct Registration {
  Registration(std::vector<Call> &calls, int who, bool raise = false) {
    DeviceChangeHandler()->RegisterHandler(this,
                                           [&calls, who, raise](TKdDeviceChangeHandler *sender, TKdMessage &message) {
                                             EXPECT_EQ(sender, DeviceChangeHandler());
                                             EXPECT_EQ(message.Msg, WM_KDDEVICECHANGE);
                                             calls.push_back({who, message.WParam, message.LParam});
                                             if (raise)
                                               throw Exception("handler " + std::to_string(who) + " failed");
                                           });
  }
  ~Registration() { DeviceChangeHandler()->UnregisterHandler(this); }
};

TEST(DeviceChange, DispatchWaitsForTheMessageLoopThenCallsInRegistrationOrder) {
  std::vector<Call> calls;
  Registration first(calls, 1);
  Registration second(calls, 2);
  HWND window = DeviceChangeHandler()->Window();
  ASSERT_TRUE(IsWindow(window));

  SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0x1234);
  EXPECT_TRUE(calls.empty()) << "called inside the system's broadcast";
  ASSERT_TRUE(zortest::PumpUntil([&] { return calls.size() >= 2; }, 2000));
  zortest::PumpFor(50);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Who, 1);
  EXPECT_EQ(calls[1].Who, 2);
  for (const Call &call : calls) {
    EXPECT_EQ(call.WParam, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    EXPECT_EQ(call.LParam, 0x1234);
  }

  // Every event passes, unchanged; telling arrivals from the rest is the controls' business.
  calls.clear();
  SendMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  ASSERT_TRUE(zortest::PumpUntil([&] { return calls.size() >= 2; }, 2000));
  EXPECT_EQ(calls[0].WParam, static_cast<WPARAM>(DBT_DEVNODES_CHANGED));
}

TEST(DeviceChange, AHandlerThatRaisesIsReportedAndTheNextStillRuns) {
  zortest::MessageBoxCapture boxes;
  std::vector<Call> calls;
  Registration first(calls, 1, true);
  Registration second(calls, 2);
  SendMessageA(DeviceChangeHandler()->Window(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  ASSERT_TRUE(zortest::PumpUntil([&] { return calls.size() >= 2; }, 2000));
  EXPECT_EQ(calls[0].Who, 1);
  EXPECT_EQ(calls[1].Who, 2);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_NE(boxes.Boxes[0].Text.find("handler 1 failed"), std::string::npos);
}

TEST(DeviceChange, HandlersThatThrowAnythingElseAreReportedAndTheRestStillRun) {
  zortest::MessageBoxCapture boxes;
  TKdDeviceChangeHandler *handler = DeviceChangeHandler();
  int standard = 0, other = 0, last = 0;
  std::vector<int> called;
  handler->RegisterHandler(&standard, [&](TKdDeviceChangeHandler *, TKdMessage &) {
    called.push_back(1);
    throw std::runtime_error("drive list unreadable");
  });
  handler->RegisterHandler(&other, [&](TKdDeviceChangeHandler *, TKdMessage &) {
    called.push_back(2);
    throw 42;
  });
  handler->RegisterHandler(&last, [&](TKdDeviceChangeHandler *, TKdMessage &) { called.push_back(3); });
  SendMessageA(handler->Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  zortest::PumpUntil([&] { return called.size() >= 3; }, 2000);
  handler->UnregisterHandler(&standard);
  handler->UnregisterHandler(&other);
  handler->UnregisterHandler(&last);
  EXPECT_EQ(called, (std::vector<int>{1, 2, 3}));
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[0].Text, "drive list unreadable.");
}

TEST(DeviceChange, UnregisteringRemovesOnlyThatOwnersFirstEntry) {
  TKdDeviceChangeHandler *handler = DeviceChangeHandler();
  int base = handler->HandlerCount();
  std::vector<int> called;
  int a = 0, b = 0;
  EXPECT_EQ(handler->RegisterHandler(&a, [&](TKdDeviceChangeHandler *, TKdMessage &) { called.push_back(1); }), base);
  handler->RegisterHandler(&b, [&](TKdDeviceChangeHandler *, TKdMessage &) { called.push_back(2); });
  handler->RegisterHandler(&a, [&](TKdDeviceChangeHandler *, TKdMessage &) { called.push_back(3); });
  handler->UnregisterHandler(&a);
  handler->UnregisterHandler(&called); // never registered: nothing happens
  EXPECT_EQ(handler->HandlerCount(), base + 2);
  SendMessageA(handler->Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  ASSERT_TRUE(zortest::PumpUntil([&] { return called.size() >= 2; }, 2000));
  EXPECT_EQ(called, (std::vector<int>{2, 3}));
  handler->UnregisterHandler(&a);
  handler->UnregisterHandler(&b);
  EXPECT_EQ(handler->HandlerCount(), base);
}

TEST(DeviceChange, HandlersMayUnregisterDuringDispatch) {
  // A refresh that destroys controls (the handler's own, or the next one's) must neither call into what is
  // gone nor skip a control still registered.
  TKdDeviceChangeHandler *handler = DeviceChangeHandler();
  int self = 0, victim = 0, last = 0;
  std::vector<int> called;
  handler->RegisterHandler(&self, [&](TKdDeviceChangeHandler *sender, TKdMessage &) {
    called.push_back(1);
    sender->UnregisterHandler(&self);
    sender->UnregisterHandler(&victim);
  });
  handler->RegisterHandler(&victim, [&](TKdDeviceChangeHandler *, TKdMessage &) { called.push_back(2); });
  handler->RegisterHandler(&last, [&](TKdDeviceChangeHandler *sender, TKdMessage &) {
    called.push_back(3);
    // Joins in for the next event only.
    sender->RegisterHandler(&victim, [&](TKdDeviceChangeHandler *, TKdMessage &) { called.push_back(4); });
  });
  SendMessageA(handler->Window(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  ASSERT_TRUE(zortest::PumpUntil([&] { return called.size() >= 2; }, 2000));
  zortest::PumpFor(50);
  EXPECT_EQ(called, (std::vector<int>{1, 3}));
  handler->UnregisterHandler(&last);
  handler->UnregisterHandler(&victim);
}

TEST(DeviceChange, TheHandlerIsOneObjectPerProcess) { EXPECT_EQ(DeviceChangeHandler(), DeviceChangeHandler()); }

} // namespace
