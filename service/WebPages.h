#pragma once

#include <QString>

class Opener;

// Web pages the shell opens. The sharing service's home page is the service's
// base address: $VORNIK_SERVICE_URL, else the "serviceurl" setting, else the local
// vornik-server that scripts/run.sh starts.
QString homePageUrl();

// The help page about letting Vornik capture the screen.
QString helpPageUrl();

// Opens `url` with `opener` (the default browser). A text that is not a URL prints
// "invalid url"; a successful open prints "url successfully opened". Returns
// whether the desktop accepted it.
bool openWebPageText(Opener &opener, const QString &url);
