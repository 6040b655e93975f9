#pragma once

#include <QLatin1String>

// Every key Vornik reads or writes in its settings file (Preferences), named once.
// The texts are what existing settings files hold and never change, spelling
// included.
namespace SettingsKeys {

// The sharing service's address and an extra certificate to trust for it
// (`vornik --set-service URL [--ca-file FILE]`).
inline constexpr QLatin1String serviceUrl{"serviceurl"};
inline constexpr QLatin1String serviceCaFile{"servicecafile"};
// The id this Vornik uploads as, made on first use.
inline constexpr QLatin1String userId{"ApplicationUniqueIdentifier"};

// 1 when Vornik starts at login, 0 when not. The key's spelling is the stored one.
inline constexpr QLatin1String runAtLogin{"lunchAtStartup"};
// Written on the first start.
inline constexpr QLatin1String firstStartDone{"initialappstartup"};
// 1 once the first start's notification has said how to take a screenshot.
inline constexpr QLatin1String firstRunHintShown{"firstrunhintshown"};
// Followed by the version ("triedonce0.1.0"): the first capture of that version has
// been let through.
inline constexpr QLatin1String firstCaptureOfVersionPrefix{"triedonce"};

// The banner: its picture file, its colour name and the link of its upload.
inline constexpr QLatin1String bannerPath{"bannerpath"};
inline constexpr QLatin1String bannerColor{"bannercolor"};
inline constexpr QLatin1String bannerUrl{"bannerurl"};

// The editor's drawing style: colour names, line width and font size in points.
inline constexpr QLatin1String lineColor{"linecolor"};
inline constexpr QLatin1String fillColor{"fillcolor"};
inline constexpr QLatin1String highlightColor{"highlightcolor"};
inline constexpr QLatin1String lineSize{"linesize"};
inline constexpr QLatin1String fontSize{"fontsize"};

// Where the overlay's save button writes, and the folder the editor saved to last.
inline constexpr QLatin1String saveFolder{"savefolder"};
inline constexpr QLatin1String lastSaveFolder{"lastsavefolder"};

// The two keys that start a capture, each as a key sequence's portable text
// ("Ctrl+Shift+9"); absent: the standard Ctrl+Shift+9 and Ctrl+F9; empty: no key.
inline constexpr QLatin1String captureHotKey1{"capturehotkey1"};
inline constexpr QLatin1String captureHotKey2{"capturehotkey2"};
// 1 or absent: the overlay's save opens the saved file; 0: it does not.
inline constexpr QLatin1String openSavedFile{"opensavedfile"};

} // namespace SettingsKeys
