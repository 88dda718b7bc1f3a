#include <gtest/gtest.h>

#include <string>

#include "shellctrls/commands/KdDefaultKeys.h"
#include "shellctrls/KdResString.h"
#include "shellctrls/UKdShConsts.h"

namespace {

TEST(DefaultKeys, ShortCutTextNamesModifiersAndKeys) {
  EXPECT_EQ(ShortCutToKeyText(0x4043), "Ctrl+C");
  EXPECT_EQ(ShortCutToKeyText(0x002E), "Del");
  EXPECT_EQ(ShortCutToKeyText(0x2071), "Shift+F2");
  EXPECT_EQ(ShortCutToKeyText(0xE041), "Shift+Ctrl+Alt+A");
  EXPECT_EQ(ShortCutToKeyText(VK_F24), "F24");
  EXPECT_EQ(ShortCutToKeyText(VK_NUMPAD5), "5");
  EXPECT_EQ(ShortCutToKeyText(0x00BA), "#186");
  // Keys without a name carry the whole code, modifiers included, after the prefixes.
  EXPECT_EQ(ShortCutToKeyText(0x40BA), "Ctrl+#16570");
}

TEST(DefaultKeys, KeyTextParsesPrefixesInAnyOrderAndCase) {
  EXPECT_EQ(KeyTextToShortCut("Ctrl+C"), 0x4043);
  EXPECT_EQ(KeyTextToShortCut("ctrl+c"), 0x4043);
  EXPECT_EQ(KeyTextToShortCut("^C"), 0x4043);
  EXPECT_EQ(KeyTextToShortCut("Del"), 0x002E);
  EXPECT_EQ(KeyTextToShortCut("Shift+F2"), 0x2071);
  EXPECT_EQ(KeyTextToShortCut("Shift+Ctrl+A"), 0x6041);
  EXPECT_EQ(KeyTextToShortCut("Ctrl+Shift+A"), 0x6041);
  EXPECT_EQ(KeyTextToShortCut("alt+PGDN"), 0x8022);
  EXPECT_EQ(KeyTextToShortCut("#186"), 0x00BA);
  // The main keyboard's key comes before the numeric pad's of the same name.
  EXPECT_EQ(KeyTextToShortCut("5"), 53);
}

TEST(DefaultKeys, TextsThatNameNoKeyGiveZero) {
  EXPECT_EQ(KeyTextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(KeyTextToShortCut(""), 0);
  EXPECT_EQ(KeyTextToShortCut("Ctrl+Banana"), 0);
  EXPECT_EQ(KeyTextToShortCut("F25"), 0);
  EXPECT_EQ(KeyTextToShortCut("Del+"), 0);
}

TEST(DefaultKeys, EveryNamedCodeRoundTrips) {
  for (unsigned key = 8; key < 256; ++key) {
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
      continue;
    for (TShortCut modifiers : {scNone, scShift, scCtrl, scAlt, static_cast<TShortCut>(scShift | scCtrl)}) {
      TShortCut code = static_cast<TShortCut>(key | modifiers);
      std::string text = ShortCutToKeyText(code);
      if (text.find('#') != std::string::npos && modifiers)
        continue;
      EXPECT_EQ(KeyTextToShortCut(text), code) << text;
    }
  }
}

TEST(DefaultKeys, TableComesFromTheStringResources) {
  const UINT ids[KdDefaultKeyCount] = {SKdShKeySelectAll, SKdShKeyDelete,  SKdShKeyCopy,  SKdShKeyCut,
                                       SKdShKeyPaste,     SKdShKeyRefresh, SKdShKeyRename};
  const char *texts[KdDefaultKeyCount] = {"Ctrl+A", "Del", "Ctrl+C", "Ctrl+X", "Ctrl+V", "F5", "F2"};
  InitDefaultKeys();
  for (int i = 0; i < KdDefaultKeyCount; ++i) {
    std::string loaded = KdLoadResString(ids[i]);
    EXPECT_EQ(loaded, texts[i]);
    EXPECT_EQ(DefaultKeys[i].KeyText, loaded) << i;
    EXPECT_EQ(DefaultKeys[i].KeyCode, KeyTextToShortCut(loaded)) << i;
  }
  EXPECT_EQ(KdLoadResString(65535), "");
}

TEST(DefaultKeys, IsDefaultKeyMatchesTheBindingOfAnEntry) {
  EXPECT_TRUE(IsDefaultKey(kdkCopy, ShortCut('C', ssCtrl)));
  EXPECT_FALSE(IsDefaultKey(kdkCopy, ShortCut('C', ssCtrl | ssShift)));
  EXPECT_TRUE(IsDefaultKey(kdkDelete, ShortCut(VK_DELETE, {})));
  EXPECT_TRUE(IsDefaultKey(kdkRename, VK_F2));
  EXPECT_TRUE(IsDefaultKey(kdkRefresh + 128, VK_F5));
  // Entries past the table match nothing, whatever the code.
  EXPECT_FALSE(IsDefaultKey(7, 0));
  EXPECT_FALSE(IsDefaultKey(127, 0));
  EXPECT_FALSE(IsDefaultKey(-1, 0));
}

} // namespace
