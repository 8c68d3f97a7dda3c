// Planted for the include check's own test: nothing here may be reported,
// not even the mention of ui/resource.h in this comment.
#pragma once
#include <string>

#include "platform/resources.h"
#include "platform/win32.h"
