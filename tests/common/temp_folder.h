/* The entered scratch folder under its old name, kept only for the test of
 * it in tests/platform until that test uses ScratchFolder itself.
 */
#pragma once

#include "tests/common/scratch_folder.h"

class TempFolder : public ScratchFolder {
 public:
  TempFolder() : ScratchFolder(Entered) {}
};
