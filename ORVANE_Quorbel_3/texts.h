// The launcher's own texts, as Windows-1252 bytes.
#pragma once

#include <string_view>

namespace launcher::text {

inline constexpr std::string_view kTitle = "ORVANE_Quorbel_3";
inline constexpr std::string_view kCaption = "Orvane Lumbrasca";

}  // namespace launcher::text
