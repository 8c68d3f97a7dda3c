/* Stands in for the game in the Windows scenario tests: copied into a test's
 * folder as vexgame.exe, it records how it was started, in the form the
 * tests read (count=, args=, folder=, pid=, one per line), then ends. It
 * writes the record where the note "<its own path>.record-path" says, else to
 * vexgame-standin.record in its current folder; first under another name and
 * then renamed, so a test never reads half a record. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
  char folder[MAX_PATH] = "?";
  char own[MAX_PATH] = "";
  char note[MAX_PATH + 16];
  char record[MAX_PATH] = "vexgame-standin.record";
  char part[MAX_PATH + 8];
  FILE *file;
  int i;
  (void)instance;
  (void)previous;
  (void)arguments;
  (void)show;
  GetCurrentDirectoryA(sizeof folder, folder);
  GetModuleFileNameA(NULL, own, sizeof own);
  snprintf(note, sizeof note, "%s.record-path", own);
  file = fopen(note, "rb");
  if (file) {
    size_t length = fread(record, 1, sizeof record - 1, file);
    record[length] = '\0';
    fclose(file);
  }
  snprintf(part, sizeof part, "%s.part", record);
  file = fopen(part, "wb");
  if (!file) return 2;
  /* The C runtime splits the command line as every program sees it. */
  fprintf(file, "count=%d\nargs=", __argc - 1);
  for (i = 1; i < __argc; ++i) fprintf(file, i > 1 ? " %s" : "%s", __argv[i]);
  fprintf(file, "\nfolder=%s\npid=%lu\nprogram=%s\n", folder, (unsigned long)GetCurrentProcessId(), own);
  if (fclose(file) != 0) return 2;
  return MoveFileExA(part, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 2;
}
