#pragma once
// The quicksort and binary search shared by the toolkit's lists and the ID-list lists built on their model,
// and the list view's stable sort.

#include <algorithm>
#include <cstddef>
#include <vector>

// Sorts the items in [l, r]. compareAt(i, j) compares the items at two indexes (negative, 0, positive);
// swap(i, j) exchanges them. The order of equal items is not kept. The scans stay inside the range, so a
// comparison that is no consistent order (a failing shell comparison) cannot walk them off the list.
template <class CompareAt, class Swap> void ListQuickSort(int l, int r, const CompareAt &compareAt, const Swap &swap) {
  while (l < r) {
    int i = l;
    int j = r;
    int pivot = (l + r) / 2;
    do {
      while (i < r && compareAt(i, pivot) < 0)
        ++i;
      while (j > l && compareAt(j, pivot) > 0)
        --j;
      if (i <= j) {
        if (i != j)
          swap(i, j);
        // The pivot is named by its index, so follow it when it moves.
        if (pivot == i)
          pivot = j;
        else if (pivot == j)
          pivot = i;
        ++i;
        --j;
      }
    } while (i <= j);
    // Recurse into the smaller half, loop on the larger: the stack stays logarithmic.
    if (j - l < r - i) {
      ListQuickSort(l, j, compareAt, swap);
      l = i;
    } else {
      ListQuickSort(i, r, compareAt, swap);
      r = j;
    }
  }
}

// Binary search of a sorted list of count items; compareWith(i) compares item i with the value sought. True
// when an equal item exists. index receives, when duplicates are not accepted, the index of the equal item
// the search met (or the insertion point when there is none); when they are accepted, the insertion point
// after the search.
template <class CompareWith>
bool ListBinaryFind(int count, const CompareWith &compareWith, bool acceptDuplicates, int &index) {
  bool found = false;
  int lo = 0;
  int hi = count - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = compareWith(mid);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (!acceptDuplicates)
          lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

// Stable sort that first takes the runs already in order (and reverses the runs strictly in the opposite
// order), then merges neighbouring runs. Items that come in order, or in reverse order, cost one comparison
// each; random items about as many as a plain merge sort. less(a, b): a goes before b.
template <class T, class Less> void ListNaturalMergeSort(std::vector<T> &items, const Less &less) {
  const size_t count = items.size();
  if (count < 2)
    return;
  std::vector<size_t> bounds{0};
  size_t start = 0;
  while (start < count) {
    size_t end = start + 1;
    if (end < count && less(items[end], items[end - 1])) {
      for (++end; end < count && less(items[end], items[end - 1]);)
        ++end;
      std::reverse(items.begin() + static_cast<std::ptrdiff_t>(start),
                   items.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (end < count) {
      for (++end; end < count && !less(items[end], items[end - 1]);)
        ++end;
    }
    bounds.push_back(end);
    start = end;
  }
  std::vector<T> buffer(count);
  while (bounds.size() > 2) {
    std::vector<size_t> merged{0};
    for (size_t r = 0; r + 1 < bounds.size(); r += 2) {
      const size_t lo = bounds[r], mid = bounds[r + 1];
      const size_t hi = r + 2 < bounds.size() ? bounds[r + 2] : mid;
      auto first = items.begin();
      std::merge(first + static_cast<std::ptrdiff_t>(lo), first + static_cast<std::ptrdiff_t>(mid),
                 first + static_cast<std::ptrdiff_t>(mid), first + static_cast<std::ptrdiff_t>(hi),
                 buffer.begin() + static_cast<std::ptrdiff_t>(lo), less);
      std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(lo), buffer.begin() + static_cast<std::ptrdiff_t>(hi),
                first + static_cast<std::ptrdiff_t>(lo));
      merged.push_back(hi);
    }
    bounds.swap(merged);
  }
}
