#pragma once
// The filer that stores persistent objects (TPersistent, in Component.h): named binary properties, each written
// and read by the object's own procedures.
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

using TStreamProc = std::function<void(TStream &Stream)>;

class TFiler : public TObject {
public:
  explicit TFiler(TStream &Stream) : FStream(Stream) {}
  // ReadData is called with a stream holding exactly the stored bytes, positioned at their start; WriteData
  // writes them. HasData false: the property is not written at all.
  virtual void DefineBinaryProperty(const std::string &Name, const TStreamProc &ReadData, const TStreamProc &WriteData,
                                    bool HasData) = 0;
  // A 32-bit integer stored as its four bytes; a stored value of any other size raises EReadError.
  void DefineIntegerProperty(const std::string &Name, const std::function<void(int32_t Value)> &ReadValue,
                             const std::function<int32_t()> &WriteValue, bool HasData);

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
