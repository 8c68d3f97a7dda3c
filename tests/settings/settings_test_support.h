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

// Key bindings are the same when they are the same string, or name the same
// key: a default such as "KPad6" reads back as the key table's "Kpad6".
inline bool sameKeyBinding(const char *a, const char *b) {
  return a == b || (a != nullptr && b != nullptr && findKeyName(a) != EmptyName && findKeyName(a) == findKeyName(b));
}

inline const char *shownName(const char *name) { return name != nullptr ? name : "(null)"; }

// Every entry of every field of the record, the key bindings included, one
// by one, so a failure names the field and entry that differ. Other bindings
// compare as references: they must be the same table string, not an equal
// copy.
inline void expectSameSettings(GameSettingsRecord a, GameSettingsRecord b) {
  forEachRecordField([&](const SettingField &field) {
    for (int i = 0; i < field.count; ++i) {
      SCOPED_TRACE(std::string(field.name) + "[" + std::to_string(i) + "]");
      SettingEntryRef left = field.entry(a, i);
      SettingEntryRef right = field.entry(b, i);
      if (left.integer != nullptr) {
        EXPECT_EQ(*left.integer, *right.integer);
      } else if (left.name != nullptr) {
        EXPECT_EQ(*left.name, *right.name) << shownName(*left.name) << " against " << shownName(*right.name);
      } else {
        for (int slot = 0; slot < 2; ++slot) {
          EXPECT_TRUE(sameKeyBinding(left.keys[slot], right.keys[slot]))
              << "slot " << slot << ": " << shownName(left.keys[slot]) << " against " << shownName(right.keys[slot]);
        }
      }
    }
  });
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
