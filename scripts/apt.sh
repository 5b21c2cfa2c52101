# Sourced: installing Debian packages when, and only when, some are missing.
# A package index that fails to download (a mirror mid-sync) is retried; if it
# still fails, whatever the indexes already known can give is installed, and
# only what cannot be had stops the script, by name.

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# True when the package (name or name:arch) is installed.
apt_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

apt_update() {
  local try
  for try in 1 2 3; do
    if sudo_if_needed apt-get update -qq; then return 0; fi
    echo "apt: the package index did not download whole (try $try of 3)" >&2
    [ "$try" -lt 3 ] && sleep $((try * 5))
  done
  echo "apt: going on with the indexes that did download" >&2
  return 0
}

apt_install_missing() { # packages...
  local missing=() p
  for p in "$@"; do apt_installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "apt: installing ${missing[*]}"
  apt_update
  if ! DEBIAN_FRONTEND=noninteractive sudo_if_needed \
      apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    local absent=()
    for p in "${missing[@]}"; do
      DEBIAN_FRONTEND=noninteractive sudo_if_needed \
        apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 || absent+=("$p")
    done
    if [ ${#absent[@]} -gt 0 ]; then
      echo "apt: could not install ${absent[*]}: not in the package indexes this machine could read" >&2
      return 1
    fi
  fi
}
