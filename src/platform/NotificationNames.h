#pragma once
// The names of the notifications views and the controller exchange, declared once. The
// texts are fixed: stored nowhere, but tests and any future plug-in match them exactly.

#include <QString>

namespace quillum::notification {

// Posted by the crop view.
inline const QString SelRectDidChange = QStringLiteral("SelRectDidChangeNotification");
// Each step of a gesture that moves or resizes the frame (the finished gesture posts
// SelRectDidChange once).
inline const QString SelRectIsMoving = QStringLiteral("SelRectIsMovingNotification");
inline const QString SelRectDidRotation = QStringLiteral("SelRectDidRotationNotification");
inline const QString CropperWasDoubleClicked = QStringLiteral("CropperWasDoubleClicked");
inline const QString CropperEndsLiveResize = QStringLiteral("CropperEndsLiveResize");
inline const QString InputFileWasDoppedIntoWell = QStringLiteral("InputFileWasDoppedIntoWell");
inline const QString GoToNextImageCommand = QStringLiteral("GoToNextImageCommand");
inline const QString GoToPrevImageCommand = QStringLiteral("GoToPrevImageCommand");
// Posted by the controller once it has taken a dropped picture.
inline const QString InputFileWasProcessedByController = QStringLiteral("InputFileWasProcessedByController");
// Posted by the output view when a drag of the output ended on a target.
inline const QString ImageWasDraggedAndDropped = QStringLiteral("ImageWasDraggedAndDropped");
// Posted by anyone whose change the output must show.
inline const QString OutputMustBeRedrawn = QStringLiteral("OutputMustBeRedrawn");
// The logo well, after a new logo image (or none) was set, and after a file was dropped on it.
inline const QString NewLogoImageWasLoaded = QStringLiteral("NewLogoImageWasLoaded");
inline const QString NewLogoWasDropped = QStringLiteral("NewLogoWasDroppedNotification");
// The quick-resize panel, when the chosen size was edited or chosen.
inline const QString QuickResize = QStringLiteral("QuickResizeNotification");
// Posted by the application object (the object is the application).
inline const QString ApplicationWillTerminate = QStringLiteral("ApplicationWillTerminateNotification");
inline const QString ApplicationDidFinishLaunching = QStringLiteral("ApplicationDidFinishLaunchingNotification");

} // namespace quillum::notification
