#pragma once
// The question the shell tree and the shell list ask before they show an item.
#include <windows.h>

#include <shlobj.h>

#include <functional>

#include "toolkit/Component.h"

// aParentAbsIdList is the folder's absolute list (null for the desktop), aItemRelIdList the item within
// it, aAttribs the SFGAO_ attributes asked of it. Setting afAllowAdd to false leaves the item out.
using TKdShAddItemEvent =
    std::function<void(TObject *aSender, IShellFolder *aParentIShf, LPCITEMIDLIST aParentAbsIdList,
                       LPCITEMIDLIST aItemRelIdList, ULONG aAttribs, bool &afAllowAdd)>;
