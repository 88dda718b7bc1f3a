#pragma once
// How a parent lays out its children, over rectangles alone: the window control hands it its children's
// alignments and bounds and applies what comes back, so the rules can be checked without any window.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/Control.h"

// One child as the layout sees it.
struct TLayoutItem {
  TAlign Align = alNone;
  // Among the children of one alignment, the one with the higher order sits nearest the edge (the most
  // recently aligned or brought to the front); equal orders keep the children's order.
  uint64_t AlignOrder = 0;
  // A hidden aligned child takes no room and is not moved.
  bool Visible = true;
  RECT Bounds = {0, 0, 0, 0};
  // For a child with Align alNone: the edges it keeps its distance to, and its distances to the right and
  // bottom edges of the client area.
  TAnchors Anchors = akLeft | akTop;
  int AnchorRight = 0;
  int AnchorBottom = 0;
};

// Where the layout puts one child: Index is its place among the items.
struct TLayoutPlacement {
  size_t Index = 0;
  RECT Bounds = {0, 0, 0, 0};
};

// Lays the children out. Aligned ones share area: top and bottom ones stack from those edges across its
// width, keeping their heights; then left and right ones from the side edges over the height that is left,
// keeping their widths; client ones fill what remains. The others follow the edges of client they are
// anchored to. No size comes out negative. Returns the new bounds of every child but the hidden aligned
// ones, in the order the layout places them: by alignment as above, nearest the edge first, then the
// unaligned ones.
std::vector<TLayoutPlacement> AlignControls(const RECT &area, const RECT &client,
                                            const std::vector<TLayoutItem> &items);
