// The control on a scaled display: run once per DPI, in a prefix whose LogPixels the script sets
// (run_test.sh dpi). A container sizes the control in HIMETRIC from its pixels at the screen's
// DPI, so whatever the DPI the control must come out at the pixels asked for, its twips 15 to the
// pixel, its caption's font scaled and its face and mask those of that pixel size. The lines
// "face", "mask" and "caption" are compared across DPIs by the script.
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "client_com.h"
#include "client_site.h"
#include "host/activex/boton_diagnostics.h"
#include "host/activex/gdi.h"
#include "host/common/png.h"
#include "typelib/brelund_h.h"

namespace client {

namespace {

using brelund::ax::DiagState;
using brelund::ax::IBotonDiagnostics;
using brelund::ax::IID_IBotonDiagnostics;
using AxInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

constexpr int kWidth = 300, kHeight = 90;  // the pixels every container below asks for
constexpr DISPID kMouseDown = 5, kMouseUp = 7, kClick = 1;

std::uint32_t fnv(const void* data, std::size_t n, std::uint32_t h = 2166136261u) {
  for (std::size_t i = 0; i < n; ++i)
    h = (h ^ static_cast<const unsigned char*>(data)[i]) * 16777619u;
  return h;
}

// The font a form at this DPI hands its controls: Tahoma 10 points, a TrueType face Wine ships.
ComPtr<IFontDisp> tahoma() {
  FONTDESC fd{sizeof(FONTDESC),
              const_cast<LPOLESTR>(L"Tahoma"),
              {{100000, 0}},
              FW_NORMAL,
              ANSI_CHARSET,
              FALSE,
              FALSE,
              FALSE};
  ComPtr<IFontDisp> f;
  check_hr(OleCreateFontIndirect(&fd, IID_IFontDisp, f.put_void()), "OleCreateFontIndirect");
  return f;
}

void set_font(IDispatch* d, ComPtr<IFontDisp> font) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = font.detach();
  CHECK_HR(put(d, L"Font", v, DISPATCH_PROPERTYPUTREF), S_OK, "Font");
  VariantClear(&v);
}

// What GDI measures for `text` in Tahoma 10 points at `dpi`, taken here from the system alone.
SIZE tahoma_extent(const wchar_t* text, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(10, dpi, 72);
  lf.lfCharSet = ANSI_CHARSET;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  brelund::ax::FontHandle font(CreateFontIndirectW(&lf));
  brelund::ax::MemoryDc dc;
  brelund::ax::Selection sel(dc.get(), font.get());
  SIZE s{};
  GetTextExtentPoint32W(dc.get(), text, lstrlenW(text), &s);
  return s;
}

ComPtr<IPictureDisp> square_picture(int side) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, side, side);
  ReleaseDC(nullptr, screen);
  PICTDESC pd{};
  pd.cbSizeofstruct = sizeof pd;
  pd.picType = PICTYPE_BITMAP;
  pd.bmp.hbitmap = bmp;
  ComPtr<IPictureDisp> pic;
  check_hr(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, pic.put_void()),
           "OleCreatePictureIndirect");
  return pic;
}

DiagState state_of(IUnknown* control) {
  DiagState s;
  ComPtr<IBotonDiagnostics> diag =
      ComPtr<IUnknown>(control).query<IBotonDiagnostics>(IID_IBotonDiagnostics);
  check(static_cast<bool>(diag), "the diagnostic interface");
  if (diag) check_hr(diag->GetState(s.put()), "GetState");
  return s;
}

void check_twips(float got, float want, const char* what) {
  check_eq(static_cast<long>(got), static_cast<long>(want), what);
}

