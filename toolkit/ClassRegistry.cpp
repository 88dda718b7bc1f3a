#include "toolkit/ClassRegistry.h"

#include <map>
#include <memory>

namespace {

// Names are compared without case, as a stored form may spell them either way.
std::string RegistryKey(const std::string &name) {
  std::string key = name;
  for (char &c : key)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return key;
}

// Registration happens in unit start and end on the user-interface thread, the only one that looks here.
std::map<std::string, const TComponentClass *> &Registry() {
  static std::map<std::string, const TComponentClass *> classes;
  return classes;
}

void WriteShortString(TStream &stream, const std::string &text) {
  if (text.size() > 255)
    throw EWriteError(FormatStr("Name too long: '%s'", text.c_str()));
  stream.WriteValue<uint8_t>(static_cast<uint8_t>(text.size()));
  stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

std::string ReadShortString(TStream &stream) {
  std::string text(stream.ReadValue<uint8_t>(), '\0');
  stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  return text;
}

} // namespace

void RegisterComponentClass(const TComponentClass &Class) {
  auto [it, inserted] = Registry().emplace(RegistryKey(Class.Name), &Class);
  if (!inserted && it->second != &Class)
    throw EFilerError(FormatStr("A class named %s already exists", Class.Name));
}

void UnRegisterComponentClass(const TComponentClass &Class) {
  auto &classes = Registry();
  auto it = classes.find(RegistryKey(Class.Name));
  if (it != classes.end() && it->second == &Class)
    classes.erase(it);
}

const TComponentClass *GetComponentClass(const std::string &Name) {
  auto &classes = Registry();
  auto it = classes.find(RegistryKey(Name));
  return it == classes.end() ? nullptr : it->second;
}

const TComponentClass &FindComponentClass(const std::string &Name) {
  const TComponentClass *cls = GetComponentClass(Name);
  if (!cls)
    throw EClassNotFound(FormatStr("Class %s not found", Name.c_str()));
  return *cls;
}

void WriteComponent(TStream &Stream, TComponent &Component) {
  WriteShortString(Stream, ClassNameOf(&Component));
  WriteShortString(Stream, Component.Name);
  TWriter(Stream).WriteProperties(Component);
}

TComponent *ReadComponent(TStream &Stream, TComponent *Owner) {
  std::string className = ReadShortString(Stream);
  if (className.empty())
    throw EReadError("Invalid stream format");
  const TComponentClass &cls = FindComponentClass(className);
  std::string name = ReadShortString(Stream);
  // Until its properties are read, the new component belongs to nobody but this function.
  std::unique_ptr<TComponent> component(cls.Create(Owner));
  if (!component)
    throw EFilerError(FormatStr("Class %s made no component", className.c_str()));
  component->Name = name;
  TReader(Stream).ReadProperties(*component);
  return component.release();
}
