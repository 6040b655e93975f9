#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

// Reads the words in a picture with Tesseract and its English data.
//
// recognize() is safe on any thread: each call makes an engine of its own, so two
// recognitions never share one. recognizeInBackground() runs it on Qt's thread pool
// and hands the text to `done` on the main thread, unless `context` (a main-thread
// object) is gone by then.
namespace TextRecognizer {

struct Result {
    QString text;    // the recognised text, lines separated by "\n", trimmed; empty when none
    QString error;   // why nothing could be read (no engine, no English data); empty otherwise
};

Result recognize(const QImage &picture);

void recognizeInBackground(const QImage &picture, QObject *context, std::function<void(const Result &)> done);

// The first line of `text` that holds more than white space, trimmed; empty for none.
QString firstLine(const QString &text);

} // namespace TextRecognizer
