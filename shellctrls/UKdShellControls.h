#pragma once
// Unit UKdShellControls: the shell browsing controls and their companions.
#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/KdChangeWatch.h"
#include "shellctrls/KdOptionSet.h"
#include "shellctrls/KdRefreshGate.h"
#include "shellctrls/KdShellFolderContext.h"
#include "shellctrls/KdShellLocator.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/ShellScroll.h"
#include "shellctrls/WindowUtils.h"
#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/commands/KdDefaultKeys.h"
#include "shellctrls/commands/KdShellContextMenu.h"
#include "shellctrls/commands/NewFolder.h"
#include "shellctrls/commands/SendToMenu.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellctrls/commands/ShellItemRename.h"
#include "shellctrls/commands/ShellMenuMessages.h"
#include "shellctrls/dragdrop/ClipboardFormats.h"
#include "shellctrls/dragdrop/FileDropTarget.h"
#include "shellctrls/dragdrop/FileTransfer.h"
#include "shellctrls/dragdrop/KdDragSession.h"
#include "shellctrls/dragdrop/KdFormatEtcList.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "shellctrls/dragdrop/ShellDragDrop.h"
#include "shellctrls/dragdrop/ShellTransferBlocks.h"
#include "shellctrls/list/DetailTexts.h"
#include "shellctrls/list/KdCustomShellList.h"
#include "shellctrls/list/KdShListData.h"
#include "shellctrls/list/ShellFolder2DetailsAdapter.h"
#include "shellctrls/tree/KdCustomShellTree.h"
#include "shellctrls/tree/KdShTreeData.h"

// Registers the "Shell IDList Array" clipboard format and starts OLE; the end undoes it.
void InitializeShellControlsUnit();
void FinalizeShellControlsUnit();
// The shell builds its lists of the system's icons the first time an icon is asked for, and the program adds
// the overlays to them: a tenth of a second and more under Wine. The first shell control made has a worker do
// both at once, so that the lists are made while the first windows are; the controls take them when they
// first have rows and nodes to show.
void BuildSystemIconListsAhead();
