#include "editor/tools/ImageFilters.h"
#include "tests/harness/TestMain.h"

#include <QFontDatabase>
#include <QPainter>
#include <random>
#include <set>

// Plays the attacker of a redacted secret: 200 six-digit numbers and 200 eight-letter
// words in DejaVu Sans at 11 to 16 pixels, black on white and light on dark, each
// pixelated or blurred. The attacker knows the font, size, place, filter and strength,
// not the filter's random values. For each of 10,000 candidates (the secret among them)
// it works out what the filter gives on average, on the pixelation grid it reads off the
// picture, and ranks the candidates by their distance to what it sees. Plain block
// averages and a plain box blur, attacked the same way, show that the attack finds what
// is there to find.

namespace {

constexpr int kCandidates = 10000;
constexpr int kSecretsPerKind = 200;
constexpr int kSmallestSize = 11, kLargestSize = 16;

enum class Filter { pixelate, blur, plainBlocks, plainBlur };

struct Attack {
    Filter filter;
    int strength;   // block size or blur radius, in pixels
    const char *name;
};

// A grey picture with its summed-area table, for block means at any offset.
struct Grey {
    int width = 0, height = 0;
    std::vector<float> pixels;
    std::vector<qint32> sums;   // (width + 1) × (height + 1)

    qint32 sum(int x0, int y0, int x1, int y1) const
    {
        const auto s = [&](int x, int y) { return sums[size_t(y * (width + 1) + x)]; };
        return s(x1, y1) - s(x0, y1) - s(x1, y0) + s(x0, y0);
    }
};

Grey greyOf(const QImage &image)
{
    Grey grey{image.width(), image.height(), {}, {}};
    grey.sums.assign(size_t((grey.width + 1) * (grey.height + 1)), 0);
    const auto sumAt = [&](int x, int y) -> qint32 & { return grey.sums[size_t(y * (grey.width + 1) + x)]; };
    for (int y = 0; y < grey.height; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < grey.width; ++x) {
            const int value = (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) + 1) / 3;
            grey.pixels.push_back(float(value));
            sumAt(x + 1, y + 1) = value + sumAt(x, y + 1) + sumAt(x + 1, y) - sumAt(x, y);
        }
    }
    return grey;
}

// Block means on the grid whose lines lie at `origin` modulo `block`.
std::vector<float> blockMeans(const Grey &grey, int block, QPoint origin)
{
    std::vector<float> means;
    for (int top = origin.y() - block; top < grey.height; top += block)
        for (int left = origin.x() - block; left < grey.width; left += block) {
            const int x0 = std::max(left, 0), y0 = std::max(top, 0);
            const int x1 = std::min(left + block, grey.width), y1 = std::min(top + block, grey.height);
            if (x1 > x0 && y1 > y0)
                means.push_back(float(grey.sum(x0, y0, x1, y1)) / float((x1 - x0) * (y1 - y0)));
        }
    return means;
}

// Every `step`-th column of a picture `width` wide, as the rows of a new one, after box
// passes of the given half-widths along its rows (their ends repeated).
std::vector<float> blurredColumns(std::vector<float> pixels, int width, const std::vector<int> &radii, int step)
{
    std::vector<float> line(static_cast<size_t>(width));
    for (float *row = pixels.data(); row < pixels.data() + pixels.size(); row += width)
        for (const int radius : radii) {
            const auto at = [&](int k) { return row[std::clamp(k, 0, width - 1)]; };
            float sum = 0;
            for (int k = -radius; k <= radius; ++k)
                sum += at(k);
            for (int k = 0; k < width; sum += at(k + radius + 1) - at(k - radius), ++k)
                line[size_t(k)] = sum / float(2 * radius + 1);
            std::copy(line.begin(), line.end(), row);
        }
    std::vector<float> turned;
    for (int x = 0; x < width; x += step)
        for (size_t y = 0; y < pixels.size() / size_t(width); ++y)
            turned.push_back(pixels[y * size_t(width) + size_t(x)]);
    return turned;
}

