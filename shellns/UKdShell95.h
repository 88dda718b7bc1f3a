#pragma once
// Unit UKdShell95: item ID lists and namespace functions, ID-list containers, device changes, network drives
// and positional message formatting.
#include "shellns/FormatStrPos.h"
#include "shellns/IdList.h"
#include "shellns/KdChildMatch.h"
#include "shellns/KdDeviceChangeHandler.h"
#include "shellns/KdIdListArray.h"
#include "shellns/KdPidlList.h"
#include "shellns/NetworkDrive.h"
#include "shellns/ShellVersion.h"
#include "shellns/WineHost.h"

// Unit start and end: the entry sequence (and every test main) calls these first and last.
void InitializeShell95Unit();
void FinalizeShell95Unit();
