// Owners of the Win32 handle kinds, and the one way to load a system library.
#pragma once

#include "VornLib/core/UniqueHandle.h"
#include "VornLib/core/Win32.h"

namespace vorn {

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { RegCloseKey(handle); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { FreeLibrary(handle); }
};
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};

struct AcceleratorTableTraits {
    using Handle = HACCEL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyAcceleratorTable(handle); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using RegistryKeyHandle = UniqueHandle<RegistryKeyTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using LibraryHandle = UniqueHandle<LibraryTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using AcceleratorTable = UniqueHandle<AcceleratorTableTraits>;

// Loads a library of the system folder only: a setup program often starts from
// a downloads folder where anyone can drop a DLL of the same name.
inline LibraryHandle LoadSystemLibrary(const wchar_t* name) {
    return LibraryHandle(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

} // namespace vorn
