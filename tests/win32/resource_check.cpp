// Checks the resources built into tarrengard-setup.exe against what the
// program relies on: every dialog template equal, field by field, to the
// template data the other backends render (so the resource generator and the
// Windows headers agree with the data), and keeping the dialogs as original
// (tests/common/original_templates.h); icon group 1000 with its four sizes;
// the common-controls manifest, for the machine of the file's own PE header;
// the version information.
//
// Usage (under Wine or on Windows):
//   tg-resource-check PATH\tarrengard-setup.exe [PATH\tarrengard.ico]
// Prints one line per failed check and a closing count; exit status 0 only
// when every check passed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "tests/common/original_templates.h"

namespace {

int checks = 0;
int failures = 0;

void check(bool ok, const char *format, ...) {
  ++checks;
  if (ok) return;
  ++failures;
  std::va_list args;
  va_start(args, format);
  std::printf("FAIL: ");
  std::vprintf(format, args);
  std::printf("\n");
  va_end(args);
}

// A little-endian reader over one resource, failing softly past its end so
// that a truncated template is reported instead of read out of bounds.
struct Reader {
  const uint8_t *data;
  size_t size;
  size_t at = 0;
  bool overrun = false;

  uint16_t word() {
    if (at + 2 > size) {
      overrun = true;
      return 0;
    }
    uint16_t value = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
    at += 2;
    return value;
  }
  uint32_t dword() {
    uint32_t low = word();
    return low | (static_cast<uint32_t>(word()) << 16);
  }
  int16_t shortValue() { return static_cast<int16_t>(word()); }
  uint8_t byte() {
    if (at + 1 > size) {
      overrun = true;
      return 0;
    }
    return data[at++];
  }
  void alignDword() { at = (at + 3) & ~static_cast<size_t>(3); }
  // A zero-terminated UTF-16 string; the templates are ASCII.
  std::string text() {
    std::string out;
    for (uint16_t c = word(); c != 0 && !overrun; c = word()) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  }
  // sz_Or_Ord: 0xFFFF followed by an ordinal, or a string.
  std::string textOrOrdinal(bool *isOrdinal, uint16_t *ordinal) {
    size_t start = at;
    if (word() == 0xFFFF) {
      *isOrdinal = true;
      *ordinal = word();
      return std::string();
    }
    at = start;
    *isOrdinal = false;
    return text();
  }
};

std::string upper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The predefined control classes that resource compilers store as ordinals.
std::string className(bool isOrdinal, uint16_t ordinal, const std::string &name) {
  if (!isOrdinal) return upper(name);
  switch (ordinal) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
  }
  return "#" + std::to_string(ordinal);
}

bool findResource(HMODULE module, LPCSTR type, int id, Reader *reader) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return false;
  reader->data = static_cast<const uint8_t *>(LockResource(loaded));
  reader->size = SizeofResource(module, found);
  reader->at = 0;
  reader->overrun = false;
  return reader->data != nullptr;
}

