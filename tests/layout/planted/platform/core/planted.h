// Planted for the include check's own test: two ways of reaching above
// (the spaces after "#" are part of the test; keep them unformatted).
#pragma once
#  include <settings/settings.h>
#include "../../config/config.h"