// The window's shape: exactly the pixels asked for (a region leaves out its right and bottom
// edges), its corners cut away.
std::uint32_t shape_checks(HWND ctl) {
  RECT client{};
  GetClientRect(ctl, &client);
  check_eq(client.right, long{kWidth}, "the window's width in pixels");
  check_eq(client.bottom, long{kHeight}, "the window's height in pixels");
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  check_eq(GetWindowRgn(ctl, rgn), COMPLEXREGION, "the window has a rounded region");
  RECT box{};
  GetRgnBox(rgn, &box);
  check(box.left == 0 && box.top == 0 && box.right == kWidth - 1 && box.bottom == kHeight - 1,
        "the region spans the window",
        std::to_string(box.left) + "," + std::to_string(box.top) + "," + std::to_string(box.right) +
            "," + std::to_string(box.bottom));
  check(!PtInRegion(rgn, 0, 0) && !PtInRegion(rgn, kWidth - 2, kHeight - 2),
        "the corners are cut away");
  check(PtInRegion(rgn, kWidth / 2, kHeight / 2) != 0, "the middle is the button's");
  std::vector<char> data(GetRegionData(rgn, 0, nullptr));
  GetRegionData(rgn, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
  DeleteObject(rgn);
  return fnv(data.data(), data.size());
}

// In our container: extents, twips, caption, picture, events, face and mask.
void container_part(int dpi) {
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              kWidth + 80, kHeight + 80, nullptr, nullptr, nullptr, nullptr);
  Site site(form);
  site.rect = RECT{20, 20, 20 + kWidth, 20 + kHeight};
  ComPtr<IDispatch> d = create_boton();
  if (!d) return check(false, "the control is made");
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  check_hr(ole->SetClientSite(&site), "SetClientSite");
  check_hr(d.query<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew(), "InitNew");
  set_font(d.get(), tahoma());

  // HIMETRIC as a container computes it from its pixels, and back unchanged.
  SIZEL asked{MulDiv(kWidth, 2540, dpi), MulDiv(kHeight, 2540, dpi)};
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &asked), S_OK, "SetExtent");
  SIZEL got{};
  CHECK_HR(ole->GetExtent(DVASPECT_CONTENT, &got), S_OK, "GetExtent");
  check_eq(got.cx, asked.cx, "GetExtent gives back the width set");
  check_eq(got.cy, asked.cy, "GetExtent gives back the height set");
  {
    const DiagState s = state_of(d.get());
    check_twips(s->scale_width, kWidth * 15.0f, "ScaleWidth: 15 twips to each pixel asked for");
    check_twips(s->scale_height, kHeight * 15.0f, "ScaleHeight: 15 twips to each pixel asked for");
  }
  // The cap is 4096 pixels whatever the DPI, as a container computes them.
  SIZEL cap{MulDiv(4096, 2540, dpi), 100}, over{MulDiv(4096, 2540, dpi) + 1, 100};
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &cap), S_OK, "4096 pixels wide");
  check_twips(state_of(d.get())->scale_width, 4096 * 15.0f, "4096 pixels are 61440 twips");
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &over), E_INVALIDARG, "a HIMETRIC more");
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &asked), S_OK, "SetExtent again");

  Sink sink;
  advise(d.get(), sink);
  CHECK_HR(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.rect), S_OK,
           "activated in our container");
  const HWND ctl = window_of(d.get());
  pump(100);
  if (!ctl) return check(false, "the control has a window");
  shape_checks(ctl);

  // The caption in the container's font at this DPI, as GDI measures it; the font's size in
  // points does not change with the DPI.
  const SIZE text = tahoma_extent(L"Bot\u00F3n", dpi);
  {
    const DiagState s = state_of(d.get());
    check_twips(s->label_width, text.cx * 15.0f, "the caption's width: GDI's, 15 twips a pixel");
    check_twips(s->label_height, text.cy * 15.0f, "the caption's height: GDI's, 15 twips a pixel");
    std::printf("caption %ld x %ld pixels\n",
                s->label_width / 15 > 0 ? long(s->label_width / 15) : 0L,
                long(s->label_height / 15));
  }
  VARIANT font;
  VariantInit(&font);
  get(d.get(), L"Font", &font);
  if (V_VT(&font) == VT_DISPATCH && V_DISPATCH(&font)) {
    CY size{};
    ComPtr<IFont> f = ComPtr<IDispatch>(V_DISPATCH(&font)).query<IFont>(IID_IFont);
    if (f) f->get_Size(&size);
    // The system's font object rounds 10 points to whole pixels of the screen; the control
    // gives back what that object says, not a size scaled again by the DPI.
    CY given{};
    tahoma().query<IFont>(IID_IFont)->get_Size(&given);
    check_eq(static_cast<long>(size.int64), static_cast<long>(given.int64),
             "Font.Size is the font object's, in points");
    std::printf("font %ld\n", static_cast<long>(size.int64));
  } else {
    check(false, "the Font property is a font");
  }
  VariantClear(&font);

  // A bitmap shows at its own pixels: 20 pixels are 300 twips at any DPI.
  VARIANT pic;
  VariantInit(&pic);
  V_VT(&pic) = VT_DISPATCH;
  V_DISPATCH(&pic) = square_picture(20).detach();
  CHECK_HR(put(d.get(), L"Picture", pic, DISPATCH_PROPERTYPUTREF), S_OK, "Picture");
  VariantClear(&pic);
  {
    const DiagState s = state_of(d.get());
    check_twips(s->pic_width, 300.0f, "the picture's width: its 20 pixels");
    check_twips(s->pic_height, 300.0f, "the picture's height: its 20 pixels");
  }
  VARIANT none;
  VariantInit(&none);
  V_VT(&none) = VT_DISPATCH;
  V_DISPATCH(&none) = nullptr;
  CHECK_HR(put(d.get(), L"Picture", none, DISPATCH_PROPERTYPUTREF), S_OK, "no Picture");

  // A click at pixel (30, 20) of the window: the events carry the control's own twips.
  sink.clear();
  POINT at{30, 20};
  ClientToScreen(ctl, &at);
  SetCursorPos(at.x, at.y);
  pump(30);
  sink.clear();
  SendMessageW(ctl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 20));
  SendMessageW(ctl, WM_LBUTTONUP, 0, MAKELPARAM(30, 20));
  pump(50);
  check_eq(sink.count(kClick), 1, "the click raises Click");
  for (const EventRecord& e : sink.events) {
    if (e.id != kMouseDown && e.id != kMouseUp) continue;
    check(e.reals.size() == 2 && e.reals[0] == 450.0f && e.reals[1] == 300.0f,
          "MouseDown and MouseUp at (450, 300) twips",
          e.reals.size() == 2 ? std::to_string(e.reals[0]) + ", " + std::to_string(e.reals[1])
                              : "no X, Y");
  }
  check_eq(sink.count(kMouseDown), 1, "one MouseDown");
  check_eq(sink.count(kMouseUp), 1, "one MouseUp");

  // Without a caption the face and the mask are those of 300 x 90 pixels, whatever the DPI.
  VARIANT empty = string_value(L"");
  CHECK_HR(put(d.get(), L"Caption", empty), S_OK, "Caption empty");
  VariantClear(&empty);
  SetFocus(nullptr);
  pump(50);
  const std::vector<unsigned> face = draw(d.get(), kWidth, kHeight, 0xFF00FF);
  std::printf("face %08X\n", fnv(face.data(), face.size() * sizeof(unsigned)));
  std::printf("mask %08X\n", shape_checks(ctl));

  check_hr(ole->Close(OLECLOSE_NOSAVE), "Close");
  ole->SetClientSite(nullptr);
  DestroyWindow(form);
}

