#pragma once
// Unit UKdShell95: item ID lists and namespace functions, ID-list containers, device changes, network drives
// and positional message formatting.

// Unit start and end: the entry sequence (and every test main) calls these first and last.
void InitializeShell95Unit();
void FinalizeShell95Unit();
