// Helpers shared by the XML tests: parsing a literal, and running a function
// on a thread with the 64 KiB stack that the installer's transfer worker has.
#pragma once

#include <cstring>
#include <functional>

#include "VornLib/core/XmlDocument.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#else
#include <pthread.h>
#endif

namespace vorn {

inline Result ParseText(XmlDocument& document, const char* text) {
    return document.parse(text, uint32_t(std::strlen(text)), u"test");
}

inline bool RunOnSmallStack(const std::function<void()>& work) {
    constexpr size_t kStack = 64 * 1024;
    struct Call {
        static
#ifdef _WIN32
            DWORD WINAPI
#else
            void*
#endif
            Run(void* argument) {
            (*static_cast<const std::function<void()>*>(argument))();
            return 0;
        }
    };
    void* argument = const_cast<std::function<void()>*>(&work);
#ifdef _WIN32
    HANDLE thread = CreateThread(nullptr, kStack, Call::Run, argument,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread)
        return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
#else
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStack);
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, Call::Run, argument) == 0;
    pthread_attr_destroy(&attributes);
    if (started)
        pthread_join(thread, nullptr);
    return started;
#endif
}

} // namespace vorn
