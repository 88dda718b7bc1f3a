#pragma once
// Unit UKdShellControls: the shell browsing controls and their companions.
#include "shellctrls/ChangeHandlerThread.h"
#include "shellctrls/ContextMenuOperations.h"
#include "shellctrls/DetailTexts.h"
#include "shellctrls/FileDropTarget.h"
#include "shellctrls/FileTransfer.h"
#include "shellctrls/KdCustomShellList.h"
#include "shellctrls/KdCustomShellTree.h"
#include "shellctrls/KdDefaultKeys.h"
#include "shellctrls/KdFormatEtcList.h"
#include "shellctrls/KdShListData.h"
#include "shellctrls/KdShTreeData.h"
#include "shellctrls/KdShellLocator.h"
#include "shellctrls/KdShellTreeLink.h"
#include "shellctrls/NewFolder.h"
#include "shellctrls/OwnerFormHandle.h"
#include "shellctrls/SendToMenu.h"
#include "shellctrls/ShellDataObject.h"
#include "shellctrls/ShellDragDrop.h"
#include "shellctrls/ShellFolder2DetailsAdapter.h"
#include "shellctrls/ShellItemLookup.h"
#include "shellctrls/ShellItemRename.h"
#include "shellctrls/ShellMenuMessages.h"
#include "shellctrls/ShellScroll.h"
#include "shellctrls/ShellTransferBlocks.h"
#include "shellctrls/WindowUtils.h"

// Registers the "Shell IDList Array" clipboard format and starts OLE; the end undoes it.
void InitializeShellControlsUnit();
void FinalizeShellControlsUnit();

// Clipboard format number of "Shell IDList Array", registered at unit start.
extern unsigned int CF_IDLIST;
