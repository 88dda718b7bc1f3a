#include <gtest/gtest.h>

#include <string>

#include "toolkit/Form.h"
#include "toolkit/MemoryStream.h"
#include "widgets/UKdSplitter.h"

namespace {

std::string Bytes(TMemoryStream &stream) {
  return std::string(static_cast<const char *>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// While it lives, the splitter unit has started; its end runs at the end of the scope.
struct SplitterUnit {
  SplitterUnit() { InitializeKdSplitterUnit(); }
  ~SplitterUnit() { FinalizeKdSplitterUnit(); }
};

TEST(Pane, StartsSunkenWithMinSize20AndItsParentsFontAndStoresIndexZero) {
  TForm form(nullptr);
  form.Font().SetHeight(-17);
  TKdPane pane(&form);
  pane.SetParent(&form);
  EXPECT_EQ(pane.MinSize, 20);
  EXPECT_EQ(pane.Font().Height(), -17);
  RECT client;
  GetClientRect(pane.Handle(), &client);
  EXPECT_EQ(client.right * 100 + client.bottom, 60 * 100 + 44) << "2 pixels on every side";

  TMemoryStream stream;
  TWriter(stream).WriteProperties(pane);
  EXPECT_NE(Bytes(stream).find("Index"), std::string::npos);
  EXPECT_EQ(Bytes(stream).find("MinSize"), std::string::npos) << "a default is not stored";
  TKdPane loaded(nullptr);
  loaded.Index = 7;
  stream.SetPosition(0);
  TReader(stream).ReadProperties(loaded);
  EXPECT_EQ(loaded.Index, 0);
}

TEST(Pane, IsMadeAgainFromItsClassNameOnlyWhileTheUnitRegisteredIt) {
  TKdPane pane(nullptr);
  pane.Name = "Left";
  pane.MinSize = 35;
  pane.SetFrameStyle(kdfsBump);
  TMemoryStream stream;
  WriteComponent(stream, pane);
  TForm form(nullptr);
  {
    SplitterUnit unit;
    stream.SetPosition(0);
    auto *copy = dynamic_cast<TKdPane *>(ReadComponent(stream, &form));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Owner(), &form);
    EXPECT_EQ(copy->Name + " " + std::to_string(copy->MinSize) + " " + std::to_string(copy->FrameStyle()), "Left 35 5");
  }
  stream.SetPosition(0);
  EXPECT_THROW(ReadComponent(stream, &form), EClassNotFound) << "unregistered at the unit's end";

  // Another class already under the name: the unit neither takes the name over nor removes it at its end.
  static const TComponentClass standIn = {"tkdpane",
                                          [](TComponent *owner) -> TComponent * { return new TKdGroup(owner); }};
  RegisterComponentClass(standIn);
  {
    SplitterUnit unit;
    EXPECT_EQ(GetComponentClass("TKdPane"), &standIn);
  }
  EXPECT_EQ(GetComponentClass("TKdPane"), &standIn);
  EXPECT_THROW(RegisterComponentClass(KdPaneClass), EFilerError);
  UnRegisterComponentClass(standIn);
  EXPECT_EQ(GetComponentClass("TKdPane"), nullptr);
}

} // namespace
