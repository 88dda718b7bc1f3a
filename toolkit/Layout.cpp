#include "toolkit/Layout.h"

#include <algorithm>

namespace {

// The visible children of one alignment, nearest the edge first.
std::vector<size_t> AlignedGroup(const std::vector<TLayoutItem> &items, TAlign align) {
  std::vector<size_t> group;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].Align == align && items[i].Visible)
      group.push_back(i);
  std::stable_sort(group.begin(), group.end(),
                   [&](size_t a, size_t b) { return items[a].AlignOrder > items[b].AlignOrder; });
  return group;
}

// Places one aligned child in what is left of the area and takes the room it covers from it.
RECT PlaceAligned(RECT &rest, TAlign align, const RECT &bounds) {
  const LONG width = std::max(0L, rest.right - rest.left);
  const LONG height = std::max(0L, rest.bottom - rest.top);
  const LONG ownWidth = bounds.right - bounds.left;
  const LONG ownHeight = bounds.bottom - bounds.top;
  switch (align) {
  case alTop:
    rest.top += ownHeight;
    return {rest.left, rest.top - ownHeight, rest.left + width, rest.top};
  case alBottom:
    rest.bottom -= ownHeight;
    return {rest.left, rest.bottom, rest.left + width, rest.bottom + ownHeight};
  case alLeft:
    rest.left += ownWidth;
    return {rest.left - ownWidth, rest.top, rest.left, rest.top + height};
  case alRight:
    rest.right -= ownWidth;
    return {rest.right, rest.top, rest.right + ownWidth, rest.top + height};
  default:
    return {rest.left, rest.top, rest.left + width, rest.top + height};
  }
}

// An unaligned child kept at its distances to the edges it is anchored to.
RECT PlaceAnchored(const RECT &client, const TLayoutItem &item) {
  LONG left = item.Bounds.left, top = item.Bounds.top;
  LONG width = item.Bounds.right - left, height = item.Bounds.bottom - top;
  if (item.Anchors & akRight) {
    if (item.Anchors & akLeft)
      width = client.right - item.AnchorRight - left;
    else
      left = client.right - item.AnchorRight - width;
  }
  if (item.Anchors & akBottom) {
    if (item.Anchors & akTop)
      height = client.bottom - item.AnchorBottom - top;
    else
      top = client.bottom - item.AnchorBottom - height;
  }
  return {left, top, left + std::max(0L, width), top + std::max(0L, height)};
}

} // namespace

std::vector<TLayoutPlacement> AlignControls(const RECT &area, const RECT &client,
                                            const std::vector<TLayoutItem> &items) {
  std::vector<TLayoutPlacement> placements;
  RECT rest = area;
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient})
    for (size_t index : AlignedGroup(items, align))
      placements.push_back({index, PlaceAligned(rest, align, items[index].Bounds)});
  for (size_t index = 0; index < items.size(); ++index)
    if (items[index].Align == alNone)
      placements.push_back({index, PlaceAnchored(client, items[index])});
  return placements;
}
