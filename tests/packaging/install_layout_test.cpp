// `cmake --install` of this build: the exact files under a prefix and under DESTDIR,
// paths inside the units that follow the prefix, and the desktop entry, AppStream
// data, manual pages, icons and units checked by the tools that read them.
#include "platform/Autostart.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

namespace {
const QStringList kIconSizes{"16", "22", "24", "32", "48", "64", "128", "256"};

// Every file the two packages hold, relative to the prefix; `etc` is where the
// system configuration goes for it.
QStringList expectedFiles(const QString &etc)
{
    QStringList files{"bin/vornik",
                      "bin/vornik-server",
                      "lib/vornik/vornik-ocr.so", "lib/vornik/vornik-transport.so",
                      "lib/systemd/system/vornik-server.service",
                      "lib/systemd/user/vornik-server.service",
                      etc + "/default/vornik-server",
                      "share/applications/vornik.desktop",
                      "share/metainfo/org.vornik.Vornik.metainfo.xml",
                      "share/icons/hicolor/scalable/apps/vornik.svg",
                      "share/man/man1/vornik.1.gz",
                      "share/man/man8/vornik-server.8.gz",
                      "share/doc/vornik/copyright",
                      "share/doc/vornik/changelog.gz",
                      "share/doc/vornik-server/copyright",
                      "share/doc/vornik-server/changelog.gz"};
    for (const QString &side : kIconSizes)
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/vornik.png").arg(side);
    files.sort();
    return files;
}

QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator walk(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (walk.hasNext())
        files << QDir(root).relativeFilePath(walk.next());
    files.sort();
    return files;
}

int install(const QString &prefix, const QString &destdir, QString *output)
{
    if (!destdir.isEmpty())
        qputenv("DESTDIR", destdir.toLocal8Bit());
    const int status = vtest::run({qEnvironmentVariable("VORNIK_CMAKE"), "--install",
                                   qEnvironmentVariable("VORNIK_BUILD_DIR"), "--prefix", prefix}, output);
    qunsetenv("DESTDIR");
    return status;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The share of pixels whose opacity differs by more than a quarter between the two.
double alphaMismatch(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += qAbs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 64;
    return double(differing) / (a.width() * a.height());
}
} // namespace

class InstallLayoutTest : public QObject
{
    Q_OBJECT
    QString prefix;

private slots:
    void initTestCase()
    {
        prefix = QDir::tempPath() + "/prefix";
        QString output;
        QVERIFY2(install(prefix, QString(), &output) == 0, qPrintable(output));
    }

    void exactFilesUnderAPrefix()
    {
        QCOMPARE(filesUnder(prefix), expectedFiles("etc"));
        for (const QString program : {"bin/vornik", "bin/vornik-server"})
            QVERIFY(QFileInfo(prefix + "/" + program).isExecutable());
        // The units name the programs and options file of this prefix.
        const QString unit = readText(prefix + "/lib/systemd/system/vornik-server.service");
        QVERIFY(unit.contains("\nExecStart=" + prefix + "/bin/vornik-server "));
        QVERIFY(unit.contains("\nEnvironmentFile=-" + prefix + "/etc/default/vornik-server\n"));
        QVERIFY(readText(prefix + "/lib/systemd/user/vornik-server.service")
                    .contains("\nExecStart=" + prefix + "/bin/vornik-server "));
    }

    void exactFilesUnderDestdirForUsr()
    {
        const QString destdir = QDir::tempPath() + "/dest";
        QString output;
        QVERIFY2(install("/usr", destdir, &output) == 0, qPrintable(output));
        QStringList expected;
        for (const QString &file : expectedFiles("../etc"))
            expected << QDir::cleanPath("usr/" + file);
        expected.sort();
        QCOMPARE(filesUnder(destdir), expected);
        const QString unit = readText(destdir + "/usr/lib/systemd/system/vornik-server.service");
        QVERIFY(unit.contains("\nExecStart=/usr/bin/vornik-server "));
        QVERIFY(unit.contains("\nEnvironmentFile=-/etc/default/vornik-server\n"));
    }

