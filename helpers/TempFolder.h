#pragma once

#include <QString>
#include <QtGlobal>

// Where Vornik keeps its files between a capture and what the user does with it.
//
// T is the temporary folder (honours TMPDIR) and always ends with "/":
//   T + "/a2.png"                     the last rendered overlay selection (the doubled
//                                     separator is collapsed)
//   T + "Vornik/"                     the folder of final images
//   T + "Vornik/" + M + "_viewimage.png"    a final image ready to view, copy or upload
//   T + "Vornik/" + M + "_bannerimage.png"  the user's banner image
// with M the current time in milliseconds since 1970, written in decimal.
namespace TempFolder {

// T: the temporary folder, ending with "/".
QString root();

// T + "/a2.png" with the separator collapsed.
QString renderedSelectionPath();

// T + "Vornik/".
QString finalImagesFolder();

// The current time in milliseconds since 1970, rounded to the nearest integer.
qint64 currentMilliseconds();

// T + "Vornik/" + milliseconds + "_viewimage.png" (now, when no time is given).
QString viewImagePath(qint64 milliseconds = currentMilliseconds());

// T + "Vornik/" + milliseconds + "_bannerimage.png".
QString bannerImagePath(qint64 milliseconds = currentMilliseconds());

// Makes T + "Vornik/" when it is missing; returns whether it exists afterwards.
bool ensureFinalImagesFolder();

// Where an image whose upload failed is kept so that it is not lost with the
// temporary folder: $XDG_DATA_HOME/Vornik/unsent/ (~/.local/share/Vornik/unsent/).
// Ends with "/".
QString unsentFolder();

} // namespace TempFolder