// A picture blurred by box passes across and down, as the attacker compares it: every
// `radius / 2`-th pixel across and down, which is all such a blur leaves.
std::vector<float> blurredSample(const Grey &grey, int radius, const std::vector<int> &radii)
{
    const int step = std::max(2, radius / 2);
    return blurredColumns(blurredColumns(grey.pixels, grey.width, radii, step), grey.height, radii, step);
}

// What the attacker expects a candidate to give under `attack`; for pixelation, on the
// grid it read off the picture. The redacting blur also averages over its blocks: one
// box pass of half their size more.
std::vector<float> expected(const Attack &attack, const Grey &candidate, QPoint grid)
{
    const int r = attack.strength;
    switch (attack.filter) {
    case Filter::plainBlocks:
    case Filter::pixelate:
        return blockMeans(candidate, r, grid);
    case Filter::plainBlur:
        return blurredSample(candidate, r, {r, r, r});
    case Filter::blur:
        return blurredSample(candidate, r, {r, r, r, r / 2});
    }
    return {};
}

// The grid lines of a pixelated picture: the offsets, across and down, at which the most
// neighbouring pixels differ.
QPoint gridOf(const Grey &seen, int block)
{
    std::vector<int> across(static_cast<size_t>(block)), down(static_cast<size_t>(block));
    const auto differ = [&](size_t a, size_t b) { return std::abs(seen.pixels[a] - seen.pixels[b]) > 2; };
    for (size_t i = size_t(seen.width); i < seen.pixels.size(); ++i) {
        across[i % size_t(seen.width) % size_t(block)] += i % size_t(seen.width) > 0 && differ(i, i - 1);
        down[i / size_t(seen.width) % size_t(block)] += differ(i, i - size_t(seen.width));
    }
    return {int(std::max_element(across.begin(), across.end()) - across.begin()),
            int(std::max_element(down.begin(), down.end()) - down.begin())};
}

// What the attacker sees of the secret, as it compares it; `grid` is set for pixelation.
std::vector<float> seen(const Attack &attack, const QImage &secret, const Grey &secretGrey, QPoint &grid)
{
    const int r = attack.strength;
    switch (attack.filter) {
    case Filter::plainBlocks:
    case Filter::plainBlur: {
        // A plain filter stores whole levels.
        std::vector<float> levels = expected(attack, secretGrey, {});
        for (float &level : levels)
            level = std::round(level);
        return levels;
    }
    case Filter::pixelate: {
        const Grey redacted = greyOf(pixelated(secret, r, RedactionKey::fresh()));
        grid = gridOf(redacted, r);
        return blockMeans(redacted, r, grid);
    }
    case Filter::blur:
        return blurredSample(greyOf(blurred(secret, r, RedactionKey::fresh())), r, {});
    }
    return {};
}

float distance(const std::vector<float> &a, const std::vector<float> &b)
{
    float sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}

// 10,000 different random strings of one kind; the first ones are the secrets.
QStringList candidates(bool digits, std::mt19937 &random)
{
    std::set<QString> taken;
    QStringList texts;
    while (texts.size() < kCandidates) {
        QString text;
        if (digits)
            text = QString::number(std::uniform_int_distribution<int>(100000, 999999)(random));
        else
            for (int i = 0; i < 8; ++i)
                text += QChar('a' + std::uniform_int_distribution<int>(0, 25)(random));
        if (taken.insert(text).second)
            texts << text;
    }
    return texts;
}

struct Rendering {
    QFont font;
    bool dark;
    QSize size;

    QImage operator()(const QString &text) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(dark ? qRgb(30, 30, 30) : qRgb(255, 255, 255));
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(dark ? QColor(230, 230, 230) : QColor(Qt::black));
        painter.drawText(QPointF(3, 3 + QFontMetricsF(font).ascent()), text);
        return image;
    }
};

} // namespace

