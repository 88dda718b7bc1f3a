#pragma once
// Unit UKdSplitter: the splitter pane.
#include "toolkit/ClassRegistry.h"
#include "widgets/KdPane.h"

// Makes the pane known by its class name "TKdPane", unless a class of that name is known already; the end
// forgets it only when this unit's start was the one that registered it.
void InitializeKdSplitterUnit();
void FinalizeKdSplitterUnit();
