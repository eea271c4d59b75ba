#include "app/DialogTemplate.h"

#include <cstdlib>
#include <iterator>

namespace {

// Template order is tab order.
constexpr TemplateControl kMainControls[] = {
    {IDC_BUTTON_REVERSE, TemplateControlKind::kPushButton, "<", {7, 335, 26, 20}},
    {IDC_BUTTON_STEP_BACK, TemplateControlKind::kPushButton, "<|", {36, 335, 26, 20}},
    {IDC_BUTTON_PAUSE, TemplateControlKind::kPushButton, "||", {65, 335, 26, 20}},
    {IDC_BUTTON_STEP_FORWARD, TemplateControlKind::kPushButton, "|>", {94, 335, 26, 20}},
    {IDC_BUTTON_PLAY, TemplateControlKind::kPushButton, ">", {123, 335, 26, 20}},
    {IDC_BUTTON_STOP, TemplateControlKind::kPushButton, "STOP", {152, 335, 26, 20}},
    {IDC_BUTTON_OPEN, TemplateControlKind::kPushButton, "OPEN", {371, 335, 26, 20}},
    {IDC_SLIDER_POSITION, TemplateControlKind::kTrackbar, "", {7, 311, 241, 15}},
    {IDC_COMBO_SPEED, TemplateControlKind::kDropDownList, "", {184, 338, 64, 64}},
    {IDC_SLIDER_VOLUME, TemplateControlKind::kTrackbar, "", {328, 312, 74, 15}},
    {IDC_BUTTON_MUTE, TemplateControlKind::kPushButton, "Button2", {310, 312, 20, 16}},
    {IDC_CHECK_ORIGINAL_SIZE, TemplateControlKind::kCheckBox, "Original Size", {312, 340, 55, 10}},
    {IDC_BUTTON_SNAPSHOT, TemplateControlKind::kPushButton, "SnapShot", {258, 319, 31, 26}},
};

constexpr TemplateControl kAboutControls[] = {
    {IDC_STATIC, TemplateControlKind::kStaticIcon, "", {14, 14, 21, 20}},
    {IDC_STATIC, TemplateControlKind::kStaticText, "KvrPlayer, Version ", {42, 14, 114, 8}},
    {IDOK, TemplateControlKind::kDefaultPushButton, "OK", {113, 41, 50, 14}},
};

constexpr DialogTemplate kMainDialog = {
    IDD_KVRPLAYER_DIALOG, "KVR Player", 484, 362, kMainControls, static_cast<int32_t>(std::size(kMainControls)),
};

constexpr DialogTemplate kAboutDialog = {
    IDD_ABOUTBOX, "About KvrPlayer", 170, 62, kAboutControls, static_cast<int32_t>(std::size(kAboutControls)),
};

}  // namespace

const DialogTemplate& MainDialogTemplate()
{
    return kMainDialog;
}

const DialogTemplate& AboutDialogTemplate()
{
    return kAboutDialog;
}

const TemplateControl* FindTemplateControl(const DialogTemplate& dialog, int32_t id)
{
    for (int32_t i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == id) {
            return &dialog.controls[i];
        }
    }
    return nullptr;
}

int32_t ScaleDialogUnits(int32_t units, int32_t base, int32_t divisor)
{
    if (divisor == 0) {
        return 0;
    }
    const int64_t product = static_cast<int64_t>(units) * base;
    const int64_t half = divisor / 2;
    const int64_t magnitude = (std::llabs(product) + half) / divisor;
    return static_cast<int32_t>(product < 0 ? -magnitude : magnitude);
}

PixelRect DialogRectToPixels(const DialogUnitRect& rect, const DialogBaseUnits& base)
{
    return PixelRect{ScaleDialogUnits(rect.x, base.x, 4), ScaleDialogUnits(rect.y, base.y, 8),
                     ScaleDialogUnits(rect.width, base.x, 4), ScaleDialogUnits(rect.height, base.y, 8)};
}

DialogBaseUnits BaseUnitsFromLetters(int32_t lettersWidth, int32_t characterHeight)
{
    // The average over 52 letters, rounded to the nearest pixel.
    return DialogBaseUnits{(lettersWidth / 26 + 1) / 2, characterHeight};
}
