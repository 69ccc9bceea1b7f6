// Reading timed input scripts.
#include "Input_Script.h"

#include <gtest/gtest.h>

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
