/* The six dialog templates the program renders keep what the dialogs are
 * original to be (tests/common/original_templates.h): every backend draws
 * these records, and the Windows build compiles them into its resources
 * (tests/win32/resource_check.cpp holds those to the same table).
 */
#include <gtest/gtest.h>

#include <set>

#include "tests/common/original_templates.h"

namespace {

TEST(OriginalTemplates, EveryTemplateKeepsItsOriginalControlsFirstAndAddsOnlyAfterThem) {
  std::set<int> seen;
  for (int i = 0; i < DialogTemplateCount; ++i) {
    const DialogTemplateData &data = DialogTemplateTable[i];
    seen.insert(data.id);
    for (const std::string &difference : original::differences(data)) ADD_FAILURE() << difference;
  }
  std::set<int> wanted;
  for (const original::Dialog &dialog : original::templates()) wanted.insert(dialog.id);
  EXPECT_EQ(seen, wanted);
}

// The check itself: a template moved, reordered or restyled is told apart.
TEST(OriginalTemplates, ADepartureFromTheTableIsReported) {
  const DialogTemplateData &selectKey = *findDialogTemplate(135);
  std::vector<DialogControlTemplate> controls(selectKey.controls, selectKey.controls + selectKey.controlCount);
  DialogTemplateData changed = selectKey;
  changed.controls = controls.data();
  ASSERT_TRUE(original::differences(changed).empty());

  changed.cy = 161;
  EXPECT_EQ(original::differences(changed).size(), 1u);
  changed.cy = selectKey.cy;
  controls[4].y = 143;  // Set moved down
  EXPECT_EQ(original::differences(changed).size(), 1u);
  controls[4].y = selectKey.controls[4].y;
  std::swap(controls[4], controls[6]);  // an added button before Set
  EXPECT_FALSE(original::differences(changed).empty());
  std::swap(controls[4], controls[6]);
  controls[2].style &= ~0x08000000u;  // the key list no longer starts disabled
  EXPECT_EQ(original::differences(changed).size(), 1u);
  controls[2].style = selectKey.controls[2].style;
  controls[7].x = 5;  // the note over the key list
  EXPECT_EQ(original::differences(changed).size(), 1u);
}

}  // namespace
