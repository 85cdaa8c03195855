// Owning handles for the window's GDI objects, icons and device contexts.
#pragma once

#include <windows.h>

#include <utility>

namespace zvk {

// A handle that its owner frees with `Free` when it goes or takes another.
template <class Handle, class Free>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~Owned() { reset(); }

    Handle get() const { return handle_; }
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) Free{}(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

// A font, brush or bitmap.
template <class Handle>
using GdiObject = Owned<Handle, DeleteGdiObject>;
// An icon loaded for one size.
using OwnedIcon = Owned<HICON, DestroyIconHandle>;

// BeginPaint .. EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &paint_); }
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A memory DC with one object selected into it, put back and freed in reverse order.
class MemoryDcWith {
public:
    MemoryDcWith(HDC compatibleWith, HGDIOBJ object)
        : dc_(CreateCompatibleDC(compatibleWith)), previous_(dc_ != nullptr ? SelectObject(dc_, object) : nullptr) {}
    MemoryDcWith(const MemoryDcWith&) = delete;
    MemoryDcWith& operator=(const MemoryDcWith&) = delete;
    ~MemoryDcWith() {
        if (dc_ == nullptr) return;
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GetDC .. ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    HDC dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace zvk
