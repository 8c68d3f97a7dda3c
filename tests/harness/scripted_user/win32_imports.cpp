/* Replacing an import of the running program (win32_imports.h): the import
 * table's slots that hold the system function's address are pointed at the
 * replacement. The program is linked statically, so its own code and every
 * library in it call the system through these slots.
 */
#include "tests/harness/scripted_user/win32_imports.h"

FARPROC replaceImportAddress(const char *dll, const char *function, FARPROC replacement) {
  HMODULE system = GetModuleHandleA(dll);
  FARPROC original = system ? GetProcAddress(system, function) : nullptr;
  if (!original) return nullptr;
  auto *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return nullptr;
  bool replaced = false;
  for (auto *entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); entry->Name; ++entry) {
    for (auto *slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk); slot->u1.Function; ++slot) {
      if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(original)) continue;
      DWORD protection;
      if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection)) continue;
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
      replaced = true;
    }
  }
  return replaced ? original : nullptr;
}
