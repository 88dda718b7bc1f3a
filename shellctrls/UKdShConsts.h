#pragma once
// Resource numbers of the shell controls' string table (UKdShConsts.rc). Only preprocessor definitions
// here: the resource compiler reads this file too.

// Default key bindings of the shell tree and list, as shortcut texts ("Ctrl+C").
#define SKdShKeyRename 65232
#define SKdShKeySelectAll 65258
#define SKdShKeyDelete 65259
#define SKdShKeyCopy 65260
#define SKdShKeyCut 65261
#define SKdShKeyPaste 65262
#define SKdShKeyRefresh 65263

// Item operations: size detail, new-folder names and errors, type of a virtual item.
#define SKdShSizeKB 65250
#define SKdShNewFolder 65251
#define SKdShCreateFolderError 65252
#define SKdShSystemFolder 65257

// Captions of the shell list's own columns, for folders that describe none.
#define SKdShColName 65253
#define SKdShColSize 65254
#define SKdShColType 65255
#define SKdShColModified 65256
