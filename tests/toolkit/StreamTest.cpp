#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "toolkit/Classes.h"
#include "toolkit/MemoryStream.h"

namespace {

std::vector<uint8_t> Bytes(TMemoryStream &stream) {
  auto *p = static_cast<const uint8_t *>(stream.Memory());
  return std::vector<uint8_t>(p, p + stream.Size());
}

TEST(MemoryStream, ReadPastTheEndRaisesAndPartialReadsCount) {
  TMemoryStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetPosition(4);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_EQ(stream.Read(buffer, 8), 0);
  stream.SetPosition(3);
  try {
    stream.ReadBuffer(buffer, 4);
    FAIL() << "no exception";
  } catch (const EReadError &e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  stream.SetPosition(0);
  EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);
  stream.ReadBuffer(buffer, 6);
  EXPECT_EQ(std::string(buffer, 6), "abcdef");
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream stream;
  stream.WriteValue<uint16_t>(0x0201);
  stream.Seek(3, soCurrent);
  stream.WriteValue<int32_t>(-2);
  EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{1, 2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
  stream.SetSize(3);
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(stream.Seek(-10, soEnd), 0);
  TMemoryStream copy;
  copy.CopyFrom(stream, 0);
  EXPECT_EQ(Bytes(copy), (std::vector<uint8_t>{1, 2, 0}));
}

TEST(MemoryStream, CopyingWithABadCountOrOntoItselfKeepsTheBytes) {
  TMemoryStream source;
  source.WriteBuffer("abc", 3);
  source.SetPosition(0);
  TMemoryStream target;
  EXPECT_THROW(target.CopyFrom(source, -1), EReadError);
  EXPECT_EQ(target.Size(), 0);

  // Saved onto its own end, the content doubles; loaded from itself, it stays and rewinds.
  std::string big(1 << 20, 'x');
  big[0] = 'a';
  big.back() = 'z';
  TMemoryStream self;
  self.WriteBuffer(big.data(), static_cast<int64_t>(big.size()));
  self.SaveToStream(self);
  ASSERT_EQ(self.Size(), 2 << 20);
  std::string twice = big + big;
  EXPECT_EQ(Bytes(self), std::vector<uint8_t>(twice.begin(), twice.end()));
  self.LoadFromStream(self);
  EXPECT_EQ(self.Position(), 0);
  EXPECT_EQ(self.Size(), 2 << 20);
}

// A persistent object with two binary properties, one of them optional.
class TSample : public TPersistent {
public:
  std::string First;
  std::string Second;
  bool WriteSecond = true;

protected:
  void DefineProperties(TFiler *Filer) override {
    Filer->DefineBinaryProperty(
        "First", [this](TStream &s) { First = ReadAll(s); }, [this](TStream &s) { WriteAll(s, First); }, true);
    Filer->DefineBinaryProperty(
        "Second", [this](TStream &s) { Second = ReadAll(s); }, [this](TStream &s) { WriteAll(s, Second); },
        WriteSecond);
  }

private:
  static std::string ReadAll(TStream &s) {
    std::string text(static_cast<size_t>(s.Size()), '\0');
    s.ReadBuffer(text.data(), s.Size());
    return text;
  }
  static void WriteAll(TStream &s, const std::string &text) {
    s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  }
};

class TOther : public TPersistent {};

TEST(Filer, PropertiesRoundTripInTheirFraming) {
  TSample source;
  source.First = "abc";
  source.WriteSecond = false;
  TMemoryStream stream;
  TWriter(stream).WriteProperties(source);
  std::vector<uint8_t> expected = {5, 'F', 'i', 'r', 's', 't', 0x0A, 3, 0, 0, 0, 'a', 'b', 'c', 0};
  EXPECT_EQ(Bytes(stream), expected);

  source.WriteSecond = true;
  source.Second = std::string("x\0y", 3);
  TMemoryStream both;
  TWriter(both).WriteProperties(source);
  both.SetPosition(0);
  TSample target;
  TReader(both).ReadProperties(target);
  EXPECT_EQ(target.First, "abc");
  EXPECT_EQ(target.Second, std::string("x\0y", 3));
  EXPECT_EQ(both.Position(), both.Size());
}

TEST(Filer, DamagedPropertySetsAreRefused) {
  // A count far beyond the stream's end must fail before anything is allocated for it.
  std::vector<uint8_t> hostile = {5, 'F', 'i', 'r', 's', 't', 0x0A, 0xFF, 0xFF, 0xFF, 0x7F, 'a'};
  std::vector<uint8_t> negative = {5, 'F', 'i', 'r', 's', 't', 0x0A, 0xFF, 0xFF, 0xFF, 0xFF};
  std::vector<uint8_t> truncated = {5, 'F', 'i', 'r'};
  std::vector<uint8_t> noEnd = {5, 'F', 'i', 'r', 's', 't', 0x0A, 1, 0, 0, 0, 'a'};
  std::vector<uint8_t> badType = {5, 'F', 'i', 'r', 's', 't', 0x02, 1, 0, 0, 0, 'a', 0};
  std::vector<uint8_t> unknown = {3, 'F', 'o', 'o', 0x0A, 1, 0, 0, 0, 'a', 0};
  struct Case {
    std::vector<uint8_t> bytes;
    const char *first;
  };
  for (const auto &[bytes, first] : {Case{hostile, ""}, Case{negative, ""}, Case{truncated, ""}, Case{badType, ""},
                                     Case{unknown, ""}, Case{noEnd, "a"}}) {
    TSample target;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    EXPECT_THROW(TReader(stream).ReadProperties(target), EReadError) << bytes.size();
    // Only a complete property reaches the object.
    EXPECT_EQ(target.First, first) << bytes.size();
  }
}

TEST(Persistent, AssignWithoutAKnownSourceNamesBothClasses) {
  TSample sample;
  TOther other;
  try {
    sample.Assign(&other);
    FAIL() << "no exception";
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TSample");
  }
  try {
    sample.Assign(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TSample");
  }
}

} // namespace
