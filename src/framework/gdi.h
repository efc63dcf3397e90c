// Owning wrappers for the GDI objects and image lists the dialogs create.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/text.h"
#include "platform/win32/scoped_handle.h"

namespace veltrano {

using ScopedFont = ScopedGdiObject;

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::ImageList_Destroy(h); }
};
using ScopedImageList = ScopedHandle<ImageListTraits>;

// A font of the given face at tenths of a point, for the screen (as CreatePointFont makes it).
HFONT CreatePointFont(int tenthsOfPoint, const Text& face);

}  // namespace veltrano
