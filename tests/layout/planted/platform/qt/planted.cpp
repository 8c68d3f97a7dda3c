// A platform file with includes from above the platform, planted for the
// test that the include check finds them.
#include <QtWidgets>

#include "platform/core/window.h"
#include "ui/resource.h"
