// A program file that includes test harness, planted for the test that the
// check of the product's includes finds it.
#include "app/startup.h"
#include "tests/harness/scripted_user/user_script.h"
