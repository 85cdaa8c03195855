// Parts of Form1Look left out, for the builds of the same-look floor that say what each part
// costs: included before Form1Look's own source, it answers the call that makes the part as
// a system would that lacks it, so that the look's code runs otherwise unchanged.
#pragma once

#include <windows.h>

namespace zvk::bench {

#if defined(ZVK_LOOK_WITHOUT_HELP_FONT)
// The help text in the edit's own font: no font of the look's making.
inline HFONT CreateFontWithout(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                               LPCWSTR) {
    return nullptr;
}
#define CreateFontW zvk::bench::CreateFontWithout
#elif defined(ZVK_LOOK_WITH_HELP_FACE)
// The help font as designed in every other respect, in a face the system has
// (ZVK_LOOK_WITH_HELP_FACE names it): what a missing face costs.
inline HFONT CreateFontInAnotherFace(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                     DWORD underline, DWORD strikeOut, DWORD charSet, DWORD precision,
                                     DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR) {
    return CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet, precision,
                       clipPrecision, quality, pitchAndFamily, ZVK_LOOK_WITH_HELP_FACE);
}
#define CreateFontW zvk::bench::CreateFontInAnotherFace
#endif

#if defined(ZVK_LOOK_WITHOUT_BUTTON_FONT)
// The buttons in their own font: no message font of the look's making.
inline HFONT CreateFontIndirectWithout(const LOGFONTW*) { return nullptr; }
#define CreateFontIndirectW zvk::bench::CreateFontIndirectWithout
#endif

#if defined(ZVK_LOOK_WITHOUT_BANNER) || defined(ZVK_LOOK_WITHOUT_ICONS)
// The banner or the icons missing from the resources: nothing loaded, nothing drawn.
inline HANDLE LoadImageWithout(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
#if defined(ZVK_LOOK_WITHOUT_BANNER)
    if (type == IMAGE_BITMAP) return nullptr;
#else
    if (type == IMAGE_ICON) return nullptr;
#endif
    return LoadImageW(instance, name, type, width, height, flags);
}
#define LoadImageW zvk::bench::LoadImageWithout
#endif

}  // namespace zvk::bench
