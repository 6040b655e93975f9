#pragma once

#include <QString>
#include <QtGlobal>

// Where Vornik keeps its files between a capture and what the user does with it.
//
// T is a folder only this user may enter, and always ends with "/": the runtime folder
// $XDG_RUNTIME_DIR where the session has one, otherwise $TMPDIR/vornik-UID (default
// /tmp/vornik-UID), made with mode 0700. A shared /tmp is never used directly, so that
// no other account can receive, replace or block this user's screenshots.
//   T + "/a2.png"                     the last rendered overlay selection (the doubled
//                                     separator is collapsed)
//   T + "Vornik/"                     the folder of final images
//   T + "Vornik/" + M + "_viewimage.png"    a final image ready to view, copy or upload
//   T + "Vornik/" + M + "_bannerimage.png"  the user's banner image
// with M the current time in milliseconds since 1970, written in decimal.
namespace TempFolder {

// T: the private temporary folder, ending with "/".
QString root();

// Why `folder` cannot hold this user's files: empty when it is a real directory (not
// a symbolic link) owned by this user that no group or other account may enter.
QString privacyProblem(const QString &folder);

// Makes T (when it is Vornik's own fallback folder) and T + "Vornik/" with mode 0700
// where they are missing, and checks both with privacyProblem. Returns the problem,
// empty when the folders are safe to write into.
QString preparePrivateFolders();

// True when `path` lies in T. Files written there are readable by this user only.
bool isInside(const QString &path);

// Files still needed by work in progress (an upload waiting for its turn, say). The
// clean-up before a capture leaves them alone. Holds are counted per path.
void holdFile(const QString &path);
void releaseFile(const QString &path);
bool isHeld(const QString &path);

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

// Makes T + "Vornik/" when it is missing; returns whether it exists afterwards and is
// private (preparePrivateFolders).
bool ensureFinalImagesFolder();

// Where an image whose upload failed is kept so that it is not lost with the
// temporary folder: $XDG_DATA_HOME/Vornik/unsent/ (~/.local/share/Vornik/unsent/).
// Ends with "/".
QString unsentFolder();

} // namespace TempFolder
