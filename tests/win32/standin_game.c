/* Stands in for the game in the Wine tests: copied next to the configurator
 * as vexgame.exe, it records how it was started (its command line, current
 * folder and own path) in vexgame-standin.txt in its current folder, then
 * ends. The test reads that file to know the game really ran, from where,
 * and with no arguments. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
  char folder[MAX_PATH];
  char path[MAX_PATH];
  FILE *marker;
  (void)instance;
  (void)previous;
  (void)show;
  if (!GetCurrentDirectoryA(sizeof folder, folder)) lstrcpyA(folder, "?");
  if (!GetModuleFileNameA(NULL, path, sizeof path)) lstrcpyA(path, "?");
  /* Relative on purpose: the configurator starts us in its own folder. */
  marker = fopen("vexgame-standin.txt", "wb");
  if (!marker) return 2;
  /* The arguments WinMain sees are the command line less the program name. */
  fprintf(marker, "command line: %s\narguments: [%s]\ncurrent folder: %s\nprogram: %s\n", GetCommandLineA(),
          arguments ? arguments : "", folder, path);
  return fclose(marker) == 0 ? 0 : 2;
}
