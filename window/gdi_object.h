// Owning handles for the window's GDI objects, icons and device contexts.
#pragma once

#include <windows.h>

#include <utility>

namespace zvk {

// A font, brush or bitmap, deleted with its owner.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~GdiObject() { reset(); }

    Handle get() const { return handle_; }
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// An icon loaded for one size, destroyed with its owner.
class OwnedIcon {
public:
    OwnedIcon() = default;
    explicit OwnedIcon(HICON icon) : icon_(icon) {}
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    OwnedIcon& operator=(OwnedIcon&& other) noexcept {
        if (icon_ != nullptr) DestroyIcon(icon_);
        icon_ = std::exchange(other.icon_, nullptr);
        return *this;
    }
    ~OwnedIcon() {
        if (icon_ != nullptr) DestroyIcon(icon_);
    }
    HICON get() const { return icon_; }

private:
    HICON icon_ = nullptr;
};

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
        : dc_(CreateCompatibleDC(compatibleWith)),
          previous_(dc_ != nullptr ? SelectObject(dc_, object) : nullptr) {}
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
