// The control's design-time settings: what a host gives a new instance and its children before
// the first property event. Hosts call apply_design() once, right after creating the children.
#pragma once

#include "brelund/host.h"

namespace brelund::design {

inline constexpr float kWidth = 2955;  // twips: 197 x 57 pixels
inline constexpr float kHeight = 855;
inline constexpr int kTwipsPerPixel = 15;
inline constexpr OleColor kBackColor = static_cast<OleColor>(0x8000000F);  // button face
inline constexpr OleColor kForeColor = static_cast<OleColor>(0x80000012);  // button text
inline constexpr OleColor kMaskColor = 0x00FFFFFF;
inline constexpr const char* kCaption = "Bot\xC3\xB3n";
inline constexpr std::int32_t kTimerInterval = 100;

// Sets the surface colours, the caption, the picture box and the timer as the designer left them.
// The surface's extent is the host's to set (kWidth x kHeight for a newly placed button).
void apply_design(host::Services& s);

}  // namespace brelund::design
