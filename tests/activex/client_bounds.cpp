// The answers OLE documents for what a container gets wrong, and the bounds on the control's
// size: nothing a container passes makes the control allocate without limit.
#include "client_com.h"

namespace client {

namespace {

std::wstring error_description() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return L"";
  Bstr d;
  info->GetDescription(d.put());
  return d.get() ? d.get() : L"";
}

void extents(IDispatch* d) {
  ComPtr<IOleObject> ole = ComPtr<IDispatch>(d).query<IOleObject>(IID_IOleObject);
  SIZEL ok{2540 * 100 / 96, 2540 * 30 / 96};
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &ok), S_OK, "a plain extent");
  SIZEL before{};
  CHECK_HR(ole->GetExtent(DVASPECT_CONTENT, &before), S_OK, "GetExtent");
  SIZEL negative{-2540, 1000};
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &negative), E_INVALIDARG, "a negative width");
  check(error_description().find(L"-2540 x 1000") != std::wstring::npos,
        "the refusal names the extent");
  SIZEL huge{2540 * 16384 / 96, 2540 * 16384 / 96};
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &huge), E_INVALIDARG, "16384 pixels a side");
  check(error_description().find(L"outside 0 to 108373 HIMETRIC") != std::wstring::npos,
        "the refusal names the range");
  SIZEL just_over{2540 * 4096 / 96 + 1, 100};
  CHECK_HR(ole->SetExtent(DVASPECT_CONTENT, &just_over), E_INVALIDARG, "one past the cap");
  SIZEL now{};
  CHECK_HR(ole->GetExtent(DVASPECT_CONTENT, &now), S_OK, "GetExtent");
  check(now.cx == before.cx && now.cy == before.cy, "refused extents change nothing",
        std::to_string(now.cx) + " x " + std::to_string(now.cy));
  ComPtr<IQuickActivate> qa = ComPtr<IDispatch>(d).query<IQuickActivate>(IID_IQuickActivate);
  CHECK_HR(qa->SetContentExtent(&negative), E_INVALIDARG, "SetContentExtent negative");
  ComPtr<IViewObject2> view = ComPtr<IDispatch>(d).query<IViewObject2>(IID_IViewObject2);
  CHECK_HR(view->GetExtent(DVASPECT_CONTENT, 3, nullptr, &now), DV_E_LINDEX,
           "IViewObject2::GetExtent of piece 3");
}

void drawing_and_advise(IDispatch* d) {
  ComPtr<IViewObject> view = ComPtr<IDispatch>(d).query<IViewObject>(IID_IViewObject);
  HDC screen = GetDC(nullptr);
  RECTL r{0, 0, 10, 10};
  CHECK_HR(
      view->Draw(DVASPECT_CONTENT, 0, nullptr, nullptr, nullptr, screen, &r, nullptr, nullptr, 0),
      DV_E_LINDEX, "Draw of piece 0");
  CHECK_HR(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, screen, nullptr, nullptr,
                      nullptr, 0),
           E_INVALIDARG, "Draw without bounds");
  ReleaseDC(nullptr, screen);
  ComPtr<IOleObject> ole = ComPtr<IDispatch>(d).query<IOleObject>(IID_IOleObject);
  DWORD cookie = 7;
  CHECK_HR(ole->Advise(nullptr, &cookie), E_INVALIDARG, "Advise of no sink");
  check_eq(cookie, 0ul, "no cookie for no sink");
}

void verbs(IDispatch* d) {
  ComPtr<IOleObject> ole = ComPtr<IDispatch>(d).query<IOleObject>(IID_IOleObject);
  RECT r{0, 0, 50, 20};
  CHECK_HR(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &r), E_INVALIDARG,
           "in-place activation without a site");
  CHECK_HR(ole->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, &r), E_INVALIDARG,
           "the primary verb without a site");
  CHECK_HR(ole->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, nullptr, &r), S_OK,
           "hiding needs no site");
  ComPtr<IEnumOLEVERB> e;
  CHECK_HR(ole->EnumVerbs(e.put()), S_OK, "EnumVerbs");
  if (!e) return;
  OLEVERB v[8]{};
  ULONG got = 0;
  CHECK_HR(e->Next(8, v, &got), S_FALSE, "fewer verbs than asked for");
  check_eq(got, 5ul, "five verbs");
  check(v[0].lVerb == OLEIVERB_PRIMARY && v[0].lpszVerbName &&
            (v[0].grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU) != 0,
        "the primary verb comes first, named, on the container's menu");
  bool has_inplace = false;
  for (ULONG i = 0; i < got; ++i) {
    has_inplace |= v[i].lVerb == OLEIVERB_INPLACEACTIVATE;
    CoTaskMemFree(v[i].lpszVerbName);  // each copy owns its name
  }
  check(has_inplace, "in-place activation is listed");
  CHECK_HR(e->Reset(), S_OK, "Reset");
  ComPtr<IEnumOLEVERB> clone;
  CHECK_HR(e->Clone(clone.put()), S_OK, "Clone");
  got = 0;
  CHECK_HR(clone->Next(1, v, &got), S_OK, "the clone enumerates");
  CoTaskMemFree(v[0].lpszVerbName);
}

}  // namespace

void bounds_checks() {
  ComPtr<IDispatch> d = create_boton();
  if (!d) return;
  extents(d.get());
  drawing_and_advise(d.get());
  verbs(d.get());
}

}  // namespace client
