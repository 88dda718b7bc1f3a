#include "toolkit/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

int64_t TStream::Remaining() { return std::max<int64_t>(0, Size() - Position()); }

void TStream::ReadBuffer(void *Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count))
    throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void *Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count))
    throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream &Source, int64_t Count) {
  // A negative count cannot be read; refused before it is taken for a buffer size.
  if (Count < 0)
    throw EReadError("Stream read error");
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  int64_t left = Count;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(Count, 0xF000)));
  while (left > 0) {
    int64_t n = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
    Source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

int64_t TMemoryStream::Read(void *Buffer, int64_t Count) {
  int64_t available = Size() - FPosition;
  if (Count <= 0 || available <= 0)
    return 0;
  int64_t n = std::min(Count, available);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void *Buffer, int64_t Count) {
  if (Count <= 0)
    return 0;
  if (Count > INT64_MAX - FPosition)
    return 0;
  int64_t end = FPosition + Count;
  if (end > Size())
    Resize(end);
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : Size();
  if (Offset > 0 && base > INT64_MAX - Offset)
    FPosition = INT64_MAX;
  else
    FPosition = std::max<int64_t>(0, base + Offset);
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  Resize(NewSize);
  FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Resize(int64_t NewSize) {
  if (NewSize < 0)
    throw EStreamError("Invalid stream size");
  try {
    FData.resize(static_cast<size_t>(NewSize), 0);
  } catch (const std::bad_alloc &) {
    throw EStreamError("Out of memory while expanding memory stream");
  } catch (const std::length_error &) {
    throw EStreamError("Out of memory while expanding memory stream");
  }
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream &Stream) {
  if (&Stream == this) {
    FPosition = 0;
    return;
  }
  Stream.SetPosition(0);
  int64_t count = Stream.Size();
  SetSize(count);
  if (count != 0)
    Stream.ReadBuffer(FData.data(), count);
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream &Stream) {
  if (FData.empty())
    return;
  if (&Stream == this) {
    // Writing may grow the buffer the bytes come from: write from a copy.
    std::vector<uint8_t> copy(FData);
    Stream.WriteBuffer(copy.data(), static_cast<int64_t>(copy.size()));
    return;
  }
  Stream.WriteBuffer(FData.data(), Size());
}
