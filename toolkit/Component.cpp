#include "toolkit/Component.h"

#include <windows.h>

#include <algorithm>

TComponent::TComponent(TComponent *AOwner) {
  if (AOwner)
    AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  while (!FFreeNotifies.empty()) {
    TComponent *other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    std::erase(other->FFreeNotifies, this);
    other->Notification(this, false);
  }
  DestroyComponents();
  if (FOwner)
    FOwner->RemoveComponent(this);
}

void TComponent::FreeNotification(TComponent *other) {
  if (!other || other == this || std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) != FFreeNotifies.end())
    return;
  FFreeNotifies.push_back(other);
  other->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent *other) {
  if (!other)
    return;
  std::erase(FFreeNotifies, other);
  std::erase(other->FFreeNotifies, this);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent *last = FComponents.back();
    RemoveComponent(last);
    delete last;
  }
}

TComponent *TComponent::FindComponent(const std::string &name) const {
  if (name.empty())
    return nullptr;
  for (TComponent *component : FComponents)
    if (lstrcmpiA(component->Name.c_str(), name.c_str()) == 0)
      return component;
  return nullptr;
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
