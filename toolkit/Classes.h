#pragma once
// TPersistent, the base of objects that can be copied from one another and stored, and the filer that stores
// them: named binary properties, each written and read by the object's own procedures.
//
// Stream layout of a property set (integers little-endian):
//   per property: name length (1 byte, 1..255), the name, value type 0x0A (binary), byte count N (signed 32
//   bits), N bytes; then one 0 byte that ends the set.
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/MemoryStream.h"

class EConvertError : public Exception {
  using Exception::Exception;
};

// The class name of an object as the program spells it ("TKdShellLocator"); "nil" for nullptr.
std::string ClassNameOf(const TObject *Object);

class TFiler;

class TPersistent : public TObject {
public:
  // Copies Source into this object; the base asks Source to AssignTo this one, and fails with EConvertError
  // "Cannot assign a <source class> to a <this class>" when neither side knows the other.
  virtual void Assign(TPersistent *Source);

protected:
  virtual void AssignTo(TPersistent *Dest);
  // Names the properties the object stores beyond its published ones (none in the base).
  virtual void DefineProperties(TFiler *Filer);
  [[noreturn]] void AssignError(TPersistent *Source);

  friend class TWriter;
  friend class TReader;
};

using TStreamProc = std::function<void(TStream &Stream)>;

class TFiler : public TObject {
public:
  explicit TFiler(TStream &Stream) : FStream(Stream) {}
  // ReadData is called with a stream holding exactly the stored bytes, positioned at their start; WriteData
  // writes them. HasData false: the property is not written at all.
  virtual void DefineBinaryProperty(const std::string &Name, const TStreamProc &ReadData, const TStreamProc &WriteData,
                                    bool HasData) = 0;

protected:
  TStream &FStream;
};

class TWriter : public TFiler {
public:
  using TFiler::TFiler;
  // Writes every property Instance defines that has data, then the end mark.
  void WriteProperties(TPersistent &Instance);
  void DefineBinaryProperty(const std::string &Name, const TStreamProc &ReadData, const TStreamProc &WriteData,
                            bool HasData) override;
};

class TReader : public TFiler {
public:
  using TFiler::TFiler;
  // Reads properties up to the end mark and hands each to Instance. A damaged set (a count that runs past the
  // stream, an unknown value type) raises EReadError; a property Instance does not define raises EReadError too.
  void ReadProperties(TPersistent &Instance);
  void DefineBinaryProperty(const std::string &Name, const TStreamProc &ReadData, const TStreamProc &WriteData,
                            bool HasData) override;

private:
  std::string FPropName;
  TMemoryStream *FPropData = nullptr;
  bool FPropRead = false;
};
