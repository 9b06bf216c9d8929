// The window as designed: geometry in twips, colours, fonts and the fixed
// texts. The rules build their element model from it and the Qt view draws
// from the same numbers, so the two cannot drift apart.
#pragma once

#include "core/elements.h"

#include <QKeyCombination>
#include <QStringView>

#include <cstdint>

namespace skyquill::design {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerPoint = 20;

inline constexpr int kClientWidth = 4350;
inline constexpr int kClientHeight = 8475;

inline constexpr Box kWordBox{240, 120, 3855, 495};
inline constexpr Box kPausedBox{240, 600, 3855, 600};
inline constexpr Box kScoreBox{3600, 7800, 615, 495};
inline constexpr Box kEntryBox{120, 7800, 3375, 495};

// Ground line from (0, 7560) to (4320, 7560), 5 pixels thick.
inline constexpr int kLineX1 = 0;
inline constexpr int kLineX2 = 4320;
inline constexpr int kLineY = 7560;
inline constexpr int kLinePixels = 5;

inline constexpr std::int32_t kDesignInterval = 10;

// The play: a word is put up at a top of whole twips from kTopFirst to
// kTopLast and ticks every 1 to kIntervalLast ms; each tick drops it
// kDropStep, and at kBottom it has landed. The tenth point wins.
inline constexpr int kTopFirst = 120;
inline constexpr int kTopLast = 3719;
inline constexpr std::int32_t kIntervalLast = 25;
inline constexpr float kDropStep = 30.0F;
inline constexpr float kBottom = 7230.0F;
inline constexpr int kWinScore = 10;

struct Rgb {
    int r;
    int g;
    int b;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kLightGreen{128, 255, 128};

// Point sizes; the view turns them into pixels at the twips' 96 dots per
// inch so text keeps its proportion to the boxes on any screen. Labels read
// from the top of their box, centred across it; the entry box centres its
// text both ways.
inline constexpr double kWordPoints = 13.5;
inline constexpr double kEntryPoints = 13.5;
inline constexpr double kPausedPoints = 24.0;
inline constexpr double kScorePoints = 18.0;
inline constexpr Qt::Alignment kLabelAlignment = Qt::AlignHCenter | Qt::AlignTop;
inline constexpr Qt::Alignment kEntryAlignment = Qt::AlignCenter;

inline constexpr QStringView kWindowCaption = u" Tamsley's Skyquill Game";
inline constexpr QStringView kWordCaption = u"Word Goes Here";
inline constexpr QStringView kPausedCaption = u"Game Paused";
inline constexpr QStringView kScoreCaption = u"0";

inline constexpr QStringView kFileMenu = u"&File";
inline constexpr QStringView kHelpMenu = u"&Help";
inline constexpr QStringView kNewGame = u"&New Game";
inline constexpr QStringView kPauseGame = u"&Pause Game";
inline constexpr QStringView kUnpauseGame = u"&Unpause Game";
inline constexpr QStringView kExit = u"Exit";
inline constexpr QStringView kRules = u"Rules";
inline constexpr QStringView kAbout = u"About";
inline constexpr QKeyCombination kNewGameKey = Qt::CTRL | Qt::Key_N;
inline constexpr QKeyCombination kPauseGameKey = Qt::CTRL | Qt::Key_P;
inline constexpr QKeyCombination kExitKey = Qt::CTRL | Qt::Key_X;
inline constexpr QKeyCombination kRulesKey = Qt::CTRL | Qt::Key_R;
inline constexpr QKeyCombination kAboutKey = Qt::CTRL | Qt::Key_A;

inline constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace skyquill::design
