# Shared by the scripts: paths, building a preset, and a private X display.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VORN_JOBS:-$(nproc)}"

build_preset() { # preset [targets...]
  local preset="$1"; shift
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" -j "$jobs" --target "$@"
  else
    cmake --build --preset "$preset" -j "$jobs"
  fi
}

# Starts Xvfb on a free display (other programs may hold :0, :1, ...) and
# exports DISPLAY; the server ends with the script.
start_xvfb() {
  [ -n "${VORN_XVFB_PID:-}" ] && return
  local fifo; fifo="$(mktemp -u)"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  VORN_XVFB_PID=$!
  local number; read -r number <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$number"
  trap 'kill "$VORN_XVFB_PID" 2>/dev/null || true' EXIT
}

# Wine runs 32-bit programs only where the kernel executes 32-bit code; some
# virtual machines cannot. There the same sources are tested as 64-bit programs.
can_run_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
wine_test_preset() { if can_run_32bit; then echo win32; else echo win64; fi; }
