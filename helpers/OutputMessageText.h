#pragma once

#include <QString>

// The subtitle and text of one output message.
struct OutputMessageText {
    QString subtitle;
    QString text;
};
