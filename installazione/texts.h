// The setup chooser's own texts, as Windows-1252 bytes.
#pragma once

#include <string_view>

namespace chooser::text {

inline constexpr std::string_view kTitle = "Installazione ";
inline constexpr std::string_view kCaption = "ORVANE srl Lumbrasca - INSTALLAZIONE";
inline constexpr std::string_view kChooseDrive = "Selezionare il drive contenente il CD";
inline constexpr std::string_view kInstallFolderNote =
    "n.b. accertarsi che la directory di installazione sia C:\\PROGRAMMI anzich\xE8 C:\\PROGRAM FILES";
inline constexpr std::string_view kClosingHint =
    "Dopo l'installazione per avviare il programma START - PROGRAMMI - ORVANE_(nomeprodotto)";

}  // namespace chooser::text
