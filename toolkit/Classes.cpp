#include "toolkit/Classes.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace {

constexpr uint8_t vaBinary = 0x0A;

bool SameText(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z')
      x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z')
      y = static_cast<char>(y - 32);
    if (x != y)
      return false;
  }
  return true;
}

} // namespace

std::string ClassNameOf(const TObject *Object) {
  if (!Object)
    return "nil";
  const char *mangled = typeid(*Object).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void *)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : mangled;
  // Classes in unnamed namespaces or namespaces keep only their own name.
  size_t colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

void TPersistent::Assign(TPersistent *Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent *Dest) { Dest->AssignError(this); }

void TPersistent::DefineProperties(TFiler *) {}

void TPersistent::AssignError(TPersistent *Source) {
  throw EConvertError(FormatStr("Cannot assign a %s to a %s", ClassNameOf(Source).c_str(), ClassNameOf(this).c_str()));
}

void TFiler::DefineIntegerProperty(const std::string &Name, const std::function<void(int32_t Value)> &ReadValue,
                                   const std::function<int32_t()> &WriteValue, bool HasData) {
  DefineBinaryProperty(
      Name,
      [&](TStream &Stream) {
        if (Stream.Size() != sizeof(int32_t))
          throw EReadError("Invalid property value");
        ReadValue(Stream.ReadValue<int32_t>());
      },
      [&](TStream &Stream) { Stream.WriteValue<int32_t>(WriteValue()); }, HasData);
}

void TWriter::WriteProperties(TPersistent &Instance) {
  Instance.DefineProperties(this);
  FStream.WriteValue<uint8_t>(0);
}

void TWriter::DefineBinaryProperty(const std::string &Name, const TStreamProc &, const TStreamProc &WriteData,
                                   bool HasData) {
  if (!HasData || !WriteData)
    return;
  if (Name.empty() || Name.size() > 255)
    throw EWriteError(FormatStr("Invalid property name '%s'", Name.c_str()));
  // The count comes first, so the bytes are gathered before they are framed.
  TMemoryStream data;
  WriteData(data);
  if (data.Size() > INT32_MAX)
    throw EWriteError("Stream write error");
  FStream.WriteValue<uint8_t>(static_cast<uint8_t>(Name.size()));
  FStream.WriteBuffer(Name.data(), static_cast<int64_t>(Name.size()));
  FStream.WriteValue<uint8_t>(vaBinary);
  FStream.WriteValue<int32_t>(static_cast<int32_t>(data.Size()));
  FStream.WriteBuffer(data.Memory(), data.Size());
}

void TReader::ReadProperties(TPersistent &Instance) {
  for (;;) {
    auto length = FStream.ReadValue<uint8_t>();
    if (length == 0)
      return;
    std::string name(length, '\0');
    FStream.ReadBuffer(name.data(), length);
    if (FStream.ReadValue<uint8_t>() != vaBinary)
      throw EReadError("Invalid property value");
    auto count = FStream.ReadValue<int32_t>();
    // Checked against what the stream holds before anything is allocated for it.
    if (count < 0 || count > FStream.Remaining())
      throw EReadError("Stream read error");
    TMemoryStream data;
    data.SetSize(count);
    FStream.ReadBuffer(data.Memory(), count);
    // The data lives only for this round; the filer must not point at it afterwards, however it ends.
    struct CurrentProperty {
      TReader &Reader;
      ~CurrentProperty() { Reader.FPropData = nullptr; }
    } current{*this};
    FPropName = name;
    FPropData = &data;
    FPropRead = false;
    Instance.DefineProperties(this);
    if (!FPropRead)
      throw EReadError(FormatStr("Property %s does not exist", name.c_str()));
  }
}

void TReader::DefineBinaryProperty(const std::string &Name, const TStreamProc &ReadData, const TStreamProc &, bool) {
  if (FPropRead || !FPropData || !ReadData || !SameText(Name, FPropName))
    return;
  FPropRead = true;
  FPropData->SetPosition(0);
  ReadData(*FPropData);
}
