// PNG on Windows through the system's imaging component, for the programs of the cross build
// that read and write pictures (the trace runner): libpng is not there for MinGW. Same contract
// as host/common/png.cpp; only the wording of a decoder's complaint differs. Files are read and
// written by host/common/png_file.cpp on both.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>

#include "brelund/error.h"
#include "host/activex/com_ptr.h"
#include "host/common/png.h"

namespace brelund::png {

namespace {

[[noreturn]] void bad_png(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue,
              "Invalid property value: not a usable PNG (" + why + ")");
}

void check(HRESULT hr, const char* what) {
  if (FAILED(hr)) bad_png(what);
}

// COM for this thread, for as long as one conversion lasts.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

ax::ComPtr<IWICImagingFactory> factory() {
  ax::ComPtr<IWICImagingFactory> f;
  check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, reinterpret_cast<void**>(f.put())),
        "no imaging component");
  return f;
}

}  // namespace

std::vector<std::uint8_t> encode(int width, int height, const std::vector<std::uint32_t>& argb) {
  ComScope com;
  auto wic = factory();
  ax::ComPtr<IStream> stream;
  check(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), "no memory stream");
  ax::ComPtr<IWICBitmapEncoder> encoder;
  check(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()), "no PNG encoder");
  check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "encoder");
  ax::ComPtr<IWICBitmapFrameEncode> frame;
  check(encoder->CreateNewFrame(frame.put(), nullptr), "frame");
  check(frame->Initialize(nullptr), "frame");
  check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "size");
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;  // ARGB words, little-endian
  check(frame->SetPixelFormat(&format), "pixel format");
  if (format != GUID_WICPixelFormat32bppBGRA) bad_png("the encoder wants another pixel format");
  std::vector<std::uint32_t> px = argb;
  check(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width) * 4,
                           static_cast<UINT>(px.size() * 4), reinterpret_cast<BYTE*>(px.data())),
        "pixels");
  check(frame->Commit(), "frame");
  check(encoder->Commit(), "file");
  STATSTG st{};
  check(stream->Stat(&st, STATFLAG_NONAME), "stream");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.cbSize.QuadPart));
  LARGE_INTEGER zero{};
  check(stream->Seek(zero, STREAM_SEEK_SET, nullptr), "stream");
  ULONG got = 0;
  check(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got), "stream");
  bytes.resize(got);
  return bytes;
}

PictureRef decode(const std::vector<std::uint8_t>& bytes, std::size_t max_pixels) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || !std::equal(kSignature, kSignature + 8, bytes.begin()))
    bad_png("no PNG signature");
  ComScope com;
  auto wic = factory();
  ax::ComPtr<IWICStream> stream;
  check(wic->CreateStream(stream.put()), "stream");
  check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size())),
        "stream");
  ax::ComPtr<IWICBitmapDecoder> decoder;
  check(wic->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                     decoder.put()),
        "damaged");
  ax::ComPtr<IWICBitmapFrameDecode> frame;
  check(decoder->GetFrame(0, frame.put()), "damaged");
  UINT w = 0, h = 0;
  check(frame->GetSize(&w, &h), "damaged");
  if (w == 0 || h == 0 || static_cast<std::size_t>(w) * h > max_pixels) bad_png("too large");
  ax::ComPtr<IWICBitmapSource> argb;
  check(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), argb.put()), "format");
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
  check(argb->CopyPixels(nullptr, w * 4, static_cast<UINT>(px.size() * 4),
                         reinterpret_cast<BYTE*>(px.data())),
        "damaged");
  return make_picture(static_cast<int>(w), static_cast<int>(h), std::move(px));
}

}  // namespace brelund::png
