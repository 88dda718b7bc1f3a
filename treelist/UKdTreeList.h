#pragma once
// Unit UKdTreeList: the custom-draw objects handed to drawing events and the tree and list view bases the
// shell controls are built on.
#include "treelist/KdCustomDraw.h"
#include "treelist/KdCustomListView.h"
#include "treelist/KdCustomTreeView.h"
#include "treelist/KdLvCustomDraw.h"
#include "treelist/KdTvCustomDraw.h"
