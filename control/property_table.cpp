#include "control/property_table.h"

#include <array>
#include <cctype>

#include "brelund/design.h"
#include "control/convert.h"

namespace brelund {

namespace {

using convert::to_bool;
using convert::to_font;
using convert::to_int16;
using convert::to_int32;
using convert::to_picture;
using convert::to_string;

Variant no_object(host::Surface&) { return PictureRef{}; }

constexpr MemberKind P = MemberKind::property;
constexpr MemberKind M = MemberKind::method;

const std::array<Member, 16> kMembers{{
    {MemberId::Caption, "Caption", 0x6803000C, P, ValueType::string, false,
     [](Boton& b) -> Variant { return b.Caption(); },
     [](Boton& b, const Variant& v) { b.set_Caption(to_string(v)); }, nullptr,
     [](host::Surface&) -> Variant { return std::string(design::kCaption); }},
    {MemberId::Enabled, "Enabled", 0x6803000B, P, ValueType::boolean, false,
     [](Boton& b) -> Variant { return b.Enabled() != 0; },
     [](Boton& b, const Variant& v) { b.set_Enabled(to_bool(v)); }, nullptr,
     [](host::Surface&) -> Variant { return true; }},
    {MemberId::Font, "Font", 0x6803000A, P, ValueType::font, true,
     [](Boton& b) -> Variant { return b.Font(); },
     [](Boton& b, const Variant& v) { b.set_Font(to_font(v)); }, nullptr,
     [](host::Surface& s) -> Variant { return s.ambient_font(); }},
    {MemberId::MouseIcon, "MouseIcon", 0x68030009, P, ValueType::picture, true,
     [](Boton& b) -> Variant { return b.MouseIcon(); },
     [](Boton& b, const Variant& v) { b.set_MouseIcon(to_picture(v)); }, nullptr, no_object},
    {MemberId::MousePointer, "MousePointer", 0x68030008, P, ValueType::int16, false,
     [](Boton& b) -> Variant { return b.MousePointer(); },
     [](Boton& b, const Variant& v) { b.set_MousePointer(to_int16(v)); }, nullptr,
     [](host::Surface&) -> Variant { return std::int16_t{0}; }},
    {MemberId::Picture, "Picture", 0x68030007, P, ValueType::picture, true,
     [](Boton& b) -> Variant { return b.Picture(); },
     [](Boton& b, const Variant& v) { b.set_Picture(to_picture(v)); }, nullptr, no_object},
    {MemberId::Refresh, "Refresh", 0x60030028, M, ValueType::none, false, nullptr, nullptr,
     [](Boton& b) { b.Refresh(); }, nullptr},
    {MemberId::BackColor, "BackColor", 0x68030006, P, ValueType::ole_color, false,
     [](Boton& b) -> Variant { return b.BackColor(); },
     [](Boton& b, const Variant& v) { b.set_BackColor(to_int32(v)); }, nullptr,
     [](host::Surface&) -> Variant { return design::kBackColor; }},
    {MemberId::ForeColor, "ForeColor", 0x68030005, P, ValueType::ole_color, false,
     [](Boton& b) -> Variant { return b.ForeColor(); },
     [](Boton& b, const Variant& v) { b.set_ForeColor(to_int32(v)); }, nullptr,
     [](host::Surface&) -> Variant { return design::kForeColor; }},
    {MemberId::RoundSize, "RoundSize", 0x68030004, P, ValueType::int32, false,
     [](Boton& b) -> Variant { return b.RoundSize(); },
     [](Boton& b, const Variant& v) { b.set_RoundSize(to_int32(v)); }, nullptr,
     [](host::Surface&) -> Variant { return design::kRoundSize; }},
    {MemberId::Light, "Light", 0x68030003, P, ValueType::int32, false,
     [](Boton& b) -> Variant { return b.Light(); },
     [](Boton& b, const Variant& v) { b.set_Light(to_int32(v)); }, nullptr,
     [](host::Surface&) -> Variant { return design::kLight; }},
    {MemberId::ToolTipText, "ToolTipText", 0x68030002, P, ValueType::string, false,
     [](Boton& b) -> Variant { return b.ToolTipText(); },
     [](Boton& b, const Variant& v) { b.set_ToolTipText(to_string(v)); }, nullptr,
     [](host::Surface&) -> Variant { return std::string(); }},
    {MemberId::BackColorOriginal, "BackColorOriginal", 0x6003002E, M, ValueType::int32, false,
     [](Boton& b) -> Variant { return b.BackColorOriginal(); }, nullptr, nullptr, nullptr},
    {MemberId::CreaNuevaRegion, "CreaNuevaRegion", 0x6003002F, M, ValueType::none, false, nullptr,
     nullptr, [](Boton& b) { b.CreaNuevaRegion(); }, nullptr},
    {MemberId::CreateRegion, "CreateRegion", 0x68030001, P, ValueType::boolean, false,
     [](Boton& b) -> Variant { return b.CreateRegion() != 0; },
     [](Boton& b, const Variant& v) { b.set_CreateRegion(to_bool(v)); }, nullptr,
     [](host::Surface&) -> Variant { return true; }},
    {MemberId::Roundness3D, "Roundness3D", 0x68030000, P, ValueType::int32, false,
     [](Boton& b) -> Variant { return b.Roundness3D(); },
     [](Boton& b, const Variant& v) { b.set_Roundness3D(to_int32(v)); }, nullptr,
     [](host::Surface&) -> Variant { return design::kRoundness3D; }},
}};

}  // namespace

std::span<const Member> members() { return kMembers; }

const Member& member(MemberId id) { return kMembers[static_cast<std::size_t>(id)]; }

const Member* find_member(std::string_view name) {
  for (const Member& m : kMembers)
    if (convert::iequals(m.name, name)) return &m;
  return nullptr;
}

}  // namespace brelund
