#pragma once
// The keys of the settings store, declared once, and the registered defaults in their
// fixed order. The texts are what the settings file holds: never change one.

#include "platform/UserDefaults.h"

#include <QString>

#include <vector>

namespace quillum::setting {

inline constexpr char TableBackgroundColor[] = "TableBackgroundColor";
inline constexpr char EmptyDocumentFlag[] = "EmptyDocumentFlag";
inline constexpr char OutputWidthInteger[] = "OutputWidthInteger";
inline constexpr char FixedOutputWidthFlag[] = "FixedOutputWidthFlag";
inline constexpr char OutputHeightInteger[] = "OutputHeightInteger";
inline constexpr char FixedOutputHeightFlag[] = "FixedOutputHeightFlag";
inline constexpr char OutputAutolevelsFlag[] = "OutputAutolevelsFlag";
inline constexpr char OutputText1Flag[] = "OutputText1Flag";
inline constexpr char OutputBordersFlag[] = "OutputBordersFlag";
inline constexpr char OpenLastFileOnAppLaunch[] = "OpenLastFileOnAppLaunch";
inline constexpr char OutputFileTypeInteger[] = "OutputFileTypeInteger";
inline constexpr char InputFolderString[] = "InputFolderString";
inline constexpr char OutputFolderString[] = "OutputFolderString";
inline constexpr char OutputSpecialFolderString[] = "OutputSpecialFolderString";
inline constexpr char JpegQualityInteger[] = "JpegQualityInteger";
inline constexpr char OutputSaveWithEXIF[] = "OutputSaveWithEXIF";
inline constexpr char OutputSavingLandscpe[] = "OutputSavingLandscpe";
inline constexpr char LosslessWhenPossible[] = "LosslessWhenPossible";
inline constexpr char OnOpeningMaxAndNewAspect[] = "OnOpeningMaxAndNewAspect";
inline constexpr char NoTransparencyChannel[] = "NoTransparencyChannel";
inline constexpr char OutputFileRuleInteger[] = "OutputFileRuleInteger";
inline constexpr char LastSavedFileNameString[] = "LastSavedFileNameString";
inline constexpr char InitialCustomOutputFileName[] = "InitialCustomOutputFileName";
inline constexpr char CompositionGuidesType[] = "CompositionGuidesType";
inline constexpr char CompositionGuidesStyle[] = "CompositionGuidesStyle";
inline constexpr char ZentCroppingFrameStyle[] = "ZentCroppingFrameStyle";
inline constexpr char CompositionGuidesColor[] = "CompositionGuidesColor";
inline constexpr char OnFileOpeningMaximize[] = "OnFileOpeningMaximize";
inline constexpr char OnFileOpeningMargin[] = "OnFileOpeningMargin";
inline constexpr char PlaySoundOnSave[] = "PlaySoundOnSave";
inline constexpr char AdvanceToNextOnCrop[] = "AdvanceToNextOnCrop";
inline constexpr char UseEXIfRotation[] = "UseEXIfRotation";
inline constexpr char Border1Color[] = "Border1Color";
inline constexpr char ShowBorder1[] = "ShowBorder1";
inline constexpr char Border1OffsetTop[] = "Border1OffsetTop";
inline constexpr char Border1OffsetBottom[] = "Border1OffsetBottom";
inline constexpr char Border1OffsetLeft[] = "Border1OffsetLeft";
inline constexpr char Border1OffsetRight[] = "Border1OffsetRight";
inline constexpr char Border1PenSize[] = "Border1PenSize";
inline constexpr char Border1PenOpaque[] = "Border1PenOpaque";
inline constexpr char Border2Color[] = "Border2Color";
inline constexpr char ShowBorder2[] = "ShowBorder2";
inline constexpr char Border2OffsetTop[] = "Border2OffsetTop";
inline constexpr char Border2OffsetBottom[] = "Border2OffsetBottom";
inline constexpr char Border2OffsetLeft[] = "Border2OffsetLeft";
inline constexpr char Border2OffsetRight[] = "Border2OffsetRight";
inline constexpr char Border2PenSize[] = "Border2PenSize";
inline constexpr char Border2PenOpaque[] = "Border2PenOpaque";
inline constexpr char Border3Color[] = "Border3Color";
inline constexpr char ShowBorder3[] = "ShowBorder3";
inline constexpr char Border3OffsetTop[] = "Border3OffsetTop";
inline constexpr char Border3OffsetBottom[] = "Border3OffsetBottom";
inline constexpr char Border3OffsetLeft[] = "Border3OffsetLeft";
inline constexpr char Border3OffsetRight[] = "Border3OffsetRight";
inline constexpr char Border3PenSize[] = "Border3PenSize";
inline constexpr char Border3PenOpaque[] = "Border3PenOpaque";
inline constexpr char ShowCaption1[] = "ShowCaption1";
inline constexpr char Caption1Layout[] = "Caption1Layout";
inline constexpr char Caption1XOffset[] = "Caption1XOffset";
inline constexpr char Caption1YOffset[] = "Caption1YOffset";
inline constexpr char Caption1Size[] = "Caption1Size";
inline constexpr char Caption1Text[] = "Caption1Text";
inline constexpr char Caption1Outlined[] = "Caption1Outlined";
inline constexpr char Caption1Opaque[] = "Caption1Opaque";
inline constexpr char ShowCaption2[] = "ShowCaption2";
inline constexpr char Caption2Layout[] = "Caption2Layout";
inline constexpr char Caption2XOffset[] = "Caption2XOffset";
inline constexpr char Caption2YOffset[] = "Caption2YOffset";
inline constexpr char Caption2Size[] = "Caption2Size";
inline constexpr char Caption2Text[] = "Caption2Text";
inline constexpr char Caption2Outlined[] = "Caption2Outlined";
inline constexpr char Caption2Opaque[] = "Caption2Opaque";
inline constexpr char Caption1FontName[] = "Caption1FontName";
inline constexpr char Caption2FontName[] = "Caption2FontName";
inline constexpr char Caption1TextColor[] = "Caption1TextColor";
inline constexpr char Caption1OutlineColor[] = "Caption1OutlineColor";
inline constexpr char Caption2TextColor[] = "Caption2TextColor";
inline constexpr char Caption2OutlineColor[] = "Caption2OutlineColor";
inline constexpr char ShowLogoImage[] = "ShowLogoImage";
inline constexpr char LlogoFileName[] = "LlogoFileName";
inline constexpr char LogoWidthValue[] = "LogoWidthValue";
inline constexpr char LogoHeightValue[] = "LogoHeightValue";
inline constexpr char LogoProportionalResize[] = "LogoProportionalResize";
inline constexpr char LogoOffsetXValue[] = "LogoOffsetXValue";
inline constexpr char LogoOffsetYValue[] = "LogoOffsetYValue";
inline constexpr char LogoLocationValue[] = "LogoLocationValue";
inline constexpr char LogoOpaqueValue[] = "LogoOpaqueValue";
inline constexpr char resizerControllerW01[] = "resizerControllerW01";
inline constexpr char resizerControllerW02[] = "resizerControllerW02";
inline constexpr char resizerControllerW03[] = "resizerControllerW03";
inline constexpr char resizerControllerW04[] = "resizerControllerW04";
inline constexpr char resizerControllerW05[] = "resizerControllerW05";
inline constexpr char resizerControllerW06[] = "resizerControllerW06";
inline constexpr char resizerControllerW07[] = "resizerControllerW07";
inline constexpr char resizerControllerW08[] = "resizerControllerW08";
inline constexpr char resizerControllerW09[] = "resizerControllerW09";
inline constexpr char resizerControllerW10[] = "resizerControllerW10";
inline constexpr char resizerControllerH01[] = "resizerControllerH01";
inline constexpr char resizerControllerH02[] = "resizerControllerH02";
inline constexpr char resizerControllerH03[] = "resizerControllerH03";
inline constexpr char resizerControllerH04[] = "resizerControllerH04";
inline constexpr char resizerControllerH05[] = "resizerControllerH05";
inline constexpr char resizerControllerH06[] = "resizerControllerH06";
inline constexpr char resizerControllerH07[] = "resizerControllerH07";
inline constexpr char resizerControllerH08[] = "resizerControllerH08";
inline constexpr char resizerControllerH09[] = "resizerControllerH09";
inline constexpr char resizerControllerH10[] = "resizerControllerH10";

// Keys without a registered default.
inline constexpr char ZentRecentImagesArray[] = "ZentRecentImagesArray";
inline constexpr char ZentRecentInPathArray[] = "ZentRecentInPathArray";
inline constexpr char ZentRecentOutPathArray[] = "ZentRecentOutPathArray";
inline constexpr char ZentMySavedPresetsArray[] = "ZentMySavedPresetsArray";
inline constexpr char ZentMainScreenSizeWidth[] = "ZentMainScreenSizeWidth";
inline constexpr char ZentMainScreenSizeHeight[] = "ZentMainScreenSizeHeight";
inline constexpr char ZentMainScreenOriginX[] = "ZentMainScreenOriginX";
inline constexpr char ZentMainScreenOriginY[] = "ZentMainScreenOriginY";
inline constexpr char ZentMainScreenLeftPicWidth[] = "ZentMainScreenLeftPicWidth";
inline constexpr char ZentMainScreenRightPicWidth[] = "ZentMainScreenRightPicWidth";

// Frame names of the set-up panels.
inline constexpr char resizerWindowFrameName[] = "resizerWindowFrameName";
inline constexpr char captionSetupWindowFrameName[] = "captionSetupWindowFrameName";
inline constexpr char borderSetupWindowFrameName[] = "borderSetupWindowFrameName";
inline constexpr char logoSetupWindowFrameName[] = "logoSetupWindowFrameName";

// The default text of the second caption: the maker's web address.
inline constexpr char kCaption2DefaultText[] = "https://lorvane.example.org/";

// The registered defaults, in their fixed order. `homeFolder` is what "~/" expands to;
// `standardFontName` names the standard interface font at its standard size.
std::vector<UserDefaults::Default> registeredDefaults(const QString& homeFolder, const QString& standardFontName);

} // namespace quillum::setting
