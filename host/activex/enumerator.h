// A COM enumerator (IEnumConnectionPoints, IEnumConnections, ...) over a snapshot of items.
// Each item holds its own reference; Next hands out a new one per item, as COM wants, and the
// enumerator keeps its source object alive while it exists.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <cstring>
#include <cwchar>

#include <atomic>
#include <vector>

#include "host/activex/com_ptr.h"

namespace brelund::ax {

inline void add_ref_item(IConnectionPoint* p) { p->AddRef(); }
inline void release_item(IConnectionPoint* p) { p->Release(); }
inline void add_ref_item(const CONNECTDATA& c) { c.pUnk->AddRef(); }
inline void release_item(const CONNECTDATA& c) { c.pUnk->Release(); }
// Verbs hold their names as literals in the snapshot; the copy Next hands out (a non-const
// item) gets a name of its own from the task allocator, which the caller frees.
inline void add_ref_item(const OLEVERB&) {}
inline void release_item(const OLEVERB&) {}
inline void add_ref_item(OLEVERB& handed_out) {
  const wchar_t* name = handed_out.lpszVerbName;
  handed_out.lpszVerbName = nullptr;
  if (!name) return;
  const std::size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
  if (void* copy = CoTaskMemAlloc(bytes)) {
    memcpy(copy, name, bytes);
    handed_out.lpszVerbName = static_cast<LPOLESTR>(copy);
  }
}

template <class I, class T>
class Enumerator final : public I {
 public:
  Enumerator(IUnknown& source, std::vector<T> items, const IID& iid)
      : source_(&source), items_(std::move(items)), iid_(iid) {
    for (const T& t : items_) add_ref_item(t);
  }
  ~Enumerator() {
    for (const T& t : items_) release_item(t);
  }
  Enumerator(const Enumerator&) = delete;
  Enumerator& operator=(const Enumerator&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != iid_) return E_NOINTERFACE;
    *out = static_cast<I*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, T* out, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (!out) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG n = 0;
    while (n < count && pos_ < items_.size()) {
      out[n] = items_[pos_++];
      add_ref_item(out[n]);
      ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = items_.size() - pos_;
    if (count > left) {
      pos_ = items_.size();
      return S_FALSE;
    }
    pos_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    pos_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(I** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
      auto* e = new Enumerator(*source_.get(), items_, iid_);
      e->pos_ = pos_;
      *out = e;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  ComPtr<IUnknown> source_;
  std::vector<T> items_;
  IID iid_;
  std::size_t pos_ = 0;
  std::atomic<ULONG> refs_{1};
};

// A new enumerator handed to an out parameter.
template <class I, class T>
HRESULT make_enumerator(IUnknown& source, std::vector<T> items, const IID& iid, I** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  try {
    *out = new Enumerator<I, T>(source, std::move(items), iid);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace brelund::ax
