// Pictures as the system's picture objects: bitmaps, icons, metafiles and enhanced metafiles
// are taken, saved in the picture object's own persistent form and come back as the same
// type; streams holding that form, written by the system or by our first stream version, load.
#include "client_com.h"

#include <algorithm>

namespace client {

namespace {

ComPtr<IPictureDisp> picture_of(PICTDESC& pd) {
  pd.cbSizeofstruct = sizeof pd;
  ComPtr<IPictureDisp> p;
  CHECK_HR(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, p.put_void()), S_OK,
           "OleCreatePictureIndirect");
  return p;
}

ComPtr<IPictureDisp> bitmap_picture(int w, int h) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r{0, 0, w, h};
  HBRUSH red = CreateSolidBrush(RGB(200, 30, 30));
  FillRect(dc, &r, red);
  DeleteObject(red);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  PICTDESC pd{};
  pd.picType = PICTYPE_BITMAP;
  pd.bmp.hbitmap = bmp;
  return picture_of(pd);
}

// A 32 x 32 colour icon, as icon editors make them: a 32-bit colour bitmap and a mask.
ComPtr<IPictureDisp> icon_picture() {
  HDC screen = GetDC(nullptr);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = CreateCompatibleBitmap(screen, 32, 32);
  info.hbmMask = CreateBitmap(32, 32, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, info.hbmColor);
  RECT r{0, 0, 32, 32};
  HBRUSH green = CreateSolidBrush(RGB(20, 160, 40));
  FillRect(dc, &r, green);
  DeleteObject(green);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  PICTDESC pd{};
  pd.picType = PICTYPE_ICON;
  pd.icon.hicon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return picture_of(pd);
}

ComPtr<IPictureDisp> metafile_picture() {
  HDC dc = CreateMetaFileW(nullptr);
  Rectangle(dc, 0, 0, 40, 20);
  PICTDESC pd{};
  pd.picType = PICTYPE_METAFILE;
  pd.wmf.hmeta = CloseMetaFile(dc);
  pd.wmf.xExt = 40 * 2540 / 96;
  pd.wmf.yExt = 20 * 2540 / 96;
  return picture_of(pd);
}

ComPtr<IPictureDisp> enhmetafile_picture(LONG himetric_w, LONG himetric_h) {
  const RECT frame{0, 0, himetric_w, himetric_h};
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  Ellipse(dc, 0, 0, 30, 30);
  PICTDESC pd{};
  pd.picType = PICTYPE_ENHMETAFILE;
  pd.emf.hemf = CloseEnhMetaFile(dc);
  return picture_of(pd);
}

SHORT type_of(IDispatch* d, const wchar_t* prop) {
  VariantHolder v;
  get(d, prop, v.get());
  if (V_VT(v.get()) != VT_DISPATCH || !V_DISPATCH(v.get())) return -99;
  ComPtr<IPicture> p = ComPtr<IDispatch>(V_DISPATCH(v.get())).query<IPicture>(IID_IPicture);
  SHORT t = -98;
  if (p) p->get_Type(&t);
  return t;
}

HRESULT put_picture(IDispatch* d, const wchar_t* prop, IPictureDisp* p) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = p;
  return put(d, prop, v, DISPATCH_PROPERTYPUTREF);
}

std::vector<unsigned char> bytes_of(IStream* s) {
  STATSTG st{};
  s->Stat(&st, STATFLAG_NONAME);
  std::vector<unsigned char> out(static_cast<std::size_t>(st.cbSize.QuadPart));
  s->Seek({}, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  s->Read(out.data(), static_cast<ULONG>(out.size()), &got);
  s->Seek({}, STREAM_SEEK_SET, nullptr);
  return out;
}

ComPtr<IStream> stream_of(const std::vector<unsigned char>& bytes) {
  ComPtr<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.put());
  ULONG done = 0;
  s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
  s->Seek({}, STREAM_SEEK_SET, nullptr);
  return s;
}

// A saved set of one "Picture" key, as our stream holds it: version, tag and value given.
std::vector<unsigned char> one_picture_set(unsigned char version, unsigned char tag,
                                           const std::vector<unsigned char>& value) {
  std::vector<unsigned char> body = {7, 0, 'P', 'i', 'c', 't', 'u', 'r', 'e', tag};
  body.insert(body.end(), value.begin(), value.end());
  std::vector<unsigned char> out = {'B', 'R', 'L', 'B', version, 0, 1, 0};
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(body.size() >> (8 * i)));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

ComPtr<IDispatch> loaded(const std::vector<unsigned char>& set, HRESULT want, const char* what) {
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
  CHECK_HR(ps->Load(stream_of(set).get()), want, what);
  return d;
}

