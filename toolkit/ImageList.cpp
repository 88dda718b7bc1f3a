#include "toolkit/ImageList.h"

TImageList::TImageList(TComponent *AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width), FHeight(height) {}

TImageList::~TImageList() { FreeHandle(); }

HIMAGELIST TImageList::Handle() {
  if (!FHandle) {
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 0, 16);
    FShareImages = false;
  }
  return FHandle;
}

void TImageList::FreeHandle() {
  if (FHandle && !FShareImages)
    ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

void TImageList::SetHandle(HIMAGELIST value) {
  if (value == FHandle)
    return;
  FreeHandle();
  FHandle = value;
  if (value) {
    int cx = 0, cy = 0;
    if (ImageList_GetIconSize(value, &cx, &cy)) {
      FWidth = cx;
      FHeight = cy;
    }
  }
  if (OnChange)
    OnChange(this);
}

int TImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }
