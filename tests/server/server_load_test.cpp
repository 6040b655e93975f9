#include "tests/harness/TestMain.h"
#include "tests/server/PngVariants.h"
#include "tests/server/WireClient.h"

#include <QRegularExpression>

#include <map>
#include <set>
#include <mutex>
#include <thread>

// Eight clients upload at once, 25 full-screen PNGs each; afterwards every image
// comes back through raw/ byte for byte, under the right user, and nothing is lost.
class ServerLoadTest : public QObject
{
    Q_OBJECT

    static constexpr int clients = 8;
    static constexpr int uploadsPerClient = 25;

private slots:
    void concurrentUploadsComeBackExactly()
    {
        vtest::ServerProcess server;
        QVERIFY(server.start());

        std::vector<std::string> pictures;
        for (int c = 0; c < clients; ++c)
            pictures.push_back(pngvariants::screenLikePng(c + 1));
        QVERIFY(QImage::fromData(QByteArray::fromStdString(pngvariants::labelled(pictures[0], "check")), "PNG").size()
                == QSize(1920, 1080));

        struct Sent {
            std::string uid;
            std::string png;
        };
        std::mutex lock;
        std::map<std::string, Sent> sent;  // image name -> what was sent
        std::vector<std::string> failures;

        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                wire::Client client(server);
                const std::string uid = wire::userId(("load client " + std::to_string(c)).c_str());
                for (int i = 0; i < uploadsPerClient; ++i) {
                    const std::string png = pngvariants::labelled(pictures[size_t(c)], "client " + std::to_string(c)
                                                                                        + " upload " + std::to_string(i));
                    const wire::Answer reply = client.upload(uid, png);
                    std::lock_guard guard(lock);
                    const std::string name = wire::nameFromAddress(reply.body);
                    if (reply.status != 200 || name.empty() || sent.count(name))
                        failures.push_back("client " + std::to_string(c) + ": " + std::to_string(reply.status) + " " + reply.body);
                    else
                        sent[name] = Sent{uid, png};
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QVERIFY2(failures.empty(), failures.empty() ? "" : failures.front().c_str());
        QCOMPARE(int(sent.size()), clients * uploadsPerClient);
        QCOMPARE(wire::storedFileCount(server), clients * uploadsPerClient);

        wire::Client client(server);
        for (const auto &[name, what] : sent) {
            const wire::Answer raw = client.get("/raw/" + name + ".png");
            QCOMPARE(raw.status, 200);
            QVERIFY2(raw.body == what.png, name.c_str());
        }
        // Each user's history lists exactly that user's uploads.
        std::map<std::string, std::set<std::string>> byUser;
        for (const auto &[name, what] : sent)
            byUser[what.uid].insert(name);
        const QRegularExpression entry(QStringLiteral("\"\\d{13}\":\"([A-Za-z0-9]+)\""));
        for (const auto &[uid, names] : byUser) {
            std::set<std::string> listed;
            for (const auto &match : entry.globalMatch(QString::fromStdString(client.history(uid).body)))
                listed.insert(match.captured(1).toStdString());
            QVERIFY(listed == names);
        }
        server.stop();
    }
};

VORNIK_TEST_MAIN(ServerLoadTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false}))
#include "server_load_test.moc"
