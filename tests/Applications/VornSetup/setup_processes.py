"""The processes of a setup that runs in a Wine prefix (the launcher and the
elevated copy it started, or the setup alone where it installs itself), found
among this machine's processes, for the end-to-end tests that kill a setup as
a power cut would: setup_processes.py <prefix> <program name> prints their
ids, one a line."""
import os
import sys


def setup_processes(prefix, program):
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if program.encode() in command and f"WINEPREFIX={prefix}".encode() in environment:
            found.append(int(pid))
    return sorted(found)


if __name__ == "__main__":
    for pid in setup_processes(sys.argv[1], sys.argv[2]):
        print(pid)
