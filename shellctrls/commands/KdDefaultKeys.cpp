#include "shellctrls/commands/KdDefaultKeys.h"

#include <cctype>

#include "shellctrls/KdResString.h"
#include "shellctrls/UKdShConsts.h"
#include "toolkit/SysUtils.h"

TKdShellControlDefKeyRec DefaultKeys[KdDefaultKeyCount];

namespace {

const UINT DefaultKeyResources[KdDefaultKeyCount] = {SKdShKeySelectAll, SKdShKeyDelete,  SKdShKeyCopy,  SKdShKeyCut,
                                                     SKdShKeyPaste,     SKdShKeyRefresh, SKdShKeyRename};

bool DefaultKeysDone = false;

// The texts are part of the program's start, like any other resource string the controls show.
const bool DefaultKeyTextsLoaded = [] {
  for (int i = 0; i < KdDefaultKeyCount; ++i)
    DefaultKeys[i] = {KdLoadResString(DefaultKeyResources[i]), 0};
  return true;
}();

const char *KeyName(unsigned key) {
  switch (key) {
  case 8:
    return "BkSp";
  case 9:
    return "Tab";
  case 13:
    return "Enter";
  case 27:
    return "Esc";
  case 32:
    return "Space";
  case 33:
    return "PgUp";
  case 34:
    return "PgDn";
  case 35:
    return "End";
  case 36:
    return "Home";
  case 37:
    return "Left";
  case 38:
    return "Up";
  case 39:
    return "Right";
  case 40:
    return "Down";
  case 45:
    return "Ins";
  case 46:
    return "Del";
  default:
    return nullptr;
  }
}

bool SameText(const std::string &a, size_t offset, const std::string &b, size_t length) {
  if (a.size() - offset < length || b.size() < length)
    return false;
  for (size_t i = 0; i < length; ++i)
    if (std::toupper(static_cast<unsigned char>(a[offset + i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

} // namespace

std::string ShortCutToKeyText(TShortCut code) {
  unsigned key = code & 0xFF;
  std::string name;
  if (const char *named = KeyName(key))
    name = named;
  else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    name = std::string(1, static_cast<char>(key));
  else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
    name = std::string(1, static_cast<char>(key - 48));
  else if (key >= VK_F1 && key <= VK_F24)
    name = FormatStr("F%u", key - 111);
  else
    name = FormatStr("#%u", static_cast<unsigned>(code));
  if (name.empty())
    return {};
  std::string text;
  if (code & scShift)
    text += "Shift+";
  if (code & scCtrl)
    text += "Ctrl+";
  if (code & scAlt)
    text += "Alt+";
  text += name;
  return text;
}

TShortCut KeyTextToShortCut(const std::string &text) {
  static const std::string shiftPrefix = "Shift+", ctrlPrefix = "Ctrl+", caretPrefix = "^", altPrefix = "Alt+";
  unsigned modifiers = 0;
  size_t start = 0;
  for (;;) {
    if (SameText(text, start, shiftPrefix, shiftPrefix.size())) {
      start += shiftPrefix.size();
      modifiers |= scShift;
    } else if (SameText(text, start, caretPrefix, caretPrefix.size())) {
      start += caretPrefix.size();
      modifiers |= scCtrl;
    } else if (SameText(text, start, ctrlPrefix, ctrlPrefix.size())) {
      start += ctrlPrefix.size();
      modifiers |= scCtrl;
    } else if (SameText(text, start, altPrefix, altPrefix.size())) {
      start += altPrefix.size();
      modifiers |= scAlt;
    } else {
      break;
    }
  }
  size_t rest = text.size() - start;
  if (rest == 0)
    return scNone;
  // Every name ShortCutToKeyText gives a code without modifiers, lowest code first, so that "5" is the main
  // keyboard's key and not the numeric pad's.
  for (unsigned key = 8; key <= 597; ++key) {
    std::string name = ShortCutToKeyText(static_cast<TShortCut>(key));
    if (name.size() == rest && SameText(text, start, name, rest))
      return static_cast<TShortCut>(modifiers | key);
  }
  return scNone;
}

void InitDefaultKeys() {
  if (DefaultKeysDone)
    return;
  for (auto &entry : DefaultKeys)
    entry.KeyCode = KeyTextToShortCut(entry.KeyText);
  DefaultKeysDone = true;
}

bool IsDefaultKey(int index, TShortCut code) {
  unsigned slot = static_cast<unsigned>(index) & 0x7F;
  if (slot >= KdDefaultKeyCount)
    return false;
  InitDefaultKeys();
  return DefaultKeys[slot].KeyCode == code;
}
