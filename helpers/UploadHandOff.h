#pragma once

#include <QString>

// Makes sure the user id exists and sends the file at `path` to the sharing service;
// uploadFinished runs with the reply. The callers have checked the network.
void startUpload(const QString &path);
