// Main window of the file manager (built up in the following commits).
#include "toolkit/Application.h"