void checkDialog(HMODULE module, const DialogTemplateData &expected) {
  Reader r{};
  int id = expected.id;
  if (!findResource(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, id, &r)) {
    check(false, "dialog %d: no RT_DIALOG resource", id);
    return;
  }
  uint16_t version = r.word();
  uint16_t signature = r.word();
  check(version == 1 && signature == 0xFFFF, "dialog %d: not a DLGTEMPLATEEX (%u, %04x)", id, version, signature);
  if (version != 1 || signature != 0xFFFF) return;
  r.dword();  // help id
  uint32_t exStyle = r.dword();
  uint32_t style = r.dword();
  int count = r.word();
  int x = r.shortValue(), y = r.shortValue(), cx = r.shortValue(), cy = r.shortValue();
  bool ordinal = false;
  uint16_t number = 0;
  std::string menu = r.textOrOrdinal(&ordinal, &number);
  check(!ordinal && menu.empty(), "dialog %d: has a menu", id);
  std::string windowClass = r.textOrOrdinal(&ordinal, &number);
  check(!ordinal && windowClass.empty(), "dialog %d: has a private window class", id);
  std::string caption = r.text();

  check(exStyle == 0, "dialog %d: extended style %08lx, expected 0", id, (unsigned long)exStyle);
  check(style == expected.style, "dialog %d: style %08lx, expected %08lx", id, (unsigned long)style,
        (unsigned long)expected.style);
  check(x == expected.x && y == expected.y && cx == expected.cx && cy == expected.cy,
        "dialog %d: at %d,%d size %dx%d, expected %d,%d size %dx%d", id, x, y, cx, cy, expected.x, expected.y,
        expected.cx, expected.cy);
  check(caption == expected.caption, "dialog %d: caption \"%s\", expected \"%s\"", id, caption.c_str(),
        expected.caption);
  std::string face;
  int points = 0;
  if (style & DS_SETFONT) {
    points = r.word();
    r.word();  // weight
    r.byte();  // italic
    r.byte();  // character set
    face = r.text();
    check(points == expected.pointSize && face == expected.fontName, "dialog %d: font \"%s\" %d, expected \"%s\" %d",
          id, face.c_str(), points, expected.fontName, expected.pointSize);
  } else {
    check(false, "dialog %d: no DS_SETFONT, so no font", id);
  }
  check(count == expected.controlCount, "dialog %d: %d controls, expected %d", id, count, expected.controlCount);

  // The template as compiled, for the comparison with the original one.
  std::vector<std::string> texts, classes;
  std::vector<DialogControlTemplate> compiled;
  texts.reserve(count);
  classes.reserve(count);
  for (int i = 0; i < count && i < expected.controlCount && !r.overrun; ++i) {
    const DialogControlTemplate &c = expected.controls[i];
    r.alignDword();
    r.dword();  // help id
    uint32_t itemExStyle = r.dword();
    uint32_t itemStyle = r.dword();
    int ix = r.shortValue(), iy = r.shortValue(), icx = r.shortValue(), icy = r.shortValue();
    int32_t itemId = static_cast<int32_t>(r.dword());
    bool classIsOrdinal = false;
    uint16_t classOrdinal = 0;
    std::string itemClassName = r.textOrOrdinal(&classIsOrdinal, &classOrdinal);
    bool textIsOrdinal = false;
    uint16_t textOrdinal = 0;
    std::string itemText = r.textOrOrdinal(&textIsOrdinal, &textOrdinal);
    uint16_t extra = r.word();
    r.at += extra;

    std::string itemClass = className(classIsOrdinal, classOrdinal, itemClassName);
    const char *text = c.text ? c.text : "";
    check(itemId == c.id, "dialog %d control %d: id %ld, expected %d", id, i, (long)itemId, c.id);
    check(itemClass == upper(c.className), "dialog %d control %d (id %d): class %s, expected %s", id, i, c.id,
          itemClass.c_str(), c.className);
    check(!textIsOrdinal && itemText == text, "dialog %d control %d (id %d): text \"%s\", expected \"%s\"", id, i, c.id,
          itemText.c_str(), text);
    check(itemStyle == c.style, "dialog %d control %d (id %d): style %08lx, expected %08lx", id, i, c.id,
          (unsigned long)itemStyle, (unsigned long)c.style);
    check(itemExStyle == 0, "dialog %d control %d (id %d): extended style %08lx", id, i, c.id,
          (unsigned long)itemExStyle);
    check(ix == c.x && iy == c.y && icx == c.cx && icy == c.cy,
          "dialog %d control %d (id %d): at %d,%d size %dx%d, expected %d,%d size %dx%d", id, i, c.id, ix, iy, icx, icy,
          c.x, c.y, c.cx, c.cy);
    texts.push_back(itemText);
    classes.push_back(itemClass);
    compiled.push_back({static_cast<int>(itemId), classes.back().c_str(), texts.back().c_str(), static_cast<short>(ix),
                        static_cast<short>(iy), static_cast<short>(icx), static_cast<short>(icy), itemStyle});
  }
  check(!r.overrun, "dialog %d: resource ends inside the template", id);
  DialogTemplateData seen = {id,
                             caption.c_str(),
                             face.c_str(),
                             points,
                             static_cast<short>(x),
                             static_cast<short>(y),
                             static_cast<short>(cx),
                             static_cast<short>(cy),
                             style,
                             compiled.data(),
                             static_cast<int>(compiled.size())};
  for (const std::string &difference : original::differences(seen)) check(false, "%s", difference.c_str());
}

