// Persistence: a container's property bag or stream drives the control's InitProperties,
// ReadProperties and WriteProperties. Exactly one of InitNew and Load happens per object.
#include "control/convert.h"
#include "host/activex/boton_object.h"
#include "host/activex/stream_format.h"
#include "host/activex/text.h"
#include "host/common/property_bag.h"

namespace brelund::ax {

namespace {

// A container's IPropertyBag seen as the control's property bag.
class BagAdapter final : public host::PropertyBag {
 public:
  BagAdapter(IPropertyBag& bag, IErrorLog* log, ObjectCache& objects)
      : bag_(bag), log_(log), objects_(objects) {}

  Variant read_property(std::string_view key, const Variant& def) override {
    const std::wstring name = widen(key);
    VariantHolder v;
    // An absent key (or one the container cannot give) reads as its default.
    if (FAILED(bag_.Read(name.c_str(), v.get(), log_))) return def;
    return objects_.from_variant(*v);
  }

  void write_property(std::string_view key, const Variant& value, const Variant& def) override {
    if (convert::same_value(value, def)) return;
    const std::wstring name = widen(key);
    VariantHolder v;
    objects_.to_variant(value, v.get());
    if (FAILED(bag_.Write(name.c_str(), v.get())))
      throw Error(errors::kInvalidProcedureCall, "The property bag refused " + std::string(key));
  }

 private:
  IPropertyBag& bag_;
  IErrorLog* log_;
  ObjectCache& objects_;
};

void write_all(IStream& s, const std::vector<std::uint8_t>& bytes) {
  ULONG done = 0;
  if (FAILED(s.Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done)) ||
      done != bytes.size())
    throw Error(errors::kInvalidProcedureCall, "The stream refused the properties");
}

bool read_all(IStream& s, std::uint8_t* to, std::size_t n) {
  ULONG got = 0;
  return SUCCEEDED(s.Read(to, static_cast<ULONG>(n), &got)) && got == n;
}

std::vector<std::uint8_t> saved_bytes(Boton& control) {
  host::MemoryPropertyBag bag;
  control.WriteProperties(bag);
  return stream_format::encode(bag.entries());
}

}  // namespace

HRESULT BotonObject::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Boton;
  return S_OK;
}

HRESULT BotonObject::begin_persistence() {
  if (initialised_) return CO_E_ALREADYINITIALIZED;
  initialised_ = true;
  return S_OK;
}

HRESULT BotonObject::InitNew() {
  if (const HRESULT hr = begin_persistence(); hr != S_OK) return hr;
  return com_call([&] { control_->InitProperties(); });
}

HRESULT BotonObject::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  if (const HRESULT hr = begin_persistence(); hr != S_OK) return hr;
  return com_call([&] {
    BagAdapter adapter(*bag, log, objects_);
    control_->ReadProperties(adapter);
  });
}

HRESULT BotonObject::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (!bag) return E_POINTER;
  const HRESULT hr = com_call([&] {
    ensure_initialised();
    BagAdapter adapter(*bag, nullptr, objects_);
    control_->WriteProperties(adapter);
  });
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

HRESULT BotonObject::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  if (const HRESULT hr = begin_persistence(); hr != S_OK) return hr;
  std::uint8_t header[stream_format::kHeaderSize];
  if (!read_all(*stream, header, sizeof header)) return STG_E_READFAULT;
  const auto size = stream_format::payload_size(header);
  if (!size) return STG_E_OLDFORMAT;
  std::vector<std::uint8_t> data;
  try {
    data.assign(header, header + sizeof header);
    data.resize(sizeof header + *size);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  if (!read_all(*stream, data.data() + sizeof header, *size)) return STG_E_READFAULT;
  auto entries = stream_format::decode(data.data(), data.size());
  if (!entries) return STG_E_INVALIDHEADER;
  return com_call([&] {
    host::MemoryPropertyBag bag(std::move(*entries));
    control_->ReadProperties(bag);
  });
}

HRESULT BotonObject::Save(IStream* stream, BOOL clear_dirty) {
  if (!stream) return E_POINTER;
  const HRESULT hr = com_call([&] {
    ensure_initialised();
    write_all(*stream, saved_bytes(*control_));
  });
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

HRESULT BotonObject::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  return com_call([&] {
    ensure_initialised();
    size->QuadPart = saved_bytes(*control_).size();
  });
}

}  // namespace brelund::ax