    void desktopEntriesAndAppStream()
    {
        if (!vtest::haveProgram("desktop-file-validate") || !vtest::haveProgram("appstreamcli"))
            QSKIP("desktop-file-validate and appstreamcli are needed");
        const QString entry = prefix + "/share/applications/vornik.desktop";
        QString output;
        QVERIFY2(vtest::run({"desktop-file-validate", entry}, &output) == 0, qPrintable(output));
        QVERIFY2(!output.contains("error"), qPrintable(output));
        const QString text = readText(entry);
        QVERIFY(text.contains("\nActions=Capture;\n"));
        // KWin grants its screenshot interface to the program the entry names by full path.
        QVERIFY(text.contains("\nExec=" + prefix + "/bin/vornik\n"));
        QVERIFY(text.contains("\nX-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2,"));
        QVERIFY(text.contains("\n[Desktop Action Capture]\nName=Capture\n") && text.contains("\nExec=vornik --capture\n"));

        // The autostart entry that "Login at startup" writes for the installed program.
        const QString autostart = QDir::tempPath() + "/autostart.desktop";
        QFile file(autostart);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Autostart::entryText(prefix + "/bin/vornik").toUtf8());
        file.close();
        QVERIFY2(vtest::run({"desktop-file-validate", autostart}, &output) == 0, qPrintable(output));
        QVERIFY2(!output.contains("error"), qPrintable(output));

        const QString metainfo = prefix + "/share/metainfo/org.vornik.Vornik.metainfo.xml";
        QVERIFY2(vtest::run({"appstreamcli", "validate", "--no-net", metainfo}, &output) == 0, qPrintable(output));
        QVERIFY(readText(metainfo).contains("<launchable type=\"desktop-id\">vornik.desktop</launchable>"));
    }

    void manualPagesRenderCleanly_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("vornik(1)") << "share/man/man1/vornik.1.gz" << "--set-service";
        QTest::newRow("vornik-server(8)") << "share/man/man8/vornik-server.8.gz" << "/etc/default/vornik-server";
    }
    void manualPagesRenderCleanly()
    {
        if (!vtest::haveProgram("man"))
            QSKIP("man is needed");
        QFETCH(QString, page);
        QFETCH(QString, mentions);
        // As lintian checks them: groff warnings go to stderr, which `run` collects too.
        QString output;
        const QString command = QStringLiteral("LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 "
                                               "-l -Tutf8 -Z '%1' > /dev/null && MANWIDTH=200 man -l '%1' | col -b")
                                    .arg(prefix + "/" + page);
        QCOMPARE(vtest::run({"sh", "-c", command}, &output), 0);
        QVERIFY2(!output.contains("warning"), qPrintable(output));
        QVERIFY2(output.contains(mentions), qPrintable(output));
    }

    void iconsAreOneDrawing()
    {
        const QString icons = prefix + "/share/icons/hicolor/";
        QSvgRenderer scalable(icons + "scalable/apps/vornik.svg");
        QVERIFY(scalable.isValid());
        for (const QString &side : kIconSizes) {
            const QImage png(icons + side + "x" + side + "/apps/vornik.png");
            QCOMPARE(png.size(), QSize(side.toInt(), side.toInt()));
            QImage drawn(png.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            QPainter painter(&drawn);
            scalable.render(&painter);
            painter.end();
            // Drawn from the tray icon's engine; the scalable file must show the same.
            const double mismatch = alphaMismatch(png.convertToFormat(QImage::Format_ARGB32), drawn);
            QVERIFY2(mismatch < 0.03, qPrintable(QStringLiteral("%1 px: %2 of the pixels differ").arg(side).arg(mismatch)));
            QImage blank(png.size(), QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            QVERIFY(alphaMismatch(png, blank) > 0.05);
        }
    }

    void unitsPassSystemdChecks()
    {
        if (!vtest::haveProgram("systemd-analyze"))
            QSKIP("systemd-analyze is needed");
        const QString system = prefix + "/lib/systemd/system/vornik-server.service";
        const QString user = prefix + "/lib/systemd/user/vornik-server.service";
        QString output;
        QVERIFY2(vtest::run({"systemd-analyze", "verify", "--man=no", system}, &output) == 0, qPrintable(output));
        QVERIFY2(vtest::run({"systemd-analyze", "verify", "--man=no", "--user", user}, &output) == 0, qPrintable(output));
        QCOMPARE(vtest::run({"systemd-analyze", "security", "--offline=true", system}, &output), 0);
        const auto score = QRegularExpression("Overall exposure level for \\S+: ([0-9.]+) (\\S+)").match(output);
        QVERIFY2(score.hasMatch(), qPrintable(output));
        qInfo("systemd-analyze security: %s %s", qPrintable(score.captured(1)), qPrintable(score.captured(2)));
        // Keeps the hardening from slipping: the unit scores 1.1 today.
        QVERIFY2(score.captured(1).toDouble() <= 2.0, qPrintable(output));
    }
};

VORNIK_TEST_MAIN(InstallLayoutTest, (vtest::EnvironmentOptions{.x11 = false, .dbus = false}))
#include "install_layout_test.moc"
