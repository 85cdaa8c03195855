// Form1's layout as designed: one row per control, in twips (1/1440 inch).
#pragma once

#include "resource.h"

#include <windows.h>

namespace zvk {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

enum class ControlKind { HelpLabel, HelpText, PresetButton, Button };

inline constexpr bool IsButton(ControlKind kind) {
    return kind == ControlKind::PresetButton || kind == ControlKind::Button;
}

struct ControlRow {
    int id;
    ControlKind kind;
    const wchar_t* caption;  // not for the help text, which gets its text on its own
    TwipsRect twips;
};

inline constexpr wchar_t kForm1Title[] = L"ZVK Camera Mode";

inline constexpr int kClientWidthTwips = 3600;
inline constexpr int kClientHeightTwips = 4785;

// In tab order: creating the controls in this order is what makes Tab follow it.
inline constexpr ControlRow kForm1Controls[] = {
    // Never shown and never focused: screen readers name a text field after the label
    // created just before it.
    {IDC_TEXT1_LABEL, ControlKind::HelpLabel, L"Help", {120, 1200, 3375, 2415}},
    {IDC_TEXT1, ControlKind::HelpText, nullptr, {120, 1200, 3375, 2415}},
    {IDC_COMMAND1, ControlKind::PresetButton, L"ZVK Mode", {120, 3840, 1095, 375}},
    {IDC_COMMAND2, ControlKind::PresetButton, L"Car Mode", {1200, 3840, 1095, 375}},
    {IDC_COMMAND3, ControlKind::PresetButton, L"Zoom Mode", {2280, 3840, 1215, 375}},
    {IDC_COMMAND4, ControlKind::Button, L"About Me", {120, 4200, 1695, 375}},
    {IDC_COMMAND5, ControlKind::Button, L"Exit", {1800, 4200, 1695, 375}},
};

// The preset buttons, in the order of the presets.
inline constexpr int kPresetButtonIds[] = {IDC_COMMAND1, IDC_COMMAND2, IDC_COMMAND3};

// The one place where design units become pixels.
inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, int(dpi), 1440); }

inline RECT TwipsToPixels(const TwipsRect& twips, UINT dpi) {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return {left, top, left + TwipsToPixels(twips.width, dpi), top + TwipsToPixels(twips.height, dpi)};
}

inline SIZE ClientSizeInPixels(UINT dpi) {
    return {TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
}

}  // namespace zvk
