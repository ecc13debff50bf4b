// The verbs the control answers, for a container's menu and for IOleObject::EnumVerbs: its
// primary verb, which activates it, and the standard verbs DoVerb carries out.
#include "host/activex/enumerator.h"

namespace brelund::ax {

HRESULT enum_verbs(IUnknown& source, IEnumOLEVERB** out) {
  auto verb = [](LONG id, const wchar_t* name, DWORD attribs) {
    return OLEVERB{id, const_cast<LPOLESTR>(name), 0, attribs};
  };
  return make_enumerator<IEnumOLEVERB, OLEVERB>(
      source,
      {verb(OLEIVERB_PRIMARY, L"&Activate", OLEVERBATTRIB_ONCONTAINERMENU),
       verb(OLEIVERB_SHOW, L"&Show", 0), verb(OLEIVERB_INPLACEACTIVATE, L"Activate in &place", 0),
       verb(OLEIVERB_UIACTIVATE, L"Activate for &input", 0), verb(OLEIVERB_HIDE, L"&Hide", 0)},
      IID_IEnumOLEVERB, out);
}

}  // namespace brelund::ax
