// What a newly placed Boton starts with before any property is loaded or set: its extent, its
// colours and caption, and the values its saved property set leaves out.
#pragma once

#include <cstdint>

#include "brelund/values.h"

namespace brelund::design {

inline constexpr float kWidth = 2955;  // twips: 197 x 57 pixels
inline constexpr float kHeight = 855;
inline constexpr OleColor kBackColor = static_cast<OleColor>(0x8000000F);  // button face
inline constexpr OleColor kForeColor = static_cast<OleColor>(0x80000012);  // button text
inline constexpr OleColor kMaskColor = 0x00FFFFFF;
inline constexpr const char* kCaption = "Bot\xC3\xB3n";
inline constexpr std::int32_t kRoundSize = 20;
inline constexpr std::int32_t kLight = 45;
inline constexpr std::int32_t kRoundness3D = 20;
inline constexpr std::int32_t kTimerInterval = 100;

}  // namespace brelund::design
