#!/bin/sh
# check-layers.sh <source folder>
# Fails when a file includes a header of a layer above its own, or of a
# sibling layer, or when a framework target links one above it. The layers,
# bottom-up: core (text, XML, the stream interface), data, core/platform (the
# shared Win32 helpers), then telemetry and gui side by side, then app, then
# each application and tool on its own.
set -eu
root="$1"
cd "$root"

# The layer of a path below the source folder: "rank name"; nothing outside the layers.
layer_of() {
  case "$1" in
    VornLib/core/platform/*) echo "2 platform" ;;
    VornLib/core/*) echo "0 core" ;;
    VornLib/data/*) echo "1 data" ;;
    VornLib/telemetry/*) echo "3 telemetry" ;;
    VornLib/gui/*) echo "3 gui" ;;
    VornLib/app/*) echo "4 app" ;;
    Applications/*/* | Tools/*/*) echo "5 $(echo "$1" | cut -d/ -f1-2)" ;;
  esac
}

status=0
checked=0
list="$(mktemp)"
find VornLib Applications Tools -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) | sort > "$list"
while IFS= read -r file; do
  set -- $(layer_of "$file")
  [ $# -eq 2 ] || continue
  rank="$1" name="$2"
  checked=$((checked + 1))
  grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | while IFS= read -r line; do
    target="$(echo "$line" | sed -E 's/^[0-9]+:[^"]*"([^"]*)".*/\1/')"
    set -- $(layer_of "$target")
    [ $# -eq 2 ] || continue
    if [ "$2" != "$name" ] && [ "$1" -ge "$rank" ]; then
      echo "$file:${line%%:*}: $name includes $target of $2, which is not below it"
      echo bad >> "$list.bad"
    fi
  done
done < "$list"

# Targets link downwards only.
target_rank() {
  case "$1" in
    VornCore) echo 0 ;; VornData) echo 1 ;; VornPlatform) echo 2 ;;
    VornTelemetry | VornGui) echo 3 ;; VornApp) echo 4 ;;
  esac
}
for cmake in $(find VornLib -name CMakeLists.txt | sort); do
  # One call a line, whatever its wrapping.
  tr '\n' ' ' < "$cmake" | grep -o 'target_link_libraries([^)]*)' | while IFS= read -r call; do
    set -- $(echo "$call" | sed -e 's/target_link_libraries(//' -e 's/)//')
    from="$1"
    shift
    from_rank="$(target_rank "$from")"
    [ -n "$from_rank" ] || continue
    for to in "$@"; do
      to_rank="$(target_rank "$to")"
      [ -n "$to_rank" ] || continue
      if [ "$to" != "$from" ] && [ "$to_rank" -ge "$from_rank" ]; then
        echo "$cmake: $from links $to, which is not below it"
        echo bad >> "$list.bad"
      fi
    done
  done
done

[ -f "$list.bad" ] && status=1
rm -f "$list" "$list.bad"
[ "$checked" -gt 0 ] || { echo "no sources under $root"; exit 1; }
echo "$checked files checked"
exit $status
