// Shared by the settings tests: each case runs in a fresh, empty folder (the
// settings file is addressed relative to the current folder), with the record
// reset to its start-up state and every configuration document released.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/settings_table.h"

// Frees every document slot and puts the record back to what start-up leaves
// before loading: initial values plus the default bindings.
inline void resetSettings() {
  for (ConfigHandle handle = 0; handle < ConfigSlotCount; ++handle) configFree(handle);
  GameSettings = GameSettingsRecord{};
  placeDefaultBindings();
}

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

inline std::string readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
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
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    char pattern[] = "/tmp/tg-settings-test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::filesystem::current_path(folder_);
    resetSettings();
  }

  void TearDown() override {
    resetSettings();
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  // Writes gardum.cfg and loads it as start-up does.
  void loadFrom(const std::string &text) {
    writeBytes(ConfigFileName, text);
    loadSettings();
  }

  std::string savedFile() const { return readBytes(ConfigFileName); }

  std::filesystem::path previous_;
  std::filesystem::path folder_;
};
