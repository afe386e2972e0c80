#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillora::test {
namespace {

TEST(command_line_test, splits_the_arguments) {
  const struct {
    Text line, file, output;
  } cases[] = {
      {u"-d a.txt out.txt", u"a.txt", u"out.txt"},
      {u"-d", u"", u""},
      {u"-D \"C:\\My Mail\\a.txt\" \"b c.txt\"", u"C:\\My Mail\\a.txt", u"b c.txt"},
      {u"\"/My Mail/a.txt out", u"/My Mail/a.txt out", u""},  // no closing quote
      {u"a.txt \"o u.txt\" more words", u"a.txt", u"o u.txt"},
      {u"\"a b\"out.txt", u"a b", u"out.txt"},
      // "-d" is the switch only as the first word.
      {u"a.txt Mail-Data/b.txt", u"a.txt", u"Mail-Data/b.txt"},
      {u"-data.txt", u"-data.txt", u""},
  };
  for (const auto& c : cases) {
    AppState state;
    state.CommandOutput = u"from before";
    ParseCommandLine(c.line, state);
    EXPECT_EQ(state.CommandFile, c.file) << testing::PrintToString(c.line);
    EXPECT_EQ(state.CommandOutput.value_or(Text()), c.output) << testing::PrintToString(c.line);
  }
}

TEST(command_line_test, round_trips_through_the_parser) {
  const std::vector<std::vector<Text>> cases = {
      {}, {u"a.txt"}, {u"/My Mail/a.txt", u"b c.txt"}, {u"", u"o.txt"}, {u"/メール/a", u"o"}};
  for (const auto& arguments : cases) {
    AppState state;
    ParseCommandLine(CommandLineFromArguments(arguments), state);
    EXPECT_EQ(state.CommandFile, arguments.empty() ? Text() : arguments[0]);
    EXPECT_EQ(state.CommandOutput.value_or(Text()), arguments.size() < 2 ? Text() : arguments[1]);
  }
  const char* argv[] = {"quillora", "-d", "/\xE3\x83\xA1/a.txt", "o u.txt"};
  EXPECT_EQ(CommandLineFromArgv(4, argv), u"-d /メ/a.txt \"o u.txt\"");
}

}  // namespace
}  // namespace quillora::test
