// The window's side of the preview's decoder: whatever the helper does (crash, hang, spin, run out
// of memory, write garbage, a cut reply or without end) the caller gets one Polish message and
// never waits past the time limit; a replaced request is killed and says nothing; the real helper's
// picture reaches the caller as it writes it to a PNG file.

#include "app/preview/previewDecoder.h"
#include "engine/jpcAnalyzer.h"
#include "present/codestreamSource.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString source = TARVIK3_SOURCE_DIR;

PreviewResult await(PreviewDecoder& decoder, const PreviewRequest& request)
{
    QSignalSpy spy(&decoder, &PreviewDecoder::finished);
    decoder.request(request);
    if (!spy.wait(20000))
        return {};
    return spy.takeFirst().at(0).value<PreviewResult>();
}

PreviewRequest requestFor(const QString& path)
{
    PreviewRequest request;
    request.path = path;
    return request;
}

bool processGone(qint64 pid)
{
    for (int i = 0; i < 100; ++i) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0)
            return true;
        QTest::qWait(50);
    }
    return false;
}

}  // namespace

Q_DECLARE_METATYPE(PreviewResult)
Q_DECLARE_METATYPE(PreviewResult::Ending)

class PreviewDecoderTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<PreviewResult>(); }

    void misbehavingHelpersEndInAMessage_data()
    {
        using Ending = PreviewResult::Ending;
        QTest::addColumn<QString>("mode");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("message");
        QTest::newRow("crash") << "crash" << Ending::crashed
                               << "Program dekodujący uległ awarii (SIGSEGV). Plik może być uszkodzony";
        QTest::newRow("hang") << "hang" << Ending::timeLimit
                              << "Dekodowanie trwało dłużej niż 1.5 s i zostało przerwane.";
        QTest::newRow("spin") << "spin" << Ending::cpuLimit << "Dekodowanie przekroczyło limit czasu procesora";
        QTest::newRow("out of memory") << "oom" << Ending::crashed
                                       << "Program dekodujący uległ awarii (SIGABRT). Plik może być uszkodzony albo "
                                          "dekodowanie przekroczyło limit pamięci";
        QTest::newRow("garbage") << "garbage" << Ending::badReply
                                 << "Program dekodujący nie zwrócił poprawnej odpowiedzi (kod wyjścia 0: no reply "
                                    "header).";
        QTest::newRow("cut reply") << "cut" << Ending::badReply
                                   << "Program dekodujący nie zwrócił poprawnej odpowiedzi (kod wyjścia 0: header cut "
                                      "short).";
        QTest::newRow("without end") << "flood" << Ending::badReply
                                     << "Program dekodujący wypisał więcej danych, niż mieści odpowiedź";
        QTest::newRow("no helper") << "" << Ending::notStarted
                                   << "Nie można uruchomić programu dekodującego /no/such/helper";
    }
    void misbehavingHelpersEndInAMessage()
    {
        QFETCH(QString, mode);
        QFETCH(PreviewResult::Ending, ending);
        QFETCH(QString, message);
        PreviewDecoder decoder;
        decoder.setHelperPath(mode.isEmpty() ? "/no/such/helper" : TARVIK3_STAND_IN_PATH);
        // Long enough for the spinning one to use up its CPU second on a busy machine.
        decoder.setTimeLimit(std::chrono::milliseconds(mode == "hang" ? 1500 : 15000));
        QTemporaryDir dir;
        const PreviewResult result = await(decoder, requestFor(dir.filePath(mode)));
        QVERIFY(!result.decoded);
        QCOMPARE(result.ending, ending);
        QVERIFY2(result.message.startsWith(message), qPrintable(result.message));
        QVERIFY(!decoder.isRunning());
    }

    void replyAndRequestTravelWhole()
    {
        PreviewDecoder decoder;
        decoder.setHelperPath(TARVIK3_STAND_IN_PATH);
        QTemporaryDir dir;
        const PreviewResult picture = await(decoder, requestFor(dir.filePath("picture")));
        QCOMPARE(picture.ending, PreviewResult::Ending::picture);
        QCOMPARE(picture.image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(picture.image.pixel(1, 0), qRgb(0, 0, 255));
        QCOMPARE(picture.tiles, (std::vector<TileState>{{1, TileFault::missing}}));
        QCOMPARE(picture.note, "uwaga");
        QCOMPARE(picture.pictureRect(2, 0, 4, 2), QRectF(1, 0, 1, 1));
        QCOMPARE(picture.gridPoint({1, 0.5}), QPointF(2, 1));

        PreviewRequest request{dir.filePath("arguments"), 12, 3400, "sycc", 300, 200, ImageRegion{1, 2, 3, 4}, 5u, 6u};
        const PreviewResult refused = await(decoder, request);
        QCOMPARE(refused.ending, PreviewResult::Ending::refused);
        QCOMPARE(refused.message, "--size 300x200 --memory 1024 --cpu 20 --offset 12 --length 3400 --colour sycc "
                                  "--area 1,2,3,4 --tile 5 --component 6");
    }

    void newRequestKillsTheRunningHelperSilently()
    {
        PreviewDecoder decoder;
        decoder.setHelperPath(TARVIK3_STAND_IN_PATH);
        QTemporaryDir dir;
        QSignalSpy spy(&decoder, &PreviewDecoder::finished);
        decoder.request(requestFor(dir.filePath("hang")));
        QTRY_VERIFY(QFile::exists(dir.filePath("hang.pid")));
        QFile pidFile(dir.filePath("hang.pid"));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const qint64 pid = pidFile.readAll().toLongLong();
        QVERIFY(pid > 0);
        decoder.request(requestFor(dir.filePath("picture")));
        QVERIFY(spy.wait(5000));
        QVERIFY(processGone(pid));
        QCOMPARE(spy.count(), 1);
        QVERIFY(spy.at(0).at(0).value<PreviewResult>().decoded);

        decoder.request(requestFor(dir.filePath("hang")));
        decoder.cancel();
        QTest::qWait(200);
        QCOMPARE(spy.count(), 1);
    }

    // The window's request for a JP2 file's codestream, with its colours from the colour box, shows
    // what the helper writes to a PNG file for the whole file.
    void realHelperGivesThePixelsOfItsPngFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<quint32>("fit");
        QTest::newRow("tiled sample") << "samples/color-tiled.j2k" << 80u;
        QTest::newRow("JP2 file of sYCC without subsampling") << "tests/decode/streams/ycc444.jp2" << 64u;
        QTest::newRow("grey JP2 file") << "samples/gray-lossless.jp2" << 32u;
    }
    void realHelperGivesThePixelsOfItsPngFile()
    {
        QFETCH(QString, file);
        QFETCH(quint32, fit);
        const QString path = source + "/" + file;
        const CodestreamSource found = codestreamSource(jpcAnalyzer(path.toStdString()));
        PreviewDecoder decoder;
        decoder.setHelperPath(TARVIK3_DECODE_PATH);
        const PreviewRequest request{
            path, found.offset, found.length, QString::fromStdString(found.colour), fit, fit, {}, {}, {}};
        const PreviewResult result = await(decoder, request);
        QVERIFY2(result.decoded, qPrintable(result.message));

        QTemporaryDir dir;
        const QString png = dir.filePath("picture.png");
        QCOMPARE(QProcess::execute(TARVIK3_DECODE_PATH, {path, "--size", QString::number(fit), "--out", png}), 0);
        const QImage written(png);
        QVERIFY(result.image.width() <= int(fit) && result.image.height() <= int(fit));
        QCOMPARE(written.convertToFormat(QImage::Format_RGB888), result.image.convertToFormat(QImage::Format_RGB888));
    }
};

QTEST_GUILESS_MAIN(PreviewDecoderTest)
#include "previewDecoderTest.moc"
