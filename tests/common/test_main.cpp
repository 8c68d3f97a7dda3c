/* The tests' main: every test starts with an empty script, the scripted
 * user's failures (wrong caption, a dialog left open, an unexpected message
 * box) fail the running test, and steps left over at its end fail it too.
 */
#include <gtest/gtest.h>

#include "tests/harness/scripted_user/user_script.h"

namespace {

class ScriptedUserListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo &) override {
    userscript::reset();
    userscript::setFailureHandler([](const std::string &message) { ADD_FAILURE() << message; });
  }
  // Runs before the result printer (listeners end in reverse order), so the
  // failure still counts for this test.
  void OnTestEnd(const testing::TestInfo &) override { userscript::finished(); }
};

}  // namespace

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new ScriptedUserListener);
  return RUN_ALL_TESTS();
}
