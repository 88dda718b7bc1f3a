#include "shellns/UKdShell95.h"

void InitializeShell95Unit() {}

void FinalizeShell95Unit() {}
