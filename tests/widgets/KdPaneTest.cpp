#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "toolkit/Form.h"
#include "toolkit/MemoryStream.h"
#include "toolkit/Panel.h"
#include "widgets/UKdSplitter.h"

namespace {

std::string Bytes(TMemoryStream &stream) {
  return std::string(static_cast<const char *>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Store(TKdPane &pane, TMemoryStream &stream) {
  WriteComponent(stream, pane);
  stream.SetPosition(0);
}

// While it lives, the splitter unit has started; its end runs at the end of the scope.
struct SplitterUnit {
  SplitterUnit() { InitializeKdSplitterUnit(); }
  ~SplitterUnit() { FinalizeKdSplitterUnit(); }
};

TEST(Pane, StartsSunkenWithMinSize20AndItsParentsFont) {
  TForm form(nullptr);
  form.Font().SetHeight(-17);
  TKdPane pane(&form);
  pane.SetParent(&form);
  EXPECT_EQ(pane.MinSize, 20);
  EXPECT_EQ(pane.FrameStyle(), kdfsLowered);
  EXPECT_TRUE(pane.Font().SameAs(form.Font()));
  form.Font().SetHeight(-19);
  EXPECT_EQ(pane.Font().Height(), -19);
  RECT client;
  GetClientRect(pane.Handle(), &client);
  EXPECT_EQ(client.right, 64 - 4);
  EXPECT_EQ(client.bottom, 48 - 4);
}

TEST(Pane, IndexZeroIsStoredAndEveryPropertyReadBackUnderTheClassName) {
  SplitterUnit unit;
  TKdPane pane(nullptr);
  TMemoryStream properties;
  TWriter(properties).WriteProperties(pane);
  EXPECT_NE(Bytes(properties).find("Index"), std::string::npos);
  EXPECT_EQ(Bytes(properties).find("MinSize"), std::string::npos) << "a default is not stored";
  TKdPane loaded(nullptr);
  loaded.Index = 7;
  properties.SetPosition(0);
  TReader(properties).ReadProperties(loaded);
  EXPECT_EQ(loaded.Index, 0);

  pane.Name = "Left";
  pane.MinSize = 35;
  pane.Index = 3;
  pane.SetFrameStyle(kdfsBump);
  pane.SetAlignment(taRightJustify);
  pane.SetFrameSpace(5);
  pane.DefaultDrawing = false;
  TForm form(nullptr);
  TMemoryStream stream;
  Store(pane, stream);
  auto *copy = dynamic_cast<TKdPane *>(ReadComponent(stream, &form));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Owner(), &form);
  EXPECT_EQ(copy->Name, "Left");
  EXPECT_EQ(copy->MinSize, 35);
  EXPECT_EQ(copy->Index, 3);
  EXPECT_EQ(copy->FrameStyle(), kdfsBump);
  EXPECT_EQ(copy->Alignment(), taRightJustify);
  EXPECT_EQ(copy->FrameSpace(), 5);
  EXPECT_FALSE(copy->DefaultDrawing);
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(Pane, AStoredFrameStyleBeyondTheStylesIsRefusedAndLeavesNoPane) {
  SplitterUnit unit;
  TKdPane pane(nullptr);
  pane.SetFrameStyle(kdfsSingle);
  TMemoryStream stream;
  Store(pane, stream);
  std::string bytes = Bytes(stream);
  size_t at = bytes.find("FrameStyle") + 10 + 1 + 4;
  ASSERT_EQ(bytes[at], kdfsSingle);
  static_cast<char *>(stream.Memory())[at] = 11;
  TForm form(nullptr);
  EXPECT_THROW(ReadComponent(stream, &form), EReadError);
  EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(Pane, TheUnitLeavesAClassNameTakenBeforeItStartedAlone) {
  TKdPane pane(nullptr);
  TMemoryStream stream;
  Store(pane, stream);
  TForm form(nullptr);
  {
    SplitterUnit unit;
    EXPECT_NE(dynamic_cast<TKdPane *>(ReadComponent(stream, &form)), nullptr);
  }
  stream.SetPosition(0);
  EXPECT_THROW(ReadComponent(stream, &form), EClassNotFound) << "unregistered at the end";

  // Another class under the same name: the unit neither takes the name over nor, at its end, removes it.
  static const TComponentClass standIn = {"tkdpane", [](TComponent *owner) -> TComponent * {
                                            struct TStandIn : TKdGroup {
                                              using TKdGroup::TKdGroup;
                                              void DefineProperties(TFiler *) override {}
                                            };
                                            return new TStandIn(owner);
                                          }};
  RegisterComponentClass(standIn);
  EXPECT_THROW(RegisterComponentClass(KdPaneClass), EFilerError);
  {
    SplitterUnit unit;
    EXPECT_EQ(GetComponentClass("TKdPane"), &standIn);
  }
  EXPECT_EQ(GetComponentClass("TKdPane"), &standIn);
  UnRegisterComponentClass(standIn);
  EXPECT_EQ(GetComponentClass("TKdPane"), nullptr);
}

} // namespace
