/* Fuzz target: an arbitrary gardum.cfg through loadSettings, saveSettings
 * and a reload, in a private folder. Checked on every input: the loaded
 * record keeps its ranges and refers only to table strings; the save
 * succeeds, keeps every section and entry of the file in place with every
 * unmanaged value, writes a file that parses without a diagnostic into the
 * document the format promises, and writes the same bytes when repeated; the
 * managed values read back equal the record; and one more load and save
 * cycle is stable byte for byte.
 */
#include "fuzz/fuzz_support.h"
#include "settings/settings_table.h"

#include <cstdint>

namespace {

std::string scratch;

// The entries whose values saveSettings writes.
bool isManaged(const std::string &section, const std::string &key) {
  if (fuzz::sameName(section, KeySection)) return findGameFunction(key.c_str()) >= 0;
  for (const SettingKey &managed : SettingKeyTable) {
    if (fuzz::sameName(section, SettingFieldTable[managed.field].section) && fuzz::sameName(key, managed.key))
      return true;
  }
  return false;
}

template <size_t N>
bool inTable(const char *const (&table)[N], const char *name) {
  for (const char *entry : table)
    if (entry == name) return true;
  return false;
}

bool isKeyTableString(const char *name) {
  if (name == EmptyName || inTable(KeyNameTable, name)) return true;
  for (const DefaultKeyBinding &binding : DefaultKeyBindingTable)
    if (binding.primary == name || binding.secondary == name) return true;
  return false;
}

bool isFunctionTableString(const char *name) { return name == EmptyName || inTable(GameFunctionTable, name); }

// What loadSettings promises about any record it leaves.
void checkLoadedRecord(const GameSettingsRecord &r) {
  FUZZ_CHECK(r.ScreenMode == 0 || r.ScreenMode == 1);
  FUZZ_CHECK(r.FXDevice >= -1 && r.MusicDevice >= -1);
  FUZZ_CHECK(r.NumBits == 8 || r.NumBits == 16);
  FUZZ_CHECK(r.NumChannels == 1 || r.NumChannels == 2);
  FUZZ_CHECK(r.ControllerType >= 0);
  FUZZ_CHECK(r.MouseAiming == 0 || r.MouseAiming == 1);
  for (int axis = 0; axis < MouseAxisCount; axis++) {
    FUZZ_CHECK(r.MouseAnalogScale[axis] >= -262144 && r.MouseAnalogScale[axis] <= 262144);
    FUZZ_CHECK(r.MouseAnalogAxes[axis] >= -1 && r.MouseAnalogAxes[axis] < AnalogFunctionCount);
  }
  for (int i = 0; i < GameFunctionCount; i++)
    FUZZ_CHECK(isKeyTableString(r.KeyBindings[i][0]) && isKeyTableString(r.KeyBindings[i][1]));
  for (int b = 0; b < MouseButtonCount; b++)
    FUZZ_CHECK(isFunctionTableString(r.MouseButton[b]) && isFunctionTableString(r.MouseButtonClicked[b]));
  for (int d = 0; d < MouseDirectionCount; d++) FUZZ_CHECK(isFunctionTableString(r.MouseDigitalAxes[d]));
}

// Names are equal when the game would treat them alike: ignoring letter case
// (a default such as "KPad6" reads back as the key table's "Kpad6").
bool sameBinding(const char *a, const char *b) { return fuzz::sameName(a, b); }

void checkSameRecord(GameSettingsRecord a, GameSettingsRecord b) {
  for (const SettingField &field : SettingFieldTable) {
    for (int i = 0; i < field.count; i++) {
      SettingEntryRef left = field.entry(a, i), right = field.entry(b, i);
      FUZZ_CHECK(left.integer ? *left.integer == *right.integer : *left.name == *right.name);
    }
  }
  for (int i = 0; i < GameFunctionCount; i++) {
    FUZZ_CHECK(sameBinding(a.KeyBindings[i][0], b.KeyBindings[i][0]));
    FUZZ_CHECK(sameBinding(a.KeyBindings[i][1], b.KeyBindings[i][1]));
  }
}

// The state start-up leaves before loading.
void startUp() {
  fuzz::freeAllDocuments();
  GameSettings = GameSettingsRecord{};
  placeDefaultBindings();
}

std::string saveAndRead() {
  FUZZ_CHECK(saveSettings());
  return fuzz::readBytes(ConfigFileName);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::silenceStandardOutput();
  scratch = fuzz::makeScratch();
  return 0;
}

namespace {

// gardum.cfg is addressed relative to the current folder; libFuzzer's own
// paths are relative to the folder it was started in, so each input enters
// the scratch folder and leaves it again.
struct InScratchFolder {
  InScratchFolder() {
    if (!getcwd(previous, sizeof previous) || chdir(scratch.c_str()) != 0)
      fuzz::fail("cannot enter the scratch folder");
  }
  ~InScratchFolder() {
    if (chdir(previous) != 0) fuzz::fail("cannot leave the scratch folder");
  }
  char previous[4096];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  InScratchFolder inScratch;
  std::string original((const char *)data, size);
  startUp();
  fuzz::writeBytes(ConfigFileName, data, size);

