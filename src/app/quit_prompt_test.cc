// Tests of the quit prompt loop: how many prompts each reply sequence gets
// and what it leaves in standard input.
#include "app/quit_prompt.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const std::string kPrompt = "\ntype \"quit\" to close program>>  ";

std::string prompts(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += kPrompt;
  return s;
}

TEST(QuitPrompt, PromptsOncePerReply) {
  struct {
    const char* input;
    int prompts;
    const char* left;
  } cases[] = {
      {"quit\n", 1, "\n"},
      {"\n\n  \t quit", 1, ""},
      {"no quit\n", 2, "\n"},
      {"Quit QUIT quit. quitting quitquit quit extra", 6, " extra"},
      // The end of input ends the loop without another prompt.
      {"", 1, ""},
      {"nope\n", 2, ""},
  };
  for (const auto& k : cases) {
    CapturedConsole c(k.input);
    runQuitPrompt(c.con);
    EXPECT_EQ(c.err(), prompts(k.prompts)) << k.input;
    EXPECT_EQ(c.out(), "") << k.input;
    EXPECT_EQ(c.unread(), k.left) << k.input;
  }
}

TEST(QuitPrompt, FollowsEarlierOutput) {
  CapturedConsole c("quit", /*combined=*/true);
  writeOut(c.con, "\nEstimate of theta: 1");
  runQuitPrompt(c.con);
  EXPECT_EQ(c.out(), "\nEstimate of theta: 1" + kPrompt);
}

TEST(QuitPromptDeathTest, ExitsWithStatusEight) {
  EXPECT_EXIT(
      {
        CapturedConsole c("maybe quit");
        waitForQuit(c.con);
      },
      ::testing::ExitedWithCode(8), "");
  EXPECT_EXIT(
      {
        CapturedConsole c("");
        waitForQuit(c.con);
      },
      ::testing::ExitedWithCode(8), "");
}

}  // namespace
