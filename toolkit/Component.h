#pragma once
// Root classes: TObject, TPersistent (objects that can be copied from one another and stored), and TComponent
// with ownership (an owner destroys what it owns with itself). The filer that stores objects is in Classes.h.
#include <functional>
#include <string>
#include <vector>

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

class TFiler;

class TPersistent : public TObject {
public:
  // Copies Source into this object; the base asks Source to AssignTo this one, and fails with EConvertError
  // "Cannot assign a <source class> to a <this class>" when neither side knows the other.
  virtual void Assign(TPersistent *Source);

protected:
  virtual void AssignTo(TPersistent *Dest);
  // Names the properties the object stores (none in the base).
  virtual void DefineProperties(TFiler *Filer);
  [[noreturn]] void AssignError(TPersistent *Source);

  friend class TWriter;
  friend class TReader;
};

class TComponent : public TPersistent {
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

  // The owned component of that name (not case-sensitive), or null.
  TComponent *FindComponent(const std::string &name) const;

  void InsertComponent(TComponent *component);
  void RemoveComponent(TComponent *component);

  // Asks for a Notification(this, false) on other when this component is destroyed, for components that
  // keep a pointer to one they do not own (a control's popup menu, a form's main menu).
  void FreeNotification(TComponent *other);
  void RemoveFreeNotification(TComponent *other);

protected:
  // Called on the owner when an owned component is inserted or removed.
  virtual void Notification(TComponent *component, bool inserted);
  // True from the start of the destructor on.
  bool Destroying() const { return FDestroying; }
  void DestroyComponents();

private:
  TComponent *FOwner = nullptr;
  std::vector<TComponent *> FComponents;
  // Components to tell when this one goes, and those that asked this one to tell them (both directions are
  // kept so that whichever goes first unhooks itself from the other).
  std::vector<TComponent *> FFreeNotifies;
  bool FDestroying = false;
};
