// A modal dialog from the program's resources that is filled once and read
// back on OK: `fill` sets its fields; `take` reads them and answers whether
// they will do (when not, it has told the user why and the dialog stays
// open). Wide throughout, so that text in any script survives. Answers IDOK,
// IDCANCEL, or -1 when the dialog could not be made.
#pragma once

#include <windows.h>

#include <functional>

namespace velmora {

INT_PTR runFormDialog(HWND owner, int templateId, const std::function<void(HWND)>& fill,
                      const std::function<bool(HWND)>& take);

} // namespace velmora
