// Positional formatting and the network-drive test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shellns/UKdShell95.h"
#include "toolkit/SysUtils.h"

namespace {

TEST(FormatStrPos, PlainFormatsAndEmptyInputs) {
  EXPECT_EQ(FormatStrPos("no inserts here", {}), "no inserts here");
  EXPECT_EQ(FormatStrPos("", {"ignored"}), "");
}

TEST(FormatStrPos, InsertsGoWhereTheirNumbersSay) {
  EXPECT_EQ(FormatStrPos("%2 before %1", {"one", "two"}), "two before one");
  EXPECT_EQ(FormatStrPos("Unable to create the folder '%2' (%1)", {"Access is denied", "été-日本"}),
            "Unable to create the folder 'été-日本' (Access is denied)");
  std::vector<std::string> fifty;
  for (int i = 1; i <= 50; ++i)
    fifty.push_back(FormatStr("s%d", i));
  EXPECT_EQ(FormatStrPos("%50,%1", fifty), "s50,s1");
}

TEST(FormatStrPos, MoreThanFiftyStringsRaise) {
  std::vector<std::string> many(51, "x");
  try {
    FormatStrPos("%1", many);
    ADD_FAILURE() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), "FormatStrPos: Too many substitution strings");
  }
}

TEST(FormatStrPos, AnInsertBeyondTheStringsGivenIsEmpty) {
  // Without the padding the system would read a pointer past the caller's array.
  EXPECT_EQ(FormatStrPos("a %1 b %3 c %99", {"x"}), "a x b  c ");
}

TEST(NetworkDrive, ALocalDriveIsNoConnectedNetworkDrive) {
  EXPECT_FALSE(IsNetworkDriveConnected('C'));
  EXPECT_EQ(NetworkApiState(), 2);
  EXPECT_FALSE(IsNetworkDriveConnected('Q'));
}

} // namespace
