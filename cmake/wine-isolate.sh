#!/bin/sh
# wine-isolate.sh <prefix>
# Wine links the user's Desktop, Documents and other folders to the Linux home
# folder; tests and demonstrations must not write there. Each link becomes a
# real folder inside the prefix.
set -eu
for link in "$1"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir -p "$link"
  fi
done
