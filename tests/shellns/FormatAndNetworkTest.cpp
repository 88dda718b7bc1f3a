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

TEST(FormatStrPos, AFormatThatWouldReadPastTheInsertsIsRefused) {
  // "*" takes a width or precision from the insert after the highest one used so far, a wide-string
  // conversion reads the narrow text as UTF-16 until it meets two zero bytes, and the other conversions read
  // the insert as a number or write through it: no padding of the array keeps any of them inside it.
  for (const char *format : {"%99!*.*s!", "%99%1!*s!", "%1!*s!", "%1!.*s!", "%1!ls!", "%1!S!", "%1!ws!", "%1!d!",
                             "%1!n!", "%1!s", "%1!!", "%01"})
    EXPECT_THROW(FormatStrPos(format, {"one"}), Exception) << format;
}

TEST(FormatStrPos, StringConversionsAndEscapesStillWork) {
  EXPECT_EQ(FormatStrPos("[%1!-5s!][%2!5s!][%1!.2s!][%3!s!]", {"ab", "cd"}), "[ab   ][   cd][ab][]");
  EXPECT_EQ(FormatStrPos("100%% %1%.%!%t|%n", {"done"}), "100% done.!\t|\r\n");
  // Only two digits name an insert; what follows is text. %0 ends the text, unchecked parts included.
  EXPECT_EQ(FormatStrPos("%100", std::vector<std::string>(10, "x")), "x0");
  EXPECT_EQ(FormatStrPos("%1%0 never shown", {"shown"}), "shown");
}

TEST(NetworkDrive, ALocalDriveIsNoConnectedNetworkDrive) {
  EXPECT_FALSE(IsNetworkDriveConnected('C'));
  EXPECT_EQ(NetworkApiState(), 2);
  EXPECT_FALSE(IsNetworkDriveConnected('Q'));
}

} // namespace
