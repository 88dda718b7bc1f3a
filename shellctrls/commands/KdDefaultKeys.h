#pragma once
// The default key bindings of the shell tree and list, and the conversions between shortcut codes and their
// texts ("Ctrl+C" <-> 0x4043).
#include <string>

#include "toolkit/Shortcut.h"

struct TKdShellControlDefKeyRec {
  // The binding as text, from the string table, so a translated table changes the key.
  std::string KeyText;
  // Computed from KeyText by InitDefaultKeys; 0 when the text names no key.
  TShortCut KeyCode;
};

// Indexes of DefaultKeys: how the controls name their commands.
enum TKdDefaultKeyIndex : int {
  kdkSelectAll = 0,
  kdkDelete = 1,
  kdkCopy = 2,
  kdkCut = 3,
  kdkPaste = 4,
  kdkRefresh = 5,
  kdkRename = 6,
};

constexpr int KdDefaultKeyCount = 7;

// Texts are loaded from the string table when the program starts; KeyCode values on the first InitDefaultKeys.
extern TKdShellControlDefKeyRec DefaultKeys[KdDefaultKeyCount];

// "Shift+Ctrl+Alt+" as set, then the key's name: "Del", "A", "5" (the numeric pad too), "F2", or "#" and the
// whole code for keys without a name. "" only when there is no name.
std::string ShortCutToKeyText(TShortCut code);
// Modifier prefixes ("Shift+", "Ctrl+" or "^", "Alt+", any order, any case) and a key name as
// ShortCutToKeyText writes it; 0 when the text names no key.
TShortCut KeyTextToShortCut(const std::string &text);
// Computes every KeyCode, once.
void InitDefaultKeys();
// True when code is the binding of entry index (taken modulo 128; an index past the table matches nothing).
bool IsDefaultKey(int index, TShortCut code);
