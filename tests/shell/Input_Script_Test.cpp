// Reading timed input scripts.
#include "Input_Script.h"

#include <gtest/gtest.h>

#include "Test_Support.h"

TEST(Input_Script, StepsComeDueByFrameAndByWindow) {
  TInput_Script script;
  std::string error;
  ASSERT_TRUE(script.m_Load_Text("# launcher\n2 move 10 20\n4 click 10 20\n\n3 key F1 shift\n3 text Hi there\r\n"
                                 "9 quit\n",
                                 error))
      << error;
  EXPECT_TRUE(script.m_Take_Due(1).empty());
  auto due = script.m_Take_Due(5);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[1].verb, "click");
  EXPECT_EQ(due[1].words, (std::vector<std::string>{"10", "20"}));
  // The lower frame number waits for the next window.
  EXPECT_TRUE(script.m_Take_Due(50).empty());
  script.m_Next_Window();
  due = script.m_Take_Due(3);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0].words, (std::vector<std::string>{"F1", "shift"}));
  EXPECT_EQ(due[1].rest, "Hi there");
  EXPECT_FALSE(script.m_Done());
  EXPECT_EQ(script.m_Take_Due(9).size(), 1u);
  EXPECT_TRUE(script.m_Done());
}

TEST(Input_Script, MalformedLinesAreNamed) {
  struct {
    const char* text;
    const char* error;
  } rows[] = {
      {"x click 1 2", "line 1: a frame number from 1 is expected"},
      {"0 quit", "line 1: a frame number from 1 is expected"},
      {"1 quit\n2 jump 3", "line 2: unknown event \"jump\""},
      {"5 click 10", "line 1: \"click\" needs more arguments"},
      {"5 wheel 1 a 3", "line 1: \"a\" is not a number"},
      {"5", "line 1: no event"},
      {"99999999999999 quit", "line 1: a frame number from 1 is expected"},
  };
  for (const auto& r : rows) {
    TInput_Script script;
    std::string error;
    EXPECT_FALSE(script.m_Load_Text(r.text, error)) << r.text;
    EXPECT_EQ(error, r.error) << r.text;
  }
}

// The README's example, read from the README as a script file: each line's
// comment is left out, after "text" and "message" too, so that the key line
// presses F1 and the text line types "Hello".
TEST(Input_Script, TheReadmesExampleReadsAsItSays) {
  const std::string readme = Read_File(Source_Dir() / "README.md");
  const std::size_t intro = readme.find("positions are pixels of the window:");
  ASSERT_NE(intro, std::string::npos);
  const std::size_t start = readme.find("\n    ", intro), end = readme.find("\n\n", start + 1);
  ASSERT_NE(start, std::string::npos);
  TTemp_Dir dir;
  Write_File(dir.path() / "script.txt", readme.substr(start + 1, end - start - 1));
  TInput_Script script;
  std::string error;
  ASSERT_TRUE(script.m_Load_File((dir.path() / "script.txt").string(), error)) << error;
  struct TLine {
    std::uint32_t frame;
    const char* verb;
    std::vector<std::string> words;
    const char* rest;
  } want[] = {
      {5, "move", {"480", "30"}, "480 30"},
      {8, "click", {"480", "30"}, "480 30"},
      {9, "down", {"100", "100"}, "100 100"},
      {12, "wheel", {"-2", "512", "384"}, "-2 512 384"},
      {130, "key", {"F1"}, "F1"},
      {140, "text", {"Hello"}, "Hello"},
      {150, "message", {"Note|Some", "text"}, "Note|Some text"},
      {160, "screenshot", {"/tmp/a.bmp"}, "/tmp/a.bmp"},
      {170, "quit", {}, ""},
      {180, "waitfile", {"/tmp/b.bmp"}, "/tmp/b.bmp"},
  };
  const std::vector<TScript_Step>& steps = script.m_Steps();
  ASSERT_EQ(steps.size(), std::size(want));
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(want[i].verb);
    EXPECT_EQ(steps[i].frame, want[i].frame);
    EXPECT_EQ(steps[i].verb, want[i].verb);
    EXPECT_EQ(steps[i].words, want[i].words);
    EXPECT_EQ(steps[i].rest, want[i].rest);
  }
}

// A "#" begins a comment only at the start of a word; "\#" is a "#" that
// is typed, shown or named.
TEST(Input_Script, AHashBeginsACommentOnlyAtTheStartOfAWord) {
  struct TRow {
    const char* line;
    std::vector<std::string> words;
    const char* rest;
  } rows[] = {
      {"1 text a#b", {"a#b"}, "a#b"},
      {"1 text Issue \\#27   # typed", {"Issue", "#27"}, "Issue #27"},
      {"1 message Note|Price #1", {"Note|Price"}, "Note|Price"},
      {"1 message Note|Price \\#1", {"Note|Price", "#1"}, "Note|Price #1"},
      {"1 key Keypad \\#", {"Keypad", "#"}, "Keypad #"},
      {"1 key F1\t# after a tab", {"F1"}, "F1"},
      {"1 screenshot /tmp/a#b.bmp", {"/tmp/a#b.bmp"}, "/tmp/a#b.bmp"},
      {"1 click 1 2 #right", {"1", "2"}, "1 2"},
      {"1 text Hi  ", {"Hi"}, "Hi  "},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.line);
    TInput_Script script;
    std::string error;
    ASSERT_TRUE(script.m_Load_Text(std::string("   # a comment line\n") + r.line + "\n#2 quit\n", error)) << error;
    ASSERT_EQ(script.m_Steps().size(), 1u);
    EXPECT_EQ(script.m_Steps()[0].words, r.words);
    EXPECT_EQ(script.m_Steps()[0].rest, r.rest);
  }
  // A line that is all comment after its frame number has no event.
  TInput_Script script;
  std::string error;
  EXPECT_FALSE(script.m_Load_Text("7 # nothing", error));
  EXPECT_EQ(error, "line 1: no event");
}

TEST(Input_Script, AWaitHoldsTheLinesAfterItUntilTheFileIsThere) {
  TTemp_Dir dir;
  const std::filesystem::path signal = dir.path() / "ready.bmp";
  TInput_Script script;
  std::string error;
  ASSERT_TRUE(script.m_Load_Text("2 move 1 1\n5 waitfile " + signal.string() + "\n6 click 3 3\n9 quit\n", error))
      << error;
  EXPECT_EQ(script.m_Take_Due(4).size(), 1u);
  // Waiting: nothing more comes due, however many frames pass.
  EXPECT_TRUE(script.m_Take_Due(5).empty());
  EXPECT_TRUE(script.m_Take_Due(400).empty());
  EXPECT_FALSE(script.m_Done());
  Write_File(signal, "");
  // The wait ends at frame 401; the lines after it keep their distance
  // from it: one frame later the click, four frames later the end.
  EXPECT_TRUE(script.m_Take_Due(401).empty());
  auto due = script.m_Take_Due(402);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].verb, "click");
  EXPECT_TRUE(script.m_Take_Due(404).empty());
  EXPECT_EQ(script.m_Take_Due(405).size(), 1u);
  EXPECT_TRUE(script.m_Done());
}
