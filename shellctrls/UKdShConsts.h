#pragma once
// Resource numbers of the shell controls' string table (UKdShConsts.rc). Only preprocessor definitions
// here: the resource compiler reads this file too.
