// The program's pictures from its SVG resources: the application and document icons, the 15
// progress icons (all blue to all yellow) and the tool-bar pictures. A picture missing from the
// resources gives a null icon, never a failure.
#pragma once
#include <QIcon>

inline constexpr int kProgressIconCount = 15;

// The double arrow, all yellow: the main window's icon while no checksum pass shows progress.
[[nodiscard]] QIcon VemoAppIcon();
[[nodiscard]] QIcon VemoDocumentIcon();
// step 0 (all blue) to 14; any other step gives the application icon, which is the full picture.
[[nodiscard]] QIcon VemoProgressIcon(int step);
// The tool-bar picture of that name (":/toolbar/<name>.svg"); null for an empty name.
[[nodiscard]] QIcon VemoToolBarIcon(const char* name);
