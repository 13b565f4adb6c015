#pragma once
// Owners for the handles the program holds: each closes its handle in the
// way the system asks for it, exactly once.
#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace vexa {

template <typename Traits>
class ScopedHandleT {
 public:
  using Handle = typename Traits::Handle;
  ScopedHandleT() = default;
  explicit ScopedHandleT(Handle h) : h_(h) {}
  ~ScopedHandleT() { Reset(); }
  ScopedHandleT(ScopedHandleT&& other) noexcept : h_(other.Release()) {}
  ScopedHandleT& operator=(ScopedHandleT&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedHandleT(const ScopedHandleT&) = delete;
  ScopedHandleT& operator=(const ScopedHandleT&) = delete;

  Handle Get() const { return h_; }
  explicit operator bool() const { return Traits::IsValid(h_); }
  Handle Release() { return std::exchange(h_, Traits::Invalid()); }
  void Reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = h;
  }
  // Closes now and says whether the system did: closing a written file can
  // report a failed write. Only for traits whose Close returns the result.
  bool Close() { return !Traits::IsValid(h_) || Traits::Close(Release()); }
  // For calls that return a handle through an out parameter.
  Handle* Receive() {
    Reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct KernelHandleTraits {  // files use INVALID_HANDLE_VALUE, the rest null
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return CloseHandle(h) != FALSE; }
};
using ScopedHandle = ScopedHandleT<KernelHandleTraits>;

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
template <typename T>
using ScopedGdiObject = ScopedHandleT<GdiObjectTraits<T>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;

struct IconTraits {  // only for icons and cursors of our own (CopyIcon, CreateIcon...)
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};
using ScopedIcon = ScopedHandleT<IconTraits>;

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
using ScopedRegKey = ScopedHandleT<RegKeyTraits>;

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
using ScopedModule = ScopedHandleT<ModuleTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  // cppcheck's windows.cfg defines INVALID_HANDLE_VALUE as 0.
  // cppcheck-suppress knownConditionTrueFalse
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { FindClose(h); }
};
using ScopedFindHandle = ScopedHandleT<FindHandleTraits>;

struct MappedViewTraits {  // MapViewOfFile's views
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { UnmapViewOfFile(h); }
};
using ScopedMappedView = ScopedHandleT<MappedViewTraits>;

// A critical section for its owner's lifetime; Lock holds it for a scope.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  class Lock {
   public:
    explicit Lock(CriticalSection& owner) : section_(&owner.section_) {
      EnterCriticalSection(section_);
    }
    ~Lock() { LeaveCriticalSection(section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    CRITICAL_SECTION* section_;
  };

 private:
  CRITICAL_SECTION section_;
};

// A window's device context from GetDC, released to that window.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedGetDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a device context and puts the old one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelectObject() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A COM interface pointer, released once.
template <typename T>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  explicit ScopedComPtr(T* p) : p_(p) {}
  ~ScopedComPtr() { Reset(); }
  ScopedComPtr(ScopedComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ScopedComPtr& operator=(ScopedComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Receive() {
    Reset();
    return &p_;
  }
  // QueryInterface into another owner; false when the object lacks it.
  template <typename U>
  bool As(ScopedComPtr<U>* out) const {
    return p_ && SUCCEEDED(p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(out->Receive())));
  }

 private:
  T* p_ = nullptr;
};

// COM for the thread, released at scope end when the call succeeded.
class ScopedCoInitialize {
 public:
  ScopedCoInitialize() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedCoInitialize() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ScopedCoInitialize(const ScopedCoInitialize&) = delete;
  ScopedCoInitialize& operator=(const ScopedCoInitialize&) = delete;
  bool Ok() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

}  // namespace vexa
