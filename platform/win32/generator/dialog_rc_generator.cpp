/* Turns the program's dialog template table (platform/resources.h) into a
 * resource script of DIALOGEX statements, so the Windows program carries the
 * very same templates every other backend renders. Built for and run on the
 * build machine, with the program's tables linked in; usage:
 * dialog-rc-generator OUTPUT.rc */
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/resources.h"

namespace {

// Resource-compiler string literal: quotes are doubled and backslashes
// escaped, because windres and rc both read C-style escapes in strings.
std::string quoted(const char *text) {
  std::string out = "\"";
  for (const char *p = text ? text : ""; *p; ++p) {
    if (*p == '"')
      out += "\"\"";
    else if (*p == '\\')
      out += "\\\\";
    else
      out += *p;
  }
  out += '"';
  return out;
}

// The resource compilers start every CONTROL style at WS_CHILD | WS_VISIBLE
// and OR the given bits in; anything the template leaves out of those two
// must be taken away again with NOT to keep the style word exact.
std::string controlStyle(uint32_t style) {
  const uint32_t implied = 0x40000000u /* WS_CHILD */ | 0x10000000u /* WS_VISIBLE */;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(style));
  std::string out = buffer;
  if (uint32_t missing = implied & ~style) {
    std::snprintf(buffer, sizeof buffer, " | NOT 0x%08lX", static_cast<unsigned long>(missing));
    out += buffer;
  }
  return out;
}

void writeDialog(std::FILE *out, const DialogTemplateData &dialog) {
  std::fprintf(out, "%d DIALOGEX %d, %d, %d, %d\n", dialog.id, dialog.x, dialog.y, dialog.cx, dialog.cy);
  std::fprintf(out, "STYLE 0x%08lX\n", static_cast<unsigned long>(dialog.style));
  std::fprintf(out, "CAPTION %s\n", quoted(dialog.caption).c_str());
  // Weight 0, not italic, default character set, as Visual Studio writes it.
  std::fprintf(out, "FONT %d, %s, 0, 0, 1\n", dialog.pointSize, quoted(dialog.fontName).c_str());
  std::fprintf(out, "BEGIN\n");
  for (int i = 0; i < dialog.controlCount; ++i) {
    const DialogControlTemplate &control = dialog.controls[i];
    std::fprintf(out, "  CONTROL %s, %d, %s, %s, %d, %d, %d, %d\n", quoted(control.text).c_str(), control.id,
                 quoted(control.className).c_str(), controlStyle(control.style).c_str(), control.x, control.y,
                 control.cx, control.cy);
  }
  std::fprintf(out, "END\n\n");
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.rc\n", argv[0]);
    return 2;
  }
  // Written to a temporary name first so that a failed run never leaves a
  // half script behind for the next incremental build to pick up.
  std::string temporary = std::string(argv[1]) + ".tmp";
  std::FILE *out = std::fopen(temporary.c_str(), "w");
  if (!out) {
    std::perror(temporary.c_str());
    return 1;
  }
  std::fprintf(out, "// Generated from the dialog template table by dialog-rc-generator; do not edit.\n\n");
  for (int i = 0; i < DialogTemplateCount; ++i) writeDialog(out, DialogTemplateTable[i]);
  // rename does not replace an existing file everywhere.
  std::remove(argv[1]);
  if (std::fclose(out) != 0 || std::rename(temporary.c_str(), argv[1]) != 0) {
    std::perror(argv[1]);
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
