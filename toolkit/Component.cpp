#include "toolkit/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent *AOwner) {
  if (AOwner)
    AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  DestroyComponents();
  if (FOwner)
    FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent *last = FComponents.back();
    RemoveComponent(last);
    delete last;
  }
}

void TComponent::InsertComponent(TComponent *component) {
  if (component->FOwner)
    component->FOwner->RemoveComponent(component);
  FComponents.push_back(component);
  component->FOwner = this;
  Notification(component, true);
}

void TComponent::RemoveComponent(TComponent *component) {
  auto it = std::find(FComponents.begin(), FComponents.end(), component);
  if (it == FComponents.end())
    return;
  FComponents.erase(it);
  component->FOwner = nullptr;
  Notification(component, false);
}

void TComponent::Notification(TComponent *, bool) {}
