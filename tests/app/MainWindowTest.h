#pragma once
// The fixture of the tests that work the program's main window: a window made for each test, and the
// application's title, which the window sets, put back afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainFormUnit.h"
#include "common/TestSupport.h"
#include "toolkit/Application.h"

class MainWindowTest : public ::testing::Test {
protected:
  void TearDown() override {
    form.reset();
    Application->SetTitle(savedTitle);
  }

  void MakeWindow() { form.reset(TForm::Create<TFormMainExplorer>(nullptr)); }
  // Makes the window, shows it and waits until its first tab's tree has selected its folder.
  void ShowWindow() {
    MakeWindow();
    form->Show();
    ASSERT_TRUE(zortest::PumpUntil([&] { return form->ActiveTab()->Tree->Selected() != nullptr; }, 10000));
  }

  std::string savedTitle = Application->Title();
  std::unique_ptr<TFormMainExplorer> form;
};
