#pragma once

#include "resources/dialog_template.h"

namespace pelldrake {

// Initial settings and version (template 100).
const DialogTemplate& InitialSettingsTemplate();
// Bulk classification by conditions (template 107).
const DialogTemplate& AutoClassifyTemplate();

namespace ids {
// Template 100
inline constexpr int kUseCurrentDirectory = 1407;
inline constexpr int kSmallLayout = 1408; // … 1410, in layout order
inline constexpr int kUseBrowser = 1411;
inline constexpr int kDeleteThumbDb = 1412;

// Template 107
inline constexpr int kFromAllLists = 1233;
inline constexpr int kFromOneList = 1234;
inline constexpr int kSourceList = 1235;
inline constexpr int kToUnclassified = 1236;
inline constexpr int kToChosenList = 1237;
inline constexpr int kTargetList = 1238;
inline constexpr int kNameFilterOn = 1239;
inline constexpr int kNameFilter = 1240;
inline constexpr int kLowerBoundOn = 1241;
inline constexpr int kLowerBound = 1242;
inline constexpr int kUpperBoundOn = 1243;
inline constexpr int kUpperBound = 1244;
inline constexpr int kFromDate = 1245;
inline constexpr int kFromDateOn = 1246;
inline constexpr int kUntilDate = 1247;
inline constexpr int kUntilDateOn = 1248;
inline constexpr int kRatingFilterOn = 1249;
inline constexpr int kRatingFilter = 1250;
inline constexpr int kLabelFilterOn = 1251;
inline constexpr int kLabelFilter = 1252;
} // namespace ids

} // namespace pelldrake
