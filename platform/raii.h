// Ownership of Win32 handles. A handle leaked inside a printer driver lives as
// long as the spooler, so nothing here is released by hand.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <utility>

template <typename T, typename Traits>
class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(T v) noexcept : value_(v) {}
    unique_any(const unique_any &) = delete;
    unique_any &operator=(const unique_any &) = delete;
    unique_any(unique_any &&other) noexcept : value_(other.release()) {}
    unique_any &operator=(unique_any &&other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::IsValid(value_); }
    T release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(T v = Traits::Invalid()) noexcept {
        T old = std::exchange(value_, v);
        if (Traits::IsValid(old)) Traits::Close(old);
    }
    // For out-parameters: releases what is held and hands out the slot.
    T *put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::Invalid();
};

template <typename T, auto CloseFn, T InvalidValue = T{}>
struct handle_traits {
    static constexpr T Invalid() { return InvalidValue; }
    static bool IsValid(T v) { return v != InvalidValue; }
    static void Close(T v) { CloseFn(v); }
};

struct file_handle_traits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct actctx_traits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { ReleaseActCtx(h); }
};

inline void CloseGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void CloseRegKey(HKEY k) { RegCloseKey(k); }
inline void CloseModule(HMODULE m) { FreeLibrary(m); }
inline void CloseHandleFn(HANDLE h) { CloseHandle(h); }
inline void FreeGlobal(void *p) { HeapFree(GetProcessHeap(), 0, p); }
inline void DeleteDcFn(HDC dc) { DeleteDC(dc); }

using unique_hkey = unique_any<HKEY, handle_traits<HKEY, CloseRegKey>>;
using unique_hfont = unique_any<HFONT, handle_traits<HFONT, CloseGdiObject>>;
using unique_hpen = unique_any<HPEN, handle_traits<HPEN, CloseGdiObject>>;
using unique_hbrush = unique_any<HBRUSH, handle_traits<HBRUSH, CloseGdiObject>>;
using unique_hbitmap = unique_any<HBITMAP, handle_traits<HBITMAP, CloseGdiObject>>;
using unique_hrgn = unique_any<HRGN, handle_traits<HRGN, CloseGdiObject>>;
using unique_hdc = unique_any<HDC, handle_traits<HDC, DeleteDcFn>>;
using unique_hmodule = unique_any<HMODULE, handle_traits<HMODULE, CloseModule>>;
using unique_handle = unique_any<HANDLE, handle_traits<HANDLE, CloseHandleFn>>;
using unique_hfile = unique_any<HANDLE, file_handle_traits>;
using unique_actctx = unique_any<HANDLE, actctx_traits>;
using unique_process_heap_ptr = unique_any<void *, handle_traits<void *, FreeGlobal>>;

inline void ClosePrinterFn(HANDLE h) { ClosePrinter(h); }
using unique_hprinter = unique_any<HANDLE, handle_traits<HANDLE, ClosePrinterFn>>;

inline void FreeBstr(BSTR s) { SysFreeString(s); }
using unique_bstr = unique_any<BSTR, handle_traits<BSTR, FreeBstr>>;

// A VARIANT cleared when it leaves scope, whatever it came to hold.
class unique_variant {
public:
    unique_variant() noexcept { VariantInit(&value_); }
    unique_variant(const unique_variant &) = delete;
    unique_variant &operator=(const unique_variant &) = delete;
    ~unique_variant() { VariantClear(&value_); }
    const VARIANT &get() const noexcept { return value_; }
    VARIANT *put() noexcept {
        VariantClear(&value_);
        return &value_;
    }
    // Holds a copy of `text` as a BSTR; false (holding a null BSTR) when it
    // could not be allocated.
    bool put_bstr(const wchar_t *text) noexcept {
        VARIANT *v = put();
        v->vt = VT_BSTR;
        v->bstrVal = SysAllocString(text);
        return v->bstrVal != nullptr;
    }

private:
    VARIANT value_;
};

// One reference to a COM object, released when it leaves scope.
template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(const com_ptr &) = delete;
    com_ptr &operator=(const com_ptr &) = delete;
    com_ptr(com_ptr &&other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    com_ptr &operator=(com_ptr &&other) noexcept {
        if (this != &other) reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~com_ptr() { reset(); }
    T *get() const noexcept { return p_; }
    T *operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // Takes over a reference the caller already owns.
    void reset(T *p = nullptr) noexcept {
        T *old = std::exchange(p_, p);
        if (old) old->Release();
    }
    T **put() noexcept {
        reset();
        return &p_;
    }
    void **put_void() noexcept { return reinterpret_cast<void **>(put()); }

private:
    T *p_ = nullptr;
};

// Puts the previously selected GDI object back when it leaves scope.
class select_object_guard {
public:
    select_object_guard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), prev_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
    select_object_guard(const select_object_guard &) = delete;
    select_object_guard &operator=(const select_object_guard &) = delete;
    ~select_object_guard() {
        if (dc_ && prev_ && prev_ != HGDI_ERROR) SelectObject(dc_, prev_);
    }
    bool ok() const noexcept { return prev_ && prev_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ prev_;
};

// Runs a one-off cleanup at scope exit.
template <typename F>
class scope_exit_t {
public:
    explicit scope_exit_t(F f) noexcept : f_(std::move(f)) {}
    scope_exit_t(const scope_exit_t &) = delete;
    scope_exit_t &operator=(const scope_exit_t &) = delete;
    ~scope_exit_t() {
        if (armed_) f_();
    }
    void release() noexcept { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

template <typename F>
scope_exit_t<F> scope_exit(F f) noexcept {
    return scope_exit_t<F>(std::move(f));
}

#define RETURN_IF_FAILED(expr)          \
    do {                                \
        HRESULT hr_ = (expr);           \
        if (FAILED(hr_)) return hr_;    \
    } while (0)

#define RETURN_HR_IF(hr, cond)          \
    do {                                \
        if (cond) return (hr);          \
    } while (0)
