# Wine for the scripts that run the Windows build (test.d/50-windows,
# test.d/55-windows-keyboard, screenshots). Sourced, not run.

# tg_wine64_loader: prints wine64's own loader, which runs 64-bit programs
# where 32-bit ones (Debian's wine is one) cannot run. It is not on PATH.
tg_wine64_loader() {
  local loader
  for loader in $(dpkg -L wine64 2>/dev/null | grep '/wine64$') /usr/lib/wine/wine64; do
    [ -x "$loader" ] && { echo "$loader"; return 0; }
  done
  return 1
}

# tg_wine_prefix FOLDER LOADER: a fresh prefix in FOLDER/prefix for LOADER,
# exported as WINEPREFIX, with a wineserver that stays until tg_wine_stop.
# The X server must be up (DISPLAY).
tg_wine_prefix() {
  export WINEPREFIX="$1/prefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers waiting for a click
  timeout 180 "$2" wineboot -i >"$1/wineboot.log" 2>&1 || { tail -20 "$1/wineboot.log" >&2; return 1; }
  # Debian's wineserver leaves with its last program, and every start would
  # set up the prefix's services again: one that stays.
  timeout 60 wineserver -w
  timeout 20 wineserver -p || return 1
  # Debian's Wine does not find its own fonts in a new prefix.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # Without a window manager, managed windows get no caption and stall on close.
  timeout 60 "$2" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# tg_wine_stop FOLDER: ends the prefix's wineserver.
tg_wine_stop() {
  [ -d "$1/prefix" ] && command -v wineserver >/dev/null && WINEPREFIX="$1/prefix" timeout 20 wineserver -k 2>/dev/null
  return 0
}

# tg_runs_32bit FOLDER: whether this kernel runs 32-bit programs (Debian's
# wine loader is one, and some kernels run none): a static 32-bit program
# that only exits, built in FOLDER, tells.
tg_runs_32bit() {
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  xorl %%ebx, %%ebx\n  int $0x80\n' >"$1/exit32.s"
  as --32 -o "$1/exit32.o" "$1/exit32.s" 2>/dev/null && ld -m elf_i386 -o "$1/exit32" "$1/exit32.o" \
    2>/dev/null && timeout 10 "$1/exit32" 2>/dev/null
}

# tg_wine_choose FOLDER: which Windows builds run here and on which loader.
# Where 32-bit programs run and Debian's wine (with wine32) starts, both
# builds on it, the i686 one first: the one players run. Else the x86_64
# build alone on wine64's own loader, with a 64-bit prefix (WINEARCH=win64,
# exported); TG_WINE_64BIT_ONLY=1 takes that path on any machine. Sets WINE
# and TG_WINE_BUILDS; fails when no loader is found. FOLDER is for the test
# program of tg_runs_32bit.
tg_wine_choose() {
  if [ "${TG_WINE_64BIT_ONLY:-0}" != 1 ] && tg_runs_32bit "$1" && timeout 30 wine --version >/dev/null 2>&1; then
    WINE=wine TG_WINE_BUILDS=(i686 x86_64)
    return 0
  fi
  WINE=$(tg_wine64_loader) || return 1
  TG_WINE_BUILDS=(x86_64)
  export WINEARCH=win64
}
