#!/bin/bash
# Sourced by the end-to-end scripts: readers of a Wine prefix's registry.
# A value's data as reg prints it; nothing for a value it did not find. Read
# again once when Wine itself failed to run the query (see reg_listing).
reg_value() { # prefix key value
  local listing code attempt
  for attempt in 1 2; do
    listing="$(WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$2" /v "$3" 2>/dev/null </dev/null)"; code=$?
    [ "$code" -le 1 ] && break
    echo "  (reg query $2 /v $3, reading $attempt, ended with $code)" >&2
  done
  tr -d '\r' <<<"$listing" | sed -n "s/^ *$3 *REG_[A-Z_]* *//p"
}
# Writes a value as `reg add <key> <arguments> /f` does; written again once
# when that failed (a loaded machine's Wine may fail to start the query's
# process; the same value written twice is one value), saying so. Fails when
# both failed.
reg_set() { # prefix key [reg add arguments...]
  local attempt said code
  said="$(mktemp)"
  for attempt in 1 2; do
    WINEPREFIX="$1" /usr/lib/wine/wine64 reg add "${@:2}" /f >/dev/null 2>"$said" </dev/null; code=$?
    [ "$code" -eq 0 ] && break
    echo "  (reg add $2, writing $attempt, ended with $code: $(head -1 "$said"))" >&2
  done
  rm -f "$said"
  return "$code"
}
# Absence as a finding: the nearest key at or above it that exists was
# listed, and the value or key is not in that listing. A query that could not
# run (Wine failing, no prefix there) is no proof of absence.
# A query is read again once when Wine itself failed to run it (neither found
# nor not found), and says so: a reading may be repeated, a program's run not.
reg_listing() { # prefix key
  [ -f "$1/system.reg" ] || return 2
  local listing code attempt said
  said="$(mktemp)"
  for attempt in 1 2; do
    listing="$(WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$2" 2>"$said" </dev/null)"; code=$?
    [ "$code" -le 1 ] && break
    echo "  (reg query $2, reading $attempt, ended with $code: $(head -1 "$said"))" >&2
  done
  rm -f "$said"
  [ "$code" -eq 0 ] && tr -d '\r' <<<"$listing"
  return "$code"
}
reg_absent() { # prefix key [value]
  local key="$2" name="${3:-}" kind=value listing
  while :; do
    listing="$(reg_listing "$1" "$key")"
    case $? in
      0) break ;;
      1) ;; # not found: the key above must not list it
      *) return 1 ;;
    esac
    [ "$key" = "${key%\\*}" ] && return 1
    name="${key##*\\}"; kind=key; key="${key%\\*}"
  done
  [ -n "$name" ] || return 1
  awk -v name="$name" -v kind="$kind" 'BEGIN { name = tolower(name) }
    kind == "value" && /^    / { sub(/^    /, ""); split($0, part, "    "); if (tolower(part[1]) == name) found = 1 }
    kind == "key" && /^HKEY_/ { n = split($0, part, "\\"); if (tolower(part[n]) == name) found = 1 }
    END { exit found }' <<<"$listing"
}