// In Wine's ATL host window, which converts its window's pixels to HIMETRIC itself.
void atl_part() {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = proc<AxInit>(atl, "AtlAxWinInit");
  auto get_control = proc<AxGetControl>(atl, "AtlAxGetControl");
  check(init && get_control && init(), "Wine's ATL host");
  if (!init || !get_control) return;
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              kWidth + 80, kHeight + 80, nullptr, nullptr, nullptr, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin", L"Brelund.Boton", WS_CHILD | WS_VISIBLE, 20, 20,
                              kWidth, kHeight, form, nullptr, nullptr, nullptr);
  ComPtr<IUnknown> unk;
  if (!host || FAILED(get_control(host, unk.put())) || !unk) {
    DestroyWindow(form);
    return check(false, "the ATL host made the control");
  }
  pump(100);
  if (const HWND ctl = window_of(unk.get())) shape_checks(ctl);
  const DiagState s = state_of(unk.get());
  check_twips(s->scale_width, kWidth * 15.0f, "in ATL's host: ScaleWidth of the window's pixels");
  check_twips(s->scale_height, kHeight * 15.0f,
              "in ATL's host: ScaleHeight of the window's pixels");
  unk.reset();
  DestroyWindow(form);
  pump(50);
}

// A row of looks for the README: a form's default button (2955 x 855 twips of the form, so
// pixels at this DPI) in its usual states.
void gallery(int dpi, const std::wstring& path) {
  const int w = MulDiv(2955, dpi, 1440), h = MulDiv(855, dpi, 1440), margin = MulDiv(24, dpi, 96);
  struct Cell {
    const wchar_t* caption;
    void (*setup)(IDispatch*, IBotonDiagnostics*);
  };
  const Cell cells[] = {
      {L"Normal", [](IDispatch*, IBotonDiagnostics*) {}},
      {L"Lit (focus)", [](IDispatch*, IBotonDiagnostics* g) { g->Focus(brelund::ax::kDiagGot); }},
      {L"Pressed",
       [](IDispatch*, IBotonDiagnostics* g) {
         g->Pointer(brelund::ax::kDiagDown, brelund::ax::kDiagSurface, 1, 0, 600, 400);
       }},
      {L"Disabled",
       [](IDispatch* d, IBotonDiagnostics*) {
         VARIANT off;
         VariantInit(&off);
         V_VT(&off) = VT_BOOL;
         V_BOOL(&off) = VARIANT_FALSE;
         put(d, L"Enabled", off);
       }},
  };
  constexpr int kCells = 4;
  const int row_w = kCells * (w + margin) + margin, row_h = h + 2 * margin;
  std::vector<std::uint32_t> row(static_cast<std::size_t>(row_w) * row_h, 0xFFF4F4F0u);
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              w + 80, h + 80, nullptr, nullptr, nullptr, nullptr);
  for (int i = 0; i < kCells; ++i) {
    Site site(form);
    site.rect = RECT{20, 20, 20 + w, 20 + h};
    ComPtr<IDispatch> d = create_boton();
    if (!d) return check(false, "the gallery's control");
    ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
    ole->SetClientSite(&site);
    d.query<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
    set_font(d.get(), tahoma());
    VARIANT cap = string_value(cells[i].caption);
    put(d.get(), L"Caption", cap);
    VariantClear(&cap);
    // The classic grey face, whose shaded bands show on any system's colours.
    put(d.get(), L"BackColor", long_value(0xC0C0C0));
    CHECK_HR(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.rect), S_OK,
             "the gallery's control in place");
    ComPtr<IBotonDiagnostics> diag = d.query<IBotonDiagnostics>(IID_IBotonDiagnostics);
    if (diag) cells[i].setup(d.get(), diag.get());
    pump(30);
    const std::vector<unsigned> px = draw(d.get(), w, h, 0xF4F4F0);
    // The cut-away corners keep the background drawn under them.
    const int left = margin + i * (w + margin);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        row[static_cast<std::size_t>(margin + y) * row_w + left + x] =
            0xFF000000u | px[static_cast<std::size_t>(y) * w + x];
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
  }
  DestroyWindow(form);
  try {
    const std::string narrow(path.begin(), path.end());
    brelund::png::write_file(narrow, brelund::png::encode(row_w, row_h, row));
    std::printf("gallery %d x %d written\n", row_w, row_h);
  } catch (const std::exception& e) {
    check(false, "the gallery's PNG", e.what());
  }
}

}  // namespace

int dpi_checks(int want, const wchar_t* gallery_path) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  std::printf("dpi %d\n", dpi);
  if (dpi != want) {
    check(false, "the prefix's LogPixels", "the screen has " + std::to_string(dpi) + " DPI");
    return 1;
  }
  container_part(dpi);
  atl_part();
  if (gallery_path) gallery(dpi, gallery_path);
  return 0;
}

}  // namespace client
