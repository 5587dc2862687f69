#pragma once
// One move-only owner per acquire/release pair. Raw CloseHandle, RegCloseKey, DeleteObject,
// DeleteDC, ReleaseDC, EndPaint, FreeLibrary, GlobalFree and CoTaskMemFree calls live here
// and nowhere else.
#include <windows.h>
#include <objbase.h>
#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : m_value(value) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(UniqueResource&& other) noexcept : m_value(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type Get() const { return m_value; }
    bool IsValid() const { return m_value != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // Frees what is held and takes `value`.
    void Reset(Type value = Traits::Invalid()) {
        if (IsValid()) Traits::Close(m_value);
        m_value = value;
    }
    // Gives up ownership without freeing.
    Type Release() { return std::exchange(m_value, Traits::Invalid()); }
    // Frees what is held, then gives the address for an out parameter.
    Type* Put() {
        Reset();
        return &m_value;
    }

private:
    Type m_value = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
// FindFirstFileW reports failure as INVALID_HANDLE_VALUE, and its handle is closed by FindClose.
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
template <typename Gdi>
struct GdiObjectTraits {
    using Type = Gdi;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::GlobalFree(h); }
};
struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueHKey = UniqueResource<RegKeyTraits>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueRegion = UniqueResource<GdiObjectTraits<HRGN>>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueMemoryDC = UniqueResource<MemoryDcTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueGlobal = UniqueResource<GlobalMemoryTraits>;
using UniqueIcon = UniqueResource<IconTraits>;

// Memory from CoTaskMemAlloc (strings and arrays handed out by COM calls).
template <typename T>
class UniqueCoTaskMem {
public:
    UniqueCoTaskMem() = default;
    ~UniqueCoTaskMem() { Reset(); }
    UniqueCoTaskMem(const UniqueCoTaskMem&) = delete;
    UniqueCoTaskMem& operator=(const UniqueCoTaskMem&) = delete;
    T* Get() const { return m_p; }
    void Reset(T* p = nullptr) {
        if (m_p) ::CoTaskMemFree(m_p);
        m_p = p;
    }
    T** Put() {
        Reset();
        return &m_p;
    }

private:
    T* m_p = nullptr;
};

// A DC from GetDC, given back with ReleaseDC to the same window.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : m_wnd(wnd), m_dc(::GetDC(wnd)) {}
    ~WindowDC() {
        if (m_dc) ::ReleaseDC(m_wnd, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND wnd) : m_wnd(wnd), m_dc(::BeginPaint(wnd, &m_ps)) {}
    ~PaintDC() { ::EndPaint(m_wnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_dc; }
    const PAINTSTRUCT& Info() const { return m_ps; }

private:
    HWND m_wnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// Selects a GDI object into a DC and puts the previous one back on scope exit.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~SelectObjectGuard() {
        if (m_previous && m_previous != HGDI_ERROR) ::SelectObject(m_dc, m_previous);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// CoInitialize for a scope; undone only when it succeeded (S_FALSE counts as success).
class ScopedCoInitialize {
public:
    ScopedCoInitialize() : m_hr(::CoInitialize(nullptr)) {}
    ~ScopedCoInitialize() {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    ScopedCoInitialize(const ScopedCoInitialize&) = delete;
    ScopedCoInitialize& operator=(const ScopedCoInitialize&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};
