// Copy text on a full-HD screenshot: the time Vornik's recogniser takes for a rendered
// 1920 x 1080 picture of screen-sized text, beside the `tesseract` command line on the
// same picture (written as PNG), with the share of the rendered words each one found.
// Prints one table:  build/bench/ocr_bench [runs]
#include "helpers/TextRecognizer.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char *const kWords[] = {"screenshot", "window", "share", "upload", "folder", "history", "banner", "editor",
                              "capture", "display", "select", "region", "button", "notice", "server", "clipboard",
                              "picture", "preview", "arrow", "ellipse", "marker", "settings", "service", "record"};

// Forty lines of words at a desktop's usual 11 point text, in two columns like a
// window beside a terminal.
QImage renderedScreen(QStringList *rendered)
{
    QImage screen(1920, 1080, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter painter(&screen);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(QColor(30, 30, 30));
    int next = 0;
    for (int column = 0; column < 2; ++column) {
        for (int line = 0; line < 40; ++line) {
            QStringList words;
            for (int i = 0; i < 8; ++i)
                words << QString::fromLatin1(kWords[(next += 7) % std::size(kWords)]);
            *rendered += words;
            painter.drawText(40 + column * 960, 40 + line * 25, words.join(QLatin1Char(' ')));
        }
    }
    return screen;
}

double foundShare(const QString &text, const QStringList &rendered)
{
    QStringList read = text.toLower().split(QRegularExpression(QStringLiteral("\\W+")), Qt::SkipEmptyParts);
    int found = 0;
    for (const QString &word : rendered) {
        const qsizetype at = read.indexOf(word);
        if (at >= 0) {
            read.removeAt(at);
            ++found;
        }
    }
    return 100.0 * found / rendered.size();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QStringList rendered;
    const QImage screen = renderedScreen(&rendered);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("screen.png"));
    if (!screen.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }

    std::vector<double> ours, command;
    QString ourText, commandText;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        ourText = TextRecognizer::recognize(screen).text;
        ours.push_back(timer.nsecsElapsed() / 1e6);

        QProcess tesseract;
        timer.restart();
        tesseract.start(QStringLiteral("tesseract"), {file, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("eng")});
        if (!tesseract.waitForFinished(600000) || tesseract.exitCode() != 0) {
            std::fprintf(stderr, "the tesseract command failed: %s\n", tesseract.readAllStandardError().constData());
            return 1;
        }
        command.push_back(timer.nsecsElapsed() / 1e6);
        commandText = QString::fromUtf8(tesseract.readAllStandardOutput());
    }
    std::printf("OCR of a 1920x1080 picture of %lld rendered words (15 px text), median of %d runs\n",
                static_cast<long long>(rendered.size()), runs);
    std::printf("%-44s %10s %12s\n", "", "ms", "words found");
    std::printf("%-44s %10.0f %11.1f%%\n", "Vornik (TextRecognizer::recognize)", median(ours), foundShare(ourText, rendered));
    std::printf("%-44s %10.0f %11.1f%%\n", "tesseract command line (PNG file, -l eng)", median(command),
                foundShare(commandText, rendered));
    return 0;
}
