#pragma once
// The keys under which the controller announces its changes (KeyValueObservable), declared
// once: a mistyped key would leave a widget silently stale.

namespace quillum::key {

inline constexpr const char aspectFields[] = "aspectFields";
inline constexpr const char autoLevelsIsLocked[] = "autoLevelsIsLocked";
inline constexpr const char autoLevelsIsOn[] = "autoLevelsIsOn";
inline constexpr const char blueValue[] = "blueValue";
inline constexpr const char compositionGuidesMenuMarkedTag[] = "compositionGuidesMenuMarkedTag";
inline constexpr const char contrastValue[] = "contrastValue";
inline constexpr const char currentInputPath[] = "currentInputPath";
inline constexpr const char currentOutputFileName[] = "currentOutputFileName";
inline constexpr const char currentOutputFileType[] = "currentOutputFileType";
inline constexpr const char currentOutputPath[] = "currentOutputPath";
inline constexpr const char currentSpecialOutputPath[] = "currentSpecialOutputPath";
inline constexpr const char dontShowCropFlag[] = "dontShowCropFlag";
inline constexpr const char draggedFileName[] = "draggedFileName";
inline constexpr const char fileCounter[] = "fileCounter";
inline constexpr const char flipHorizontal[] = "flipHorizontal";
inline constexpr const char flipVertical[] = "flipVertical";
inline constexpr const char fullScreenGeometry[] = "fullScreenGeometry";
inline constexpr const char fullScreenImage[] = "fullScreenImage";
inline constexpr const char fullScreenIsOpen[] = "fullScreenIsOpen";
inline constexpr const char gammaValue[] = "gammaValue";
inline constexpr const char greenValue[] = "greenValue";
inline constexpr const char imageInfo[] = "imageInfo";
inline constexpr const char initialCustomOutputFileName[] = "initialCustomOutputFileName";
inline constexpr const char invertIsOn[] = "invertIsOn";
inline constexpr const char lastRotation[] = "lastRotation";
inline constexpr const char leftPanelGeometry[] = "leftPanelGeometry";
inline constexpr const char losslessWhenPossible[] = "losslessWhenPossible";
inline constexpr const char navigationButtons[] = "navigationButtons";
inline constexpr const char onOpeningMargine[] = "onOpeningMargine";
inline constexpr const char onOpeningMaximizeSelection[] = "onOpeningMaximizeSelection";
inline constexpr const char operationTimeLabel[] = "operationTimeLabel";
inline constexpr const char outPict[] = "outPict";
inline constexpr const char outputPreview[] = "outputPreview";
inline constexpr const char outputFileRule[] = "outputFileRule";
inline constexpr const char outputFileSavedLabelHidden[] = "outputFileSavedLabelHidden";
inline constexpr const char outputHeighVal[] = "outputHeighVal";
inline constexpr const char outputHeightFieldEnabled[] = "outputHeightFieldEnabled";
inline constexpr const char outputHeightIsFixed[] = "outputHeightIsFixed";
inline constexpr const char outputModeTag[] = "outputModeTag";
inline constexpr const char outputSizeUnproportionalStretch[] = "outputSizeUnproportionalStretch";
inline constexpr const char outputWidthFieldEnabled[] = "outputWidthFieldEnabled";
inline constexpr const char outputWidthIsFixed[] = "outputWidthIsFixed";
inline constexpr const char outputWidthVal[] = "outputWidthVal";
inline constexpr const char pictureCorrectionIsOn[] = "pictureCorrectionIsOn";
inline constexpr const char quickResizeHeightCase[] = "quickResizeHeightCase";
inline constexpr const char quickResizeWidthCase[] = "quickResizeWidthCase";
inline constexpr const char recentImages[] = "recentImages";
inline constexpr const char recentInFolders[] = "recentInFolders";
inline constexpr const char recentOutFolders[] = "recentOutFolders";
inline constexpr const char redValue[] = "redValue";
inline constexpr const char rightPanelScale[] = "rightPanelScale";
inline constexpr const char rotationButtonImages[] = "rotationButtonImages";
inline constexpr const char savedLabelText[] = "savedLabelText";
inline constexpr const char cropperStyle[] = "cropperStyle";
inline constexpr const char guidesStyle[] = "guidesStyle";
inline constexpr const char customLineColor[] = "customLineColor";
inline constexpr const char openLastFileOnAppLaunch[] = "openLastFileOnAppLaunch";
inline constexpr const char rotationField[] = "rotationField";
inline constexpr const char rotationThumbnails[] = "rotationThumbnails";
inline constexpr const char scaleSlider[] = "scaleSlider";
inline constexpr const char sharpenLevel[] = "sharpenLevel";
inline constexpr const char temporaryPath[] = "temporaryPath";
inline constexpr const char windowTitle[] = "windowTitle";
inline constexpr const char xMoveSliderMax[] = "xMoveSliderMax";
inline constexpr const char xSliderMoverMax[] = "xSliderMoverMax";
inline constexpr const char yMoveSliderMax[] = "yMoveSliderMax";

// Any caption, border or logo setting, the master check boxes included.
inline constexpr const char decorations[] = "decorations";
// The logo well's image or the logo panel's file name.
inline constexpr const char logoImage[] = "logoImage";
// The preset library's entries (the presets panel reloads its table).
inline constexpr const char mySavedPresets[] = "mySavedPresets";
// The presets panel's selected row and the details shown for it.
inline constexpr const char myPresetsSelection[] = "myPresetsSelection";
// The naming sheet: its remember boxes, name and details.
inline constexpr const char newPresetSheet[] = "newPresetSheet";
// Another picture (or none) became the source; a turn of the same picture is not one.
inline constexpr const char sourcePicture[] = "sourcePicture";
// Any of the twenty quick-resize sizes.
inline constexpr const char quickResizeSizes[] = "quickResizeSizes";

} // namespace quillum::key
