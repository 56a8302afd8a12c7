#pragma once
// The host program's recording-area and colour sub-commands. Each returns the program's exit code:
// 0 done, 1 cancelled or failed, 2 bad arguments.
#include <string>
#include <vector>

namespace host {

// select-area [--fixed X,Y,W,H]: a new area the user drags, or a W x H area the user moves.
int SelectArea(const std::vector<std::wstring>& args);
// flash X,Y,W,H [--thin] [--seconds N]: a blinking frame around the area, which the user may drag.
int Flash(const std::vector<std::wstring>& args);
// pick-color: the colour under the cursor where the user clicks, as #RRGGBB and as the COLORREF.
int PickColor();

}  // namespace host
