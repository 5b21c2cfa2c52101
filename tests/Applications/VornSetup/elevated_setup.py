"""The elevated copy of a setup that runs in a Wine prefix (the copy started
with /LaunchedAsAdministrator), found among this machine's processes, for the
end-to-end tests that kill it: elevated_setup.py <prefix> prints its id."""
import os
import sys


def elevated(prefix):
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if b"LaunchedAsAdministrator" in command and f"WINEPREFIX={prefix}".encode() in environment:
            return int(pid)
    return None


if __name__ == "__main__":
    found = elevated(sys.argv[1])
    if found:
        print(found)
