// Placing sound on the recording's timeline when the server delivers it late or past the stop.

#include "TestMain.h"

#include "recorder/AudioAlign.h"

#include <QTest>
#include <atomic>
#include <vector>

using namespace recorder;

class RecorderTimelineTest : public QObject {
    Q_OBJECT
private slots:
    void lateFirstSamplesAreAfterSilence()
    {
        AudioAlign align;
        // Start at 1 s; the first packet (960 samples, 20 ms) was captured 2 s later.
        AudioAlign::Placement p = align.place(1000000, 0, 3000000, 960);
        QCOMPARE(p.silence, int64_t(96000));
        QCOMPARE(p.skip, 0);
        QCOMPARE(p.keep, 960);
        // Only the first packet is placed; later ones follow on.
        p = align.place(1000000, 0, 3500000, 960);
        QCOMPARE(p.silence, int64_t(0));
        QCOMPARE(p.keep, 960);
    }

    void samplesFromBeforeTheStartAreSkipped()
    {
        AudioAlign align;
        const AudioAlign::Placement p = align.place(1000000, 0, 1000000 - 10000, 960); // 10 ms early
        QCOMPARE(p.silence, int64_t(0));
        QCOMPARE(p.skip, 480);
        QCOMPARE(p.keep, 480);
    }

    void soundFlowingBeforeTheStartBeginsTheTimelineWithoutSilence()
    {
        PauseClock clock;
        std::atomic<int64_t> start{0};
        std::atomic<int64_t> stop{0};
        int64_t silence = 0;
        std::vector<int16_t> kept;
        AudioSource::Sink sink = AudioAlign::timelineSink(
            clock, start, stop, [&](int count) { silence += count; },
            [&](const int16_t* samples, int count) { kept.insert(kept.end(), samples, samples + count * 2); });
        // Packets of 20 ms (960 samples), each sample numbered on both channels.
        int16_t next = 0;
        auto deliver = [&](int64_t wallMicros) {
            std::vector<int16_t> packet;
            for (int i = 0; i < 960; ++i, ++next)
                packet.insert(packet.end(), {next, next});
            sink(packet.data(), 960, wallMicros);
        };
        // The source flows before the recording starts: nothing is taken.
        deliver(1000000);
        QCOMPARE(silence, int64_t(0));
        QVERIFY(kept.empty());
        // It starts 10 ms into the next packet: the timeline begins with that packet's second
        // half, and the sound goes on from there without a gap.
        start = 1030000;
        deliver(1020000);
        deliver(1040000);
        QCOMPARE(silence, int64_t(0));
        QCOMPARE(kept.size(), size_t(480 + 960) * 2);
        QCOMPARE(kept.front(), int16_t(960 + 480));
        QCOMPARE(kept.back(), int16_t(3 * 960 - 1));
    }

    void samplesAfterTheStopAreLeftOut()
    {
        AudioAlign running;
        running.place(0, 0, 0, 960);
        // A packet that straddles the stop keeps its part before it.
        AudioAlign::Placement p = running.place(0, 2000000, 2000000 - 5000, 960);
        QCOMPARE(p.keep, 240);
        p = running.place(0, 2000000, 2100000, 960);
        QCOMPARE(p.keep, 0);

        // A source whose first packet comes only after the stop still fills the recording
        // with silence up to the stop, so its track is as long as the others.
        AudioAlign late;
        p = late.place(0, 1500000, 2000000, 960);
        QCOMPARE(p.silence, int64_t(72000));
        QCOMPARE(p.keep, 0);
    }
};

SR_TEST(RecorderTimelineTest)

#include "tst_recordertimeline.moc"
