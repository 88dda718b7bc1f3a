#pragma once
// Streams: TStream, the abstract byte stream with a position, and TMemoryStream, one held in memory.
#include <cstdint>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/SysUtils.h"

class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Reads at most Count bytes from the position on; the number read (0 at the end, or for Count <= 0).
  virtual int64_t Read(void *Buffer, int64_t Count) = 0;
  // Writes Count bytes at the position; the number written.
  virtual int64_t Write(const void *Buffer, int64_t Count) = 0;
  // Moves the position and returns it.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Value) { Seek(Value, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);
  // Bytes between the position and the end (0 when the position is past it).
  int64_t Remaining();

  // All or nothing: fewer than Count bytes raises EReadError "Stream read error" (the position has then moved
  // past what could be read).
  void ReadBuffer(void *Buffer, int64_t Count);
  // Fewer than Count bytes written raises EWriteError "Stream write error".
  void WriteBuffer(const void *Buffer, int64_t Count);
  // Copies Count bytes from Source's position on; Count 0 copies the whole of Source from its start. A negative
  // Count raises EReadError.
  int64_t CopyFrom(TStream &Source, int64_t Count);

  // Little-endian integers of our own formats.
  template <class T> T ReadValue() {
    T value{};
    ReadBuffer(&value, sizeof value);
    return value;
  }
  template <class T> void WriteValue(T value) { WriteBuffer(&value, sizeof value); }
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  TMemoryStream(const TMemoryStream &) = delete;
  TMemoryStream &operator=(const TMemoryStream &) = delete;

  int64_t Read(void *Buffer, int64_t Count) override;
  int64_t Write(const void *Buffer, int64_t Count) override;
  // The position may be set past the end; a write there fills the gap with zeros. It never goes below 0.
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  // New bytes are zero; the position is kept, but not past the new end.
  void SetSize(int64_t NewSize) override;

  // The bytes, valid until the size next changes.
  void *Memory() { return FData.data(); }
  const void *Memory() const { return FData.data(); }
  void Clear();
  // Replaces the content with the whole of Stream and rewinds (Stream may be this stream itself).
  void LoadFromStream(TStream &Stream);
  // Writes the whole content to Stream at its position (Stream may be this stream itself).
  void SaveToStream(TStream &Stream);

private:
  void Resize(int64_t NewSize);
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};
