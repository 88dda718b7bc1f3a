#pragma once
// Unit UKdShellControls: the shell browsing controls and their companions.
#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/commands/ContextMenuOperations.h"
#include "shellctrls/list/DetailTexts.h"
#include "shellctrls/dragdrop/FileDropTarget.h"
#include "shellctrls/dragdrop/FileTransfer.h"
#include "shellctrls/list/KdCustomShellList.h"
#include "shellctrls/tree/KdCustomShellTree.h"
#include "shellctrls/commands/KdDefaultKeys.h"
#include "shellctrls/dragdrop/KdFormatEtcList.h"
#include "shellctrls/list/KdShListData.h"
#include "shellctrls/tree/KdShTreeData.h"
#include "shellctrls/KdShellLocator.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/commands/NewFolder.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/commands/SendToMenu.h"
#include "shellctrls/dragdrop/ShellDataObject.h"
#include "shellctrls/dragdrop/ShellDragDrop.h"
#include "shellctrls/list/ShellFolder2DetailsAdapter.h"
#include "shellctrls/commands/ShellItemLookup.h"
#include "shellctrls/commands/ShellItemRename.h"
#include "shellctrls/commands/ShellMenuMessages.h"
#include "shellctrls/ShellScroll.h"
#include "shellctrls/dragdrop/ShellTransferBlocks.h"
#include "shellctrls/WindowUtils.h"

// Registers the "Shell IDList Array" clipboard format and starts OLE; the end undoes it.
void InitializeShellControlsUnit();
void FinalizeShellControlsUnit();

// Clipboard format number of "Shell IDList Array", registered at unit start.
extern unsigned int CF_IDLIST;
