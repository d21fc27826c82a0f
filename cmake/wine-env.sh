# Sourced by the scripts that run Wine: one prefix per build tree, no console noise,
# no Mono/Gecko prompts, and the null display driver so windows work without X.
: "${VM_WINEPREFIX:=${VM_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/windows}/wineprefix}"
export WINEPREFIX="$VM_WINEPREFIX"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

vm_wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/.vm-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    if [ -z "${VM_WINE_DISPLAY:-}" ]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      wineserver -w
    fi
    touch "$WINEPREFIX/.vm-ready"
  fi
  # Debian's Wine does not find the fonts of fonts-wine (Marlett draws the caption buttons,
  # without it they show as "0 1 r"); fonts in the prefix's own folder are always loaded.
  if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
}

# The prefix made, a persistent wineserver (so that each program does not wait for one to
# linger after it) and Wine's own start-up done once. A server left running for this
# prefix (a manual run) is reused. The caller stops it with "wineserver -k".
vm_wine_server_start() {
  vm_wine_prefix_ready
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
