#pragma once
// Component classes known by name, so that a stored component can be made again from the name of its class
// (a stored form names the class of each of its components).
//
// Stream layout of a stored component: class name length (1 byte, 1..255), the class name, name length (1 byte,
// 0..255), the component's Name, then its property set (see Classes.h).
#include <string>

#include "toolkit/Classes.h"

class EFilerError : public EStreamError {
  using EStreamError::EStreamError;
};

class EClassNotFound : public EFilerError {
  using EFilerError::EFilerError;
};

// A class that can be made by name. The registry keeps a pointer to the record: give it one that lives as long
// as the registration (a constant of the unit that registers it).
struct TComponentClass {
  const char *Name;
  TComponent *(*Create)(TComponent *Owner);
};

// Makes the class known under its name (names compare without case). Registering the same record again does
// nothing; another class under a known name raises EFilerError "A class named <name> already exists".
void RegisterComponentClass(const TComponentClass &Class);
// Forgets the class, but only when it is the one known under its name: a unit that did not register a name
// cannot take it from the unit that did.
void UnRegisterComponentClass(const TComponentClass &Class);
// The class known under Name, or null.
const TComponentClass *GetComponentClass(const std::string &Name);
// The class known under Name; raises EClassNotFound "Class <name> not found" when there is none.
const TComponentClass &FindComponentClass(const std::string &Name);

// Writes the component's class name, its Name and its properties.
void WriteComponent(TStream &Stream, TComponent &Component);
// Makes a component of the stored class with Owner, gives it the stored Name and reads its properties into it.
// An unknown class raises EClassNotFound and a damaged stream EReadError; then no component is left behind.
TComponent *ReadComponent(TStream &Stream, TComponent *Owner);
