// One move-only owner for every kind of platform handle. Each kind contributes
// a tiny traits struct naming its handle type, its invalid value and its close
// function; no class writes its own destructor for a handle.
#pragma once

namespace vorn {

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    bool isValid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return isValid(); }

    // Hands the handle away: the caller closes it from now on.
    Handle release() {
        Handle handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    // Closes the current handle (if any) and takes the new one.
    void reset(Handle handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid())
            Traits::Close(handle_);
        handle_ = handle;
    }
    // For APIs that return a handle through an out parameter.
    Handle* receive() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

} // namespace vorn
