// Persistence: a container's property bag or stream drives the control's InitProperties,
// ReadProperties and WriteProperties. Exactly one of InitNew and Load happens per object.
#include <optional>

#include "control/convert.h"
#include "host/activex/boton_object.h"
#include "host/activex/stream_format.h"
#include "host/activex/utf16.h"
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
    const HRESULT hr = bag_.Read(name.c_str(), v.get(), log_);
    // Bags answer a key they do not hold with E_INVALIDARG: it reads as its default. Any other
    // failure (a broken storage, a refused read) ends the load with that failure.
    if (hr == E_INVALIDARG) return def;
    if (FAILED(hr)) {
      failure = hr;
      throw Error(errors::kDeviceIo, "The property bag cannot read " + std::string(key));
    }
    return objects_.from_variant(*v);
  }

  void write_property(std::string_view key, const Variant& value, const Variant& def) override {
    if (convert::same_value(value, def)) return;
    const std::wstring name = widen(key);
    VariantHolder v;
    objects_.to_variant(value, v.get());
    if (const HRESULT hr = bag_.Write(name.c_str(), v.get()); FAILED(hr)) {
      failure = hr;
      throw Error(errors::kInvalidProcedureCall, "The property bag refused " + std::string(key));
    }
  }

  HRESULT failure = S_OK;

 private:
  IPropertyBag& bag_;
  IErrorLog* log_;
  ObjectCache& objects_;
};

// The encoder keeps a saved set within the stream format's limit, far below a ULONG's range.
// The stream's own failure goes back to the container as it is (a full disk, a stream opened
// for reading), so that it can tell its user what went wrong.
HRESULT write_all(IStream& s, const std::vector<std::uint8_t>& bytes) {
  ULONG done = 0;
  const HRESULT hr = s.Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
  if (FAILED(hr)) return hr;
  return done == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

bool read_all(IStream& s, std::uint8_t* to, ULONG n) {
  ULONG got = 0;
  return SUCCEEDED(s.Read(to, n, &got)) && got == n;
}

// The bytes left in the stream after its seek pointer, when the stream can tell.
std::optional<std::uint64_t> bytes_left(IStream& s) {
  STATSTG st{};
  if (FAILED(s.Stat(&st, STATFLAG_NONAME))) return std::nullopt;
  LARGE_INTEGER zero{};
  ULARGE_INTEGER pos{};
  if (FAILED(s.Seek(zero, STREAM_SEEK_CUR, &pos))) return std::nullopt;
  if (pos.QuadPart > st.cbSize.QuadPart) return 0;
  return st.cbSize.QuadPart - pos.QuadPart;
}

// Reads `size` more bytes onto `data`, growing it only by what has arrived, so that a length
// the stream does not back costs no more memory than the bytes really there.
HRESULT read_payload(IStream& s, std::vector<std::uint8_t>& data, std::uint32_t size) {
  constexpr std::uint32_t kChunk = 64 * 1024;
  std::uint32_t left = size;
  while (left > 0) {
    const std::uint32_t n = left < kChunk ? left : kChunk;
    const std::size_t at = data.size();
    try {
      data.resize(at + n);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (!read_all(s, data.data() + at, n)) return STG_E_READFAULT;
    left -= n;
  }
  return S_OK;
}

// Pictures travel in the system picture object's own persistent form.
stream_format::PictureCodec picture_codec(ObjectCache& objects) {
  return {[&objects](const PictureRef& p) { return objects.picture_bytes(p); },
          [&objects](const std::uint8_t* d, std::size_t n) { return objects.read_picture(d, n); }};
}

std::vector<std::uint8_t> saved_bytes(Boton& control, ObjectCache& objects) {
  host::MemoryPropertyBag bag;
  control.WriteProperties(bag);
  const stream_format::PictureCodec codec = picture_codec(objects);
  return stream_format::encode(bag.entries(), &codec);
}

}  // namespace

HRESULT BotonObject::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Boton;
  return S_OK;
}

// OLE wants E_UNEXPECTED from the stream and bag forms for a second initialisation;
// IPersistStorage has a code of its own (see below). A control that already has the
// properties of a new one (the container sized or activated it first) takes the loaded ones
// over them: loading assigns every key, saved or default.
HRESULT BotonObject::begin_persistence() {
  if (persisted_) return E_UNEXPECTED;
  persisted_ = true;
  if (activation_ == Activation::loaded) enter(Activation::running);
  return S_OK;
}

