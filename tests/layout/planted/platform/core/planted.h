// Planted for the include check's own test: two ways of reaching above.
#pragma once
#  include <settings/settings.h>
#include "../../config/config.h"