void each_type_round_trips() {
  std::vector<BYTE> and_mask(128, 0x00), xor_bits(128, 0xFF);
  PICTDESC mono{};
  mono.picType = PICTYPE_ICON;
  mono.icon.hicon = CreateIcon(nullptr, 32, 32, 1, 1, and_mask.data(), xor_bits.data());
  struct Case {
    const char* name;
    ComPtr<IPictureDisp> pic;
    SHORT type;
  } cases[] = {{"bitmap", bitmap_picture(24, 16), PICTYPE_BITMAP},
               {"icon", icon_picture(), PICTYPE_ICON},
               {"monochrome icon", picture_of(mono), PICTYPE_ICON},
               {"metafile", metafile_picture(), PICTYPE_METAFILE},
               {"enhanced metafile", enhmetafile_picture(1000, 600), PICTYPE_ENHMETAFILE}};
  for (Case& c : cases) {
    const std::string what = c.name;
    ComPtr<IDispatch> d = create_boton();
    d.query<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
    CHECK_HR(put_picture(d.get(), L"Picture", c.pic.get()), S_OK, ("Set Picture, " + what).c_str());
    CHECK_HR(put_picture(d.get(), L"MouseIcon", c.pic.get()), S_OK,
             ("Set MouseIcon, " + what).c_str());
    check_eq(type_of(d.get(), L"Picture"), c.type, ("the picture read back, " + what).c_str());
    ComPtr<IStream> s;
    CreateStreamOnHGlobal(nullptr, TRUE, s.put());
    CHECK_HR(d.query<IPersistStreamInit>(IID_IPersistStreamInit)->Save(s.get(), TRUE), S_OK,
             ("Save, " + what).c_str());
    // The picture object's own form: its "lt" header follows the key and tag.
    const std::vector<unsigned char> saved = bytes_of(s.get());
    const unsigned char lt[] = {'l', 't', 0, 0};
    check(std::search(saved.begin(), saved.end(), lt, lt + 4) != saved.end(),
          ("saved in the picture object's form, " + what).c_str());
    ComPtr<IDispatch> again = loaded(saved, S_OK, ("Load, " + what).c_str());
    check_eq(type_of(again.get(), L"Picture"), c.type, ("Picture after Load, " + what).c_str());
    check_eq(type_of(again.get(), L"MouseIcon"), c.type, ("MouseIcon after Load, " + what).c_str());
  }
}

void sizes_and_foreign_streams() {
  // A 1000 x 1000 bitmap saves as the picture object's bitmap file, not as 4 MB of pixels
  // twice over.
  ComPtr<IDispatch> d = create_boton();
  d.query<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
  CHECK_HR(put_picture(d.get(), L"Picture", bitmap_picture(1000, 1000).get()), S_OK,
           "a 1000 x 1000 bitmap");
  ComPtr<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.put());
  d.query<IPersistStreamInit>(IID_IPersistStreamInit)->Save(s.get(), TRUE);
  const std::size_t size = bytes_of(s.get()).size();
  check(size < 4u * 1000 * 1000 + 4096, "one bitmap file's worth of bytes",
        std::to_string(size) + " bytes");

  // An enhanced metafile past the size limit is refused with the control's error.
  CHECK_HR(put_picture(d.get(), L"Picture", enhmetafile_picture(2540 * 100, 1000).get()),
           MAKE_HRESULT(1, FACILITY_CONTROL, 481), "a 9600-pixel-wide metafile");

  // The system's own persistent bytes of a picture, put in a set by another program.
  ComPtr<IPictureDisp> icon = icon_picture();
  ComPtr<IPersistStream> persist = icon.query<IPersistStream>(IID_IPersistStream);
  ComPtr<IStream> own;
  CreateStreamOnHGlobal(nullptr, TRUE, own.put());
  CHECK_HR(persist->Save(own.get(), TRUE), S_OK, "the picture object saves itself");
  std::vector<unsigned char> value = bytes_of(own.get());
  std::vector<unsigned char> len(4);
  for (int i = 0; i < 4; ++i) len[i] = static_cast<unsigned char>(value.size() >> (8 * i));
  value.insert(value.begin(), len.begin(), len.end());
  ComPtr<IDispatch> foreign = loaded(one_picture_set(2, 10, value), S_OK, "a foreign icon");
  check_eq(type_of(foreign.get(), L"Picture"), SHORT{PICTYPE_ICON}, "the foreign icon");
  // Bytes the system cannot read as a picture, and a set of the first version with raw pixels.
  loaded(one_picture_set(2, 10, {4, 0, 0, 0, 'j', 'u', 'n', 'k'}), STG_E_DOCFILECORRUPT,
         "picture bytes that are no picture");
  ComPtr<IDispatch> v1 =
      loaded(one_picture_set(1, 9, {2, 0, 0, 0, 1, 0, 0, 0, 0x30, 0x20, 0x10, 0xFF, 0, 0, 0, 0}),
             S_OK, "a set of the first version");
  VariantHolder p;
  get(v1.get(), L"Picture", p.get());
  ComPtr<IPicture> pic = V_VT(p.get()) == VT_DISPATCH && V_DISPATCH(p.get())
                             ? ComPtr<IDispatch>(V_DISPATCH(p.get())).query<IPicture>(IID_IPicture)
                             : ComPtr<IPicture>();
  OLE_XSIZE_HIMETRIC w = 0;
  check(pic && SUCCEEDED(pic->get_Width(&w)) && w >= 52 && w <= 53,
        "the first version's 2-pixel picture", std::to_string(w));
}

}  // namespace

void picture_checks() {
  each_type_round_trips();
  sizes_and_foreign_streams();
}

}  // namespace client
