#pragma once
// Root classes: TObject, and TComponent with ownership (an owner destroys what it owns with itself).
#include <functional>
#include <string>
#include <vector>

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

class TComponent : public TObject {
public:
  explicit TComponent(TComponent *AOwner);
  // Destroys the owned components, the most recently created first, then leaves the owner.
  ~TComponent() override;
  TComponent(const TComponent &) = delete;
  TComponent &operator=(const TComponent &) = delete;

  TComponent *Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent *Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }

  std::string Name;
  // Free slot for the user of the component.
  intptr_t Tag = 0;

  void InsertComponent(TComponent *component);
  void RemoveComponent(TComponent *component);

protected:
  // Called on the owner when an owned component is inserted or removed.
  virtual void Notification(TComponent *component, bool inserted);
  // True from the start of the destructor on.
  bool Destroying() const { return FDestroying; }
  void DestroyComponents();

private:
  TComponent *FOwner = nullptr;
  std::vector<TComponent *> FComponents;
  bool FDestroying = false;
};