class RedactionAttackTest : public QObject
{
    Q_OBJECT
private slots:
    void candidateSearchFindsPlainFiltersButNotRedaction()
    {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
        QVERIFY2(id >= 0, "DejaVu Sans (fonts-dejavu-core) is missing");
        const QString family = QFontDatabase::applicationFontFamilies(id).constFirst();
        const QList<Attack> attacks = {
            {Filter::pixelate, kDefaultBlock, "pixelate default"},
            {Filter::pixelate, kSmallestBlock, "pixelate smallest"},
            {Filter::blur, kDefaultBlurRadius, "blur default"},
            {Filter::blur, kSmallestBlurRadius, "blur smallest"},
            {Filter::plainBlocks, kDefaultBlock, "plain blocks default"},
            {Filter::plainBlocks, kSmallestBlock, "plain blocks smallest"},
            {Filter::plainBlur, kDefaultBlurRadius, "plain box blur default"},
            {Filter::plainBlur, kSmallestBlurRadius, "plain box blur smallest"},
        };
        // Rank-1 hits per attack and background, of kSecretsPerKind * 2 cases each.
        std::vector<std::array<double, 2>> hits(size_t(attacks.size()));
        std::mt19937 random(30);
        for (const bool digits : {true, false}) {
            const QStringList texts = candidates(digits, random);
            for (int size = kSmallestSize; size <= kLargestSize; ++size) {
                const int secrets = kSecretsPerKind * (size - kSmallestSize + 1) / 6 - kSecretsPerKind * (size - kSmallestSize) / 6;
                QFont font(family);
                font.setPixelSize(size);
                const QFontMetrics metrics(font);
                const QSize canvas(metrics.horizontalAdvance(digits ? "000000" : "mmmmmmmm") + 6, metrics.height() + 6);
                for (const bool dark : {false, true}) {
                    const Rendering render{font, dark, canvas};
                    std::vector<Grey> greys;
                    greys.reserve(size_t(kCandidates));
                    for (const QString &text : texts)
                        greys.push_back(greyOf(render(text)));
                    for (int a = 0; a < attacks.size(); ++a)
                        hits[size_t(a)][dark] += rankOneHits(attacks.at(a), greys, render, texts.mid(0, secrets));
                }
            }
        }
        for (int a = 0; a < attacks.size(); ++a) {
            const Attack &attack = attacks.at(a);
            const bool plain = attack.filter == Filter::plainBlocks || attack.filter == Filter::plainBlur;
            for (const bool dark : {false, true}) {
                const double rate = 100.0 * hits[size_t(a)][dark] / (2 * kSecretsPerKind);
                qInfo("%-24s %-5s rank-1 rate %6.2f %%", attack.name, dark ? "dark" : "white", rate);
                if (plain)
                    QVERIFY2(rate > 50, attack.name);
                else
                    QVERIFY2(rate <= 2, attack.name);
            }
        }
    }

private:
    // How often the secret ranks first among the candidates; a tie shares the place.
    static double rankOneHits(const Attack &attack, const std::vector<Grey> &greys, const Rendering &render,
                              const QStringList &secrets)
    {
        std::vector<std::vector<float>> gridless;
        if (attack.filter != Filter::pixelate)
            for (const Grey &grey : greys)
                gridless.push_back(expected(attack, grey, {}));
        double hits = 0;
        for (int s = 0; s < secrets.size(); ++s) {
            QPoint grid;
            const std::vector<float> feature = seen(attack, render(secrets.at(s)), greys[size_t(s)], grid);
            const auto candidateDistance = [&](size_t c) {
                return gridless.empty() ? distance(feature, expected(attack, greys[c], grid))
                                        : distance(feature, gridless[c]);
            };
            const float own = candidateDistance(size_t(s));
            int closer = 0, tied = 0;
            for (size_t c = 0; c < greys.size() && closer == 0; ++c) {
                if (c == size_t(s))
                    continue;
                const float d = candidateDistance(c);
                closer += d < own;
                tied += d == own;
            }
            hits += closer == 0 ? 1.0 / (1 + tied) : 0;
        }
        return hits;
    }
};

VORNIK_TEST_MAIN(RedactionAttackTest, ([] {
                     vtest::EnvironmentOptions options;
                     options.dbus = false;
                     return options;
                 }()))
#include "redaction_attack_test.moc"