  // The file as the parser reads it, for comparison with what is saved.
  ConfigHandle parsedHandle = configNew("original");
  fuzz::parseInto(parsedHandle, original);
  fuzz::Model parsed = fuzz::snapshot(parsedHandle);
  configFree(parsedHandle);

  loadSettings();
  FUZZ_CHECK(GameSettings.configHandle >= 0);
  checkLoadedRecord(GameSettings);
  const GameSettingsRecord loaded = GameSettings;

  std::string saved = saveAndRead();
  FUZZ_CHECK(saveAndRead() == saved);  // saving again changes nothing

  // Every section and entry of the file is still in its place, under its key
  // as first written, and every value the configurator does not manage is
  // the one read from the file.
  fuzz::Model held = fuzz::snapshot(GameSettings.configHandle);
  FUZZ_CHECK(held.size() >= parsed.size());
  for (size_t i = 0; i < parsed.size(); i++) {
    FUZZ_CHECK(held[i].name == parsed[i].name);
    FUZZ_CHECK(held[i].entries.size() >= parsed[i].entries.size());
    for (size_t j = 0; j < parsed[i].entries.size(); j++) {
      FUZZ_CHECK(held[i].entries[j].first == parsed[i].entries[j].first);
      if (!isManaged(parsed[i].name, parsed[i].entries[j].first))
        FUZZ_CHECK(held[i].entries[j].second == parsed[i].entries[j].second);
    }
  }

  // The saved file parses cleanly into what the format can say of the held
  // document: everything, except where a non-first section with the empty
  // name joins the section before it, or a text had blanks at its edge.
  std::vector<std::vector<bool>> survives;
  fuzz::Model expected = fuzz::readBack(held, &survives);
  ConfigHandle check = configNew("saved");
  FUZZ_CHECK(fuzz::parseInto(check, saved) == 0);
  FUZZ_CHECK(fuzz::snapshot(check) == expected);
  configFree(check);

  // The managed values read back as the record held them, unless the file
  // itself overrides one of them where the format cannot keep it apart.
  bool managedKept = true;
  for (size_t i = 0; i < held.size(); i++)
    for (size_t j = 0; j < held[i].entries.size(); j++)
      if (!survives[i][j] && isManaged(held[i].name, held[i].entries[j].first)) managedKept = false;
  startUp();
  loadSettings();
  checkLoadedRecord(GameSettings);
  if (managedKept) checkSameRecord(loaded, GameSettings);

  // From here on the file says exactly what the document holds: one more
  // cycle reads the same record and writes the same bytes.
  const GameSettingsRecord first = GameSettings;
  std::string again = saveAndRead();
  startUp();
  loadSettings();
  checkSameRecord(first, GameSettings);
  FUZZ_CHECK(saveAndRead() == again);

  fuzz::freeAllDocuments();
  return 0;
}
