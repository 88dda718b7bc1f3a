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
  // A client may unregister while it is told: walk a copy.
  auto clients = FClients;
  for (auto &client : clients)
    client.second();
}

void TImageList::RegisterChanges(const void *client, std::function<void()> onChange) {
  UnRegisterChanges(client);
  FClients.emplace_back(client, std::move(onChange));
}

void TImageList::UnRegisterChanges(const void *client) {
  std::erase_if(FClients, [client](const auto &entry) { return entry.first == client; });
}

int TImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }
