# Sourced by the scripts that run Windows programs: one private Wine prefix
# under build/, Chinese ANSI code page, no crash dialogs, no menu builder.
VEXA_ROOT=${VEXA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$VEXA_ROOT/build/wineprefix}
# Under ctest, the desktop it gave the test (resource "desktops"): that
# desktop's prefix and X display, as scripts/desktops.sh wrote them.
if [[ ${CTEST_RESOURCE_GROUP_0_DESKTOPS:-} =~ ^id:([a-z]+), ]]; then
  source "$WINEPREFIX-desktops/${BASH_REMATCH[1]}.env"
fi
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# VEXA_WINE_LANG=C.UTF-8 runs a process under code page 1252 instead of 936.
export LANG=${VEXA_WINE_LANG:-zh_CN.UTF-8}
export LC_ALL=$LANG
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

# Writes the prefix's registry settings: a virtual desktop (no 2 s waits on
# hide under Xvfb, real caption bars), no crash dialog, no audio driver (a
# box's beep probed ALSA for minutes while other tests ran beside it), a
# browser that only fetches the URL, and a CJK font for the dialog fonts
# (Micro Hei: Zen Hei Sharp clips the tops of glyphs at 8 pt).
vexa_wine_settings() {
  local browser="$VEXA_ROOT/tests/e2e/fetch-url.sh"
  local face="${VEXA_DIALOG_FONT:-WenQuanYi Micro Hei}"
  local reg="$WINEPREFIX/vexa-settings.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Audio"=""\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]\r\n"Browsers"="%s"\r\n\r\n' "$browser"
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for f in "MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "NSimSun" "宋体" "Tahoma"; do
      printf '"%s"="%s"\r\n' "$f" "$face"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in "MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "NSimSun" "宋体" "Tahoma"; do
      printf '"%s"="%s"\r\n' "$f" "$face"
    done
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
}

# Wine draws the caption buttons (minimise, close) with its Marlett font, but
# this Wine does not load the fonts of its own data directory: without a copy
# in the prefix's Fonts folder the buttons come out as "0 1 r". Idempotent, so
# that prefixes made before this step get the font too. No substitute may
# name Marlett (vexa_wine_settings maps only the dialog fonts).
vexa_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" dir
  [ -f "$fonts/marlett.ttf" ] && return 0
  mkdir -p "$fonts"
  for dir in /usr/share/wine/fonts /usr/lib/wine/fonts /usr/lib/x86_64-linux-gnu/wine/fonts \
             /usr/local/share/wine/fonts; do
    if [ -f "$dir/marlett.ttf" ]; then
      cp "$dir/marlett.ttf" "$fonts/marlett.ttf"
      return 0
    fi
  done
  echo "wine: no marlett.ttf found; caption buttons will show letters" >&2
}

# Creates the prefix once; later calls find it ready. Serialised with a lock
# so that parallel test processes do not boot it twice.
vexa_wine_prepare() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.vexa-ready" ]; then
      echo "wine: creating prefix $WINEPREFIX" >&2
      wine wineboot -i >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.vexa-ready"
    fi
    # Settings are written again when they change (bump the number), so an
    # older prefix takes them too.
    if [ ! -f "$WINEPREFIX/.vexa-settings-2" ]; then
      vexa_wine_settings
      wineserver -w
      touch "$WINEPREFIX/.vexa-settings-2"
    fi
    vexa_wine_fonts
  ) 9>"$WINEPREFIX.lock"
}

# One persistent wineserver for a whole run, detached so that it does not
# hold the pipes of whoever started it.
vexa_wineserver_start() {
  setsid wineserver -p </dev/null >/dev/null 2>&1 &
  # wait until it answers
  for _ in $(seq 50); do
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 && return 0
    sleep 0.2
  done
}

# Starts tools/desktop_keeper (its path given) detached from every pipe and
# waits until the desktop's explorer runs: otherwise the first test's own
# process starts that explorer, which keeps the test's output pipe open.
vexa_desktop_keeper_start() {
  [ -f "$1" ] || { echo "wine: no desktop keeper at $1" >&2; return 1; }
  local before
  before=$(pgrep -fc 'explorer.exe /desktop' || true)  # another prefix's
  setsid wine "$1" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do
    [ "$(pgrep -fc 'explorer.exe /desktop')" -gt "$before" ] && return 0
    sleep 0.1
  done
  echo "wine: the desktop's explorer did not start" >&2
  return 1
}

vexa_wineserver_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display unless one is given; sets DISPLAY and
# VEXA_XVFB_PID.
vexa_xvfb_start() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${VEXA_FORCE_XVFB:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    VEXA_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      sleep 0.1
    done
  done
  echo "xvfb: could not start" >&2
  return 1
}

vexa_xvfb_stop() {
  if [ -n "${VEXA_XVFB_PID:-}" ]; then
    kill "$VEXA_XVFB_PID" 2>/dev/null || true
    wait "$VEXA_XVFB_PID" 2>/dev/null || true
    VEXA_XVFB_PID=
  fi
}