// A load that failed leaves the object uninitialised for persistence, so that the container
// may fall back to InitNew.
void BotonObject::load_failed() noexcept { persisted_ = false; }

// What a container has just initialised or loaded is what it would save: the properties the
// load assigned on the way (a picture announces itself) are no change to the form.
void BotonObject::persistence_done(HRESULT hr) noexcept {
  if (FAILED(hr))
    load_failed();
  else
    dirty_ = false;
}

HRESULT BotonObject::InitNew() {
  if (const HRESULT hr = begin_persistence(); hr != S_OK) return hr;
  const Step step(*this);
  const HRESULT hr = com_call([&] { raise_on_failure(instance_.init()); });
  persistence_done(hr);
  return hr;
}

HRESULT BotonObject::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  if (const HRESULT hr = begin_persistence(); hr != S_OK) return hr;
  const Step step(*this);
  BagAdapter adapter(*bag, log, objects_);
  HRESULT hr = com_call([&] { raise_on_failure(instance_.load(adapter)); });
  if (FAILED(adapter.failure)) hr = adapter.failure;
  persistence_done(hr);
  return hr;
}

HRESULT BotonObject::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (!bag) return E_POINTER;
  const Step step(*this);
  BagAdapter adapter(*bag, nullptr, objects_);
  HRESULT hr = com_call([&] {
    ensure_initialised();
    raise_on_failure(instance_.save(adapter));
  });
  // As on loading, the bag's own failure is the one the container hears.
  if (FAILED(adapter.failure)) hr = adapter.failure;
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

HRESULT BotonObject::load_stream(IStream& stream) {
  std::uint8_t header[stream_format::kHeaderSize];
  if (!read_all(stream, header, sizeof header)) return STG_E_READFAULT;
  const auto size = stream_format::payload_size(header);
  if (!size) return STG_E_OLDFORMAT;
  // Lengths are checked against what the stream holds before anything is allocated for them.
  if (*size > stream_format::kMaxPayload) return STG_E_DOCFILECORRUPT;
  if (const auto left = bytes_left(stream); left && *left < *size) return STG_E_READFAULT;
  std::vector<std::uint8_t> data(header, header + sizeof header);
  if (const HRESULT hr = read_payload(stream, data, *size); FAILED(hr)) return hr;
  const stream_format::PictureCodec codec = picture_codec(objects_);
  auto entries = stream_format::decode(data.data(), data.size(), &codec);
  if (!entries) return STG_E_DOCFILECORRUPT;
  return com_call([&] {
    host::MemoryPropertyBag bag(std::move(*entries));
    raise_on_failure(instance_.load(bag));
  });
}

HRESULT BotonObject::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  if (const HRESULT hr = begin_persistence(); hr != S_OK) return hr;
  const Step step(*this);
  const HRESULT hr = load_stream(*stream);
  persistence_done(hr);
  return hr;
}

HRESULT BotonObject::Save(IStream* stream, BOOL clear_dirty) {
  if (!stream) return E_POINTER;
  const Step step(*this);
  std::vector<std::uint8_t> bytes;
  HRESULT hr = com_call([&] {
    ensure_initialised();
    bytes = saved_bytes(control(), objects_);
  });
  if (SUCCEEDED(hr)) hr = write_all(*stream, bytes);
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

HRESULT BotonObject::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  return com_call([&] {
    ensure_initialised();
    size->QuadPart = saved_bytes(control(), objects_).size();
  });
}

// ---- IPersistStorage: the same bytes as the stream form, in a stream of the storage ----

namespace {
constexpr const wchar_t* kContents = L"Contents";
}

HRESULT BotonObject::InitNew(IStorage* storage) {
  if (!storage) return E_POINTER;
  if (persisted_) return CO_E_ALREADYINITIALIZED;
  return InitNew();
}

HRESULT BotonObject::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  if (persisted_) return CO_E_ALREADYINITIALIZED;
  ComPtr<IStream> stream;
  const HRESULT hr =
      storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
  if (FAILED(hr)) return hr;
  return Load(stream.get());
}

HRESULT BotonObject::Save(IStorage* storage, BOOL) {
  if (!storage) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT hr = storage->CreateStream(
      kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put());
  if (FAILED(hr)) return hr;
  // The object stays dirty until the container says the save is complete.
  return Save(stream.get(), FALSE);
}

HRESULT BotonObject::SaveCompleted(IStorage*) {
  dirty_ = false;
  return S_OK;
}

}  // namespace brelund::ax
