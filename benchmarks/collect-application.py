#!/usr/bin/env python3
"""Copies an application of about <megabytes> MiB made of real files that
Debian ships into <folder>, the same files every time: large Windows DLLs
(the mingw-w64 runtimes of GCC, 64-bit first, then 32-bit, the win32 thread
model before the posix one, whose DLLs are partly the same files) for about
nine tenths, then many small text files (time zones, message catalogues).
The installation benchmarks take it beside the generated application.

With the kind "executables", the DLLs are instead Wine's own 64-bit PE
libraries of 1 to 20 MB each, every one a different program: a product that
ships many large executables of its own, where the mingw-w64 runtimes repeat
each other.

    collect-application.py <folder> <megabytes> [debian|executables]
"""
import glob, os, shutil, sys

root, total = sys.argv[1], int(sys.argv[2]) << 20
kind = sys.argv[3] if len(sys.argv) > 3 else "debian"
done = 0


def take(source, relative):
    global done
    target = os.path.join(root, relative)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copyfile(source, target)
    done += os.path.getsize(source)


dlls = []
wine = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"
if kind == "executables":
    dlls = [(path, f"bin/{os.path.basename(path)}") for path in sorted(glob.glob(f"{wine}/*.dll"))
            if 1 << 20 <= os.path.getsize(path) <= 20 << 20]
    if not dlls:
        sys.exit(f"no 64-bit PE DLLs of Wine in {wine} (Debian package wine64)")
for arch in ("x86_64", "i686") if kind == "debian" else ():
    for threads in ("win32", "posix"):
        folder = f"/usr/lib/gcc/{arch}-w64-mingw32/12-{threads}"
        dlls += [(path, f"bin/{arch}-{threads}/{os.path.relpath(path, folder)}")
                 for path in sorted(glob.glob(f"{folder}/**/*.dll", recursive=True))]
if not dlls:
    sys.exit("no mingw-w64 DLLs under /usr/lib/gcc (Debian packages gcc-mingw-w64-*)")
for source, relative in dlls:
    if done + os.path.getsize(source) <= total * 92 // 100:
        take(source, relative)

texts = [(path, "share/zoneinfo/" + os.path.relpath(path, "/usr/share/zoneinfo"))
         for path in sorted(glob.glob("/usr/share/zoneinfo/**/*", recursive=True))
         if os.path.isfile(path) and not os.path.islink(path)]
texts += [(path, "share/locale/" + os.path.relpath(path, "/usr/share/locale"))
          for path in sorted(glob.glob("/usr/share/locale/*/LC_MESSAGES/*.mo"))
          if os.path.getsize(path) <= 64 << 10]
for source, relative in texts:
    if done + os.path.getsize(source) > total:
        break
    take(source, relative)
