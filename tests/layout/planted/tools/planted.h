// Planted for the check of the product's includes: tests/ reached from a
// neighbouring folder (the spaces after "#" are part of the test).
#pragma once
#  include <../tests/common/scratch_folder.h>
