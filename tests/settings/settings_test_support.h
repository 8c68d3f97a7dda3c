// Shared by the settings tests: each case runs in a fresh, empty folder (the
// settings file is addressed relative to the current folder), with the
// process state reset (tests/common/process_state.h).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_table.h"
#include "tests/common/process_state.h"
#include "tests/common/scratch_folder.h"

// What start-up leaves before loading, as a record of its own.
inline GameSettingsRecord startUpState() {
  GameSettingsRecord current = GameSettings;
  GameSettings = GameSettingsRecord{};
  placeDefaultBindings();
  GameSettingsRecord state = GameSettings;
  GameSettings = current;
  return state;
}

// Whole-file text with LF line ends written as CRLF, as the writer produces.
inline std::string crlf(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Every entry of every field gardum.cfg holds, one by one, so a failure names
// the field and entry that differ. Bindings compare as references: they must
// be the same table string, not an equal copy.
inline void expectSameSettings(GameSettingsRecord a, GameSettingsRecord b) {
  for (const SettingField &field : SettingFieldTable) {
    for (int i = 0; i < field.count; ++i) {
      SCOPED_TRACE(std::string(field.name) + "[" + std::to_string(i) + "]");
      SettingEntryRef left = field.entry(a, i);
      SettingEntryRef right = field.entry(b, i);
      if (left.integer != nullptr) {
        EXPECT_EQ(*left.integer, *right.integer);
      } else {
        EXPECT_EQ(*left.name, *right.name)
            << (*left.name ? *left.name : "(null)") << " against " << (*right.name ? *right.name : "(null)");
      }
    }
  }
}

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override { resetProcessState(); }
  void TearDown() override { resetProcessState(); }

  // Writes gardum.cfg and loads it as start-up does.
  void loadFrom(const std::string &text) {
    writeFile(ConfigFileName, text);
    loadSettings();
  }

  std::string savedFile() const { return readFile(ConfigFileName); }

  ScratchFolder folder_{ScratchFolder::Entered};
};
