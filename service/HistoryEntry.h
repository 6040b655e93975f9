#pragma once

#include <QString>

// One upload as a history reply lists it.
struct HistoryEntry {
    QString address;      // base URL + name + ".png"
    QString uploadTime;   // the upload time, formatted for people
    QString name;         // the image's name (quotes removed; may be empty)
    QString rawValue;     // the value exactly as it stood in the reply, quotes included
};
