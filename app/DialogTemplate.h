// The dialog templates of the program: each dialog's size and its controls' ids, kinds, texts
// and geometry in dialog units, and the conversion of dialog units to pixels with the base
// units of the dialog's font (a quarter of the average character width across, an eighth of the
// character height down).
#pragma once

#include <cstdint>

enum class TemplateControlKind {
    kPushButton,
    kDefaultPushButton,
    kTrackbar,
    kDropDownList,
    kCheckBox,
    kStaticText,
    kStaticIcon,
};

struct DialogUnitRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct TemplateControl {
    int32_t id;
    TemplateControlKind kind;
    const char* text;
    DialogUnitRect rect;
};

struct DialogTemplate {
    int32_t id;
    const char* caption;
    int32_t width;    // client area, dialog units
    int32_t height;
    const TemplateControl* controls;
    int32_t controlCount;
};

// Ids of the main dialog's controls.
constexpr int32_t IDC_BUTTON_REVERSE = 1000;
constexpr int32_t IDC_BUTTON_STEP_BACK = 1001;
constexpr int32_t IDC_BUTTON_PAUSE = 1002;
constexpr int32_t IDC_BUTTON_STEP_FORWARD = 1003;
constexpr int32_t IDC_BUTTON_PLAY = 1004;
constexpr int32_t IDC_BUTTON_OPEN = 1005;
constexpr int32_t IDC_BUTTON_STOP = 1006;
constexpr int32_t IDC_SLIDER_POSITION = 1008;
constexpr int32_t IDC_COMBO_SPEED = 1009;
constexpr int32_t IDC_SLIDER_VOLUME = 1013;
constexpr int32_t IDC_BUTTON_MUTE = 1014;
constexpr int32_t IDC_CHECK_ORIGINAL_SIZE = 1015;
constexpr int32_t IDC_BUTTON_SNAPSHOT = 1016;
constexpr int32_t IDC_STATIC = -1;
constexpr int32_t IDOK = 1;

constexpr int32_t IDD_ABOUTBOX = 100;
constexpr int32_t IDD_KVRPLAYER_DIALOG = 102;

// Template 102, the main dialog; template 100, the about box. The about box's version line is
// completed by its dialog.
const DialogTemplate& MainDialogTemplate();
const DialogTemplate& AboutDialogTemplate();
// The control of `id` in `dialog`, or null.
const TemplateControl* FindTemplateControl(const DialogTemplate& dialog, int32_t id);

// The dialog font's base units: average character width and character height in pixels.
struct DialogBaseUnits {
    int32_t x;
    int32_t y;
};

struct PixelRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// units x base / divisor, rounded to the nearest pixel, halves away from zero.
int32_t ScaleDialogUnits(int32_t units, int32_t base, int32_t divisor);
// Each of x and width in quarters of the base width, y and height in eighths of the base height.
PixelRect DialogRectToPixels(const DialogUnitRect& rect, const DialogBaseUnits& base);
// The base width from the width in pixels of the 52 letters "A" to "Z" and "a" to "z", rounded
// as the platform the templates were made for rounds it; the height as it is.
DialogBaseUnits BaseUnitsFromLetters(int32_t lettersWidth, int32_t characterHeight);
