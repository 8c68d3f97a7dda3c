// Planted for the check of the product's includes: nothing here may be
// reported, neither this mention of "tests/harness/scripted_user/user_script.h"
// nor a folder whose name merely ends in "tests".
#include "platform/win32.h"
#include "ui/contests/table.h"
