// Owning references for COM objects, BSTRs and VARIANTs: every reference this host takes is
// released by a destructor, never by hand, so early returns and exceptions cannot leak one.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace brelund::ax {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Adopts a reference the caller already owns (an out parameter's result).
  static ComPtr adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // For out parameters: releases what is held and hands out the slot.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  // Hands the reference to the caller (an out parameter), leaving this empty.
  T* detach() noexcept { return std::exchange(p_, nullptr); }

  template <class U>
  ComPtr<U> query(REFIID iid) const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(iid, out.put_void());
    return out;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* s) : b_(SysAllocString(s)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  ~Bstr() { SysFreeString(b_); }
  BSTR get() const noexcept { return b_; }
  BSTR* put() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  BSTR detach() noexcept { return std::exchange(b_, nullptr); }

 private:
  BSTR b_ = nullptr;
};

// The strings an IDispatch::Invoke failure hands back, freed with the record.
class ExcepInfo {
 public:
  ExcepInfo() = default;
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  ~ExcepInfo() {
    SysFreeString(e_.bstrSource);
    SysFreeString(e_.bstrDescription);
    SysFreeString(e_.bstrHelpFile);
  }
  EXCEPINFO* get() noexcept { return &e_; }

 private:
  EXCEPINFO e_{};
};

class VariantHolder {
 public:
  VariantHolder() { VariantInit(&v_); }
  VariantHolder(const VariantHolder&) = delete;
  VariantHolder& operator=(const VariantHolder&) = delete;
  ~VariantHolder() { VariantClear(&v_); }
  VARIANT* get() noexcept { return &v_; }
  const VARIANT& operator*() const noexcept { return v_; }
  VARIANT* operator->() noexcept { return &v_; }
  void detach_to(VARIANT* out) noexcept {
    *out = v_;
    VariantInit(&v_);
  }

 private:
  VARIANT v_;
};

}  // namespace brelund::ax