// The .ico file's bytes, or an empty string when it cannot be read.
std::string readFile(const char *path) {
  std::string bytes;
  if (std::FILE *file = std::fopen(path, "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
  }
  return bytes;
}

// Icon group 1000 holds the four sizes; with the .ico it was made from, also
// that every image of the file is in it, byte for byte and in file order.
void checkIcon(HMODULE module, const char *icoPath) {
  Reader r{};
  if (!findResource(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, 1000, &r)) {
    check(false, "icon group 1000 is missing");
    return;
  }
  std::string ico = icoPath ? readFile(icoPath) : std::string();
  Reader file{reinterpret_cast<const uint8_t *>(ico.data()), ico.size()};
  int fileCount = 0;
  if (icoPath) {
    check(!ico.empty(), "cannot read %s", icoPath);
    file.word();  // reserved
    check(file.word() == 1, "%s is not an icon file", icoPath);
    fileCount = file.word();
  }

  r.word();  // reserved
  uint16_t type = r.word();
  int count = r.word();
  check(type == 1, "icon group 1000: type %u, expected 1 (icon)", type);
  if (icoPath) check(count == fileCount, "icon group 1000: %d images, the icon file %d", count, fileCount);
  std::map<int, int> imagesBySize;
  for (int i = 0; i < count && !r.overrun; ++i) {
    int width = r.byte();
    int height = r.byte();
    r.byte();  // colour count
    r.byte();  // reserved
    r.word();  // planes
    int bits = r.word();
    uint32_t bytes = r.dword();
    uint16_t imageId = r.word();
    if (width == 0) width = 256;
    if (height == 0) height = 256;
    check(width == height, "icon group 1000: image %d is %dx%d", i, width, height);
    ++imagesBySize[width];
    Reader image{};
    bool found = findResource(module, MAKEINTRESOURCEA(3) /* RT_ICON */, imageId, &image);
    check(found, "icon group 1000: image %d (%dx%d, %d bits) has no RT_ICON %u", i, width, height, bits, imageId);
    if (!found || !icoPath || i >= fileCount) continue;
    // ICONDIRENTRY: width, height, colours, reserved, planes, bits, size, offset.
    file.at = 6 + 16 * static_cast<size_t>(i);
    int fileWidth = file.byte(), fileHeight = file.byte();
    file.at += 6;
    uint32_t fileBytes = file.dword();
    uint32_t offset = file.dword();
    if (fileWidth == 0) fileWidth = 256;
    if (fileHeight == 0) fileHeight = 256;
    bool same = !file.overrun && fileWidth == width && fileHeight == height && fileBytes == bytes &&
                image.size == bytes && offset + static_cast<size_t>(fileBytes) <= ico.size() &&
                std::memcmp(ico.data() + offset, image.data, bytes) == 0;
    check(same, "icon group 1000: image %d (%dx%d) differs from the icon file's", i, width, height);
  }
  check(!r.overrun, "icon group 1000: truncated");
  for (int size : {16, 24, 32, 48})
    check(imagesBySize[size] == 3, "icon group 1000: %d images of %dx%d, expected three (4, 8 and 32 bits)",
          imagesBySize[size], size, size);
  std::printf("icon group 1000:");
  for (const auto &entry : imagesBySize) std::printf(" %dx%d (%d)", entry.first, entry.first, entry.second);
  std::printf("\n");
}

// The machine field of a PE file's header (0 when it cannot be read).
unsigned peMachine(const char *path) {
  unsigned char header[64], signature[6];
  FILE *file = std::fopen(path, "rb");
  if (!file) return 0;
  unsigned machine = 0;
  if (std::fread(header, 1, sizeof header, file) == sizeof header) {
    long at = header[60] | header[61] << 8 | header[62] << 16 | (long)header[63] << 24;
    if (std::fseek(file, at, SEEK_SET) == 0 && std::fread(signature, 1, sizeof signature, file) == sizeof signature &&
        std::memcmp(signature, "PE\0\0", 4) == 0)
      machine = signature[4] | signature[5] << 8;
  }
  std::fclose(file);
  return machine;
}

void checkManifest(HMODULE module, const char *path) {
  Reader r{};
  if (!findResource(module, MAKEINTRESOURCEA(24) /* RT_MANIFEST */, 1, &r)) {
    check(false, "manifest 1 is missing");
    return;
  }
  std::string manifest(reinterpret_cast<const char *>(r.data), r.size);
  check(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
            manifest.find("version=\"6.0.0.0\"") != std::string::npos,
        "manifest does not ask for common controls 6");
  check(manifest.find("asInvoker") != std::string::npos, "manifest has no asInvoker execution level");
  // Windows loads the assemblies of the architecture the manifest names: a
  // 64-bit program given the 32-bit common controls does not start.
  unsigned machine = peMachine(path);
  const char *wanted = machine == IMAGE_FILE_MACHINE_I386    ? "x86"
                       : machine == IMAGE_FILE_MACHINE_AMD64 ? "amd64"
                                                             : nullptr;
  check(wanted != nullptr, "PE header: machine %04x, expected i386 or x86-64", machine);
  const std::string key = "processorArchitecture=\"";
  int named = 0;
  for (size_t at = manifest.find(key); wanted && at != std::string::npos; at = manifest.find(key, at + 1)) {
    std::string architecture = manifest.substr(at + key.size(), manifest.find('"', at + key.size()) - at - key.size());
    check(architecture == wanted, "manifest names processorArchitecture \"%s\" in a program for %s",
          architecture.c_str(), wanted);
    ++named;
  }
  check(named == 2, "manifest names the architecture %d times, expected twice (the program, common controls)", named);
}

void checkVersion(const char *path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (!size) {
    check(false, "no version information");
    return;
  }
  std::string block(size, '\0');
  if (!GetFileVersionInfoA(path, 0, size, &block[0])) {
    check(false, "version information cannot be read");
    return;
  }
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length) || !fixed) {
    check(false, "version information has no fixed part");
    return;
  }
  check(fixed->dwSignature == 0xFEEF04BD, "version information: bad signature");
  DWORD wantMs = (TG_VERSION_MAJOR << 16) | TG_VERSION_MINOR;
  DWORD wantLs = static_cast<DWORD>(TG_VERSION_PATCH) << 16;
  check(fixed->dwFileVersionMS == wantMs && fixed->dwFileVersionLS == wantLs,
        "file version %lu.%lu.%lu.%lu, expected %d.%d.%d.0", fixed->dwFileVersionMS >> 16,
        fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF,
        TG_VERSION_MAJOR, TG_VERSION_MINOR, TG_VERSION_PATCH);
  check(fixed->dwFileType == VFT_APP, "file type %lu, expected an application", fixed->dwFileType);
  char *name = nullptr;
  if (VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\OriginalFilename", reinterpret_cast<void **>(&name),
                     &length) &&
      name)
    check(std::strcmp(name, "tarrengard-setup.exe") == 0, "original file name \"%s\"", name);
  else
    check(false, "version information has no OriginalFilename in 040904B0");
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2 && argc != 3) {
    std::printf("usage: %s tarrengard-setup.exe [tarrengard.ico]\n", argv[0]);
    return 2;
  }
  // As data: nothing of the program runs, its resources are only read.
  HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::printf("FAIL: cannot open %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  for (int i = 0; i < DialogTemplateCount; ++i) checkDialog(module, DialogTemplateTable[i]);
  for (int id : {100, 103, 113, 122, 135, 136})
    check(findDialogTemplate(id) != nullptr, "template data has no dialog %d", id);
  checkIcon(module, argc == 3 ? argv[2] : nullptr);
  checkManifest(module, argv[1]);
  FreeLibrary(module);
  checkVersion(argv[1]);

  std::printf("resource check: %d checks, %d failures\n", checks, failures);
  return failures == 0 ? 0 : 1;
}
