#pragma once

#include <QtGlobal>

// The tray process idles for hours between captures. Start-up pulls most of the
// program's own code and read-only data into its working set (the kernel maps a
// whole 64 KiB window around every page it faults in), and little of it runs again
// until the next capture. This hands those clean, file-backed pages of the
// executable back (MADV_PAGEOUT, as Android does for apps in the background); they
// stay in the page cache and come back on their next use with a minor fault.
// Writable pages are never touched. Returns the bytes of the ranges given back, or
// -1 when the kernel cannot do it (before Linux 5.4).
qint64 releaseIdleProgramPages();

// The resident bytes of this process's mappings of its own executable.
qint64 residentProgramBytes();
