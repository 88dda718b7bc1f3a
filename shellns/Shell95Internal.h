#pragma once
// Unit-private start and end steps of UKdShell95 (called by Shell95Unit.cpp only).

// Obtains and releases the shell allocator behind ShellMalloc().
void AcquireShellMalloc();
void ReleaseShellMalloc();
