#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <optional>

// A capture asked for from the command line (`vornik --capture ...`), as the calling
// process hands it to the running Vornik over the single-instance socket.
struct CaptureRequest {
    enum class Mode {
        Overlay, // show the overlays and let the user choose
        Full,    // the whole display under the pointer
        Window,  // the top-level window under the pointer, its frame included
        Region,  // `region`, in the desktop's coordinates
    };
    enum class Output {
        Save,   // into `path`, or a new file of the save folder when it is empty
        Copy,   // onto the clipboard
        Upload, // to the sharing service; the answer is the link
        Stdout, // the PNG itself is the answer
    };

    Mode mode = Mode::Overlay;
    QRect region;
    Output output = Output::Save;
    QString path;         // absolute, or empty
    int delaySeconds = 0; // counted down in the tray's tool tip before the capture

    // One line of JSON (no line end), and back; nullopt for anything else.
    QByteArray toLine() const;
    static std::optional<CaptureRequest> fromLine(const QByteArray &line);
};

// "X,Y,W,H" with a positive width and height; nullopt for anything else.
std::optional<QRect> parseRegion(const QString &text);

// What a running Vornik answers a request with: "ok", a line end and the output (the
// PNG, the saved file's path or the link, each of the last two with a line end), or
// "error " and the reason on one line.
namespace CaptureAnswer {
QByteArray success(const QByteArray &output);
QByteArray failure(const QString &reason);
} // namespace CaptureAnswer
