// Numbers of the program's resources: the application icon, the icons of the dialog's buttons and
// the string table, with the functions that load them.
#pragma once

class QIcon;

constexpr int kIconApp = 128;         // film strip with a play triangle; the dialog's own icon
constexpr int kIconStop = 129;        // filled square
constexpr int kIconReverse = 130;     // triangle pointing left
constexpr int kIconStepBack = 131;    // triangle pointing left, bar on its right
constexpr int kIconOpen = 132;        // eject: triangle over a bar
constexpr int kIconPause = 133;       // two vertical bars
constexpr int kIconPlay = 134;        // triangle pointing right
constexpr int kIconStepForward = 135; // bar, triangle pointing right
constexpr int kIconSoundOn = 137;     // loudspeaker
constexpr int kIconSoundOff = 138;    // loudspeaker with a prohibition sign
constexpr int kIconSnapshot = 140;    // landscape picture

constexpr int kStringAbout = 101;
constexpr int kStringInvalidFile = 102;
constexpr int kStringReadFailed = 103;

// The text of a string resource; "" for a number the table does not hold. Needs no window code.
const char* LoadResourceString(int id);

// The icon drawn at its loaded size (16, 24 or 32 pixels; the application icon at 16 to 256), sharp
// at twice that size for high-density screens. A null icon for an unknown number. Include <QIcon>
// to call it.
QIcon LoadResourceIcon(int id);

