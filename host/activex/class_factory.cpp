// The class factory of Boton and DllGetClassObject.
#include <atomic>

#include "host/activex/boton_object.h"

namespace brelund::ax {

namespace {

class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_boton(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      object_created();
    else
      object_destroyed();
    return S_OK;
  }

 private:
  ModuleRef module_ref_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

}  // namespace brelund::ax

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_Boton) return CLASS_E_CLASSNOTAVAILABLE;
  brelund::ax::ClassFactory* f = nullptr;
  try {
    f = new brelund::ax::ClassFactory();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = f->QueryInterface(riid, out);
  f->Release();
  return hr;
}
