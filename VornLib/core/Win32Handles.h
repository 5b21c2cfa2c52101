// Owners of the Win32 handle kinds: one traits struct a kind, all of them
// owned by UniqueHandle; COM interfaces by ComPointer, the same owner with
// the interface's arrow.
#pragma once

#include "VornLib/core/UniqueHandle.h"
#include "VornLib/core/Win32.h"

namespace vorn {

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseServiceHandle(handle); }
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
struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyMenu(handle); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyIcon(handle); }
};
// Memory of `Item`s that the shell hands out (item lists of folders). Its
// users include <objbase.h>, which declares CoTaskMemFree; this header stays
// clear of it, whose global UUID would clash with the framework's.
template <typename Item> struct TaskMemoryTraits {
    using Handle = Item*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle memory) { CoTaskMemFree(memory); }
};
template <typename Interface> struct ComTraits {
    using Handle = Interface*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle pointer) { pointer->Release(); }
};
// A window destroyed by its owner; a window procedure that sees WM_NCDESTROY
// releases it, as the system has destroyed it already.
struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyWindow(handle); }
};

// Memory the system allocated for the caller with LocalAlloc (security
// descriptors, formatted messages).
struct LocalMemoryTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { LocalFree(handle); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// A service control manager's or a service's.
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;
using RegistryKeyHandle = UniqueHandle<RegistryKeyTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using LibraryHandle = UniqueHandle<LibraryTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using AcceleratorTable = UniqueHandle<AcceleratorTableTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using IconHandle = UniqueHandle<IconTraits>;
template <typename Item> using TaskMemory = UniqueHandle<TaskMemoryTraits<Item>>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

// A COM interface pointer, released on every path.
template <typename Interface> class ComPointer : public UniqueHandle<ComTraits<Interface>> {
public:
    using UniqueHandle<ComTraits<Interface>>::UniqueHandle;
    Interface* operator->() const { return this->get(); }
    // For CoCreateInstance and QueryInterface, which answer through void**.
    void** receiveInterface() { return reinterpret_cast<void**>(this->receive()); }
};

} // namespace vorn
