// Not a check: run with --gtest_also_run_disabled_tests to save a picture of every frame style and a pane
// as widgets-screenshot.bmp in the working folder.
#include <gtest/gtest.h>

#include "common/TestSupport.h"
#include "common/WindowPicture.h"
#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "widgets/UKdFrame.h"
#include "widgets/UKdSplitter.h"

TEST(Screenshot, DISABLED_SavesAFormWithEveryFrameStyleAndAPane) {
  const char *names[KdFrameStyleCount] = {"kdfsNone",     "kdfsGroup",    "kdfsLowered", "kdfsRaised",
                                          "kdfsDint",     "kdfsBump",     "kdfsSingle",  "kdfsHorzLine",
                                          "kdfsHorzEdge", "kdfsVertLine", "kdfsVertEdge"};
  TForm form(nullptr);
  form.SetCaption("Frame styles");
  form.SetBounds(0, 0, 560, 330);
  for (int style = 0; style < KdFrameStyleCount; ++style) {
    auto *group = new TKdGroup(&form);
    group->SetFrameStyle(static_cast<TKdFrameStyle>(style));
    group->SetCaption(names[style]);
    group->SetBounds(10 + style % 4 * 135, 10 + style / 4 * 70, 125, 60);
    group->SetParent(&form);
    if (style == kdfsGroup) {
      auto *edit = new TEdit(&form);
      edit->SetBounds(8, 8, 100, 22);
      edit->SetParent(group);
    }
  }
  auto *pane = new TKdPane(&form);
  pane->SetCaption("TKdPane");
  pane->SetBounds(10, 220, 530, 60);
  pane->SetParent(&form);
  form.Show();
  zortest::PumpFor(300);
  EXPECT_TRUE(zortest::ShownWindowPicture(form.Handle()).SaveBmp("widgets-screenshot.bmp"));
}
