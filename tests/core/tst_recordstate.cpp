// What is recording now: the shared recording marks and the status picture follow the road's
// steps, a step that does not fit changes nothing, and a mark set elsewhere stays.

#include "TestMain.h"
#include "core/RecordParameter.h"
#include "core/RecordState.h"

#include <QTest>

class RecordStateTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        RecordState::instance()->end();
        RecordParameter* p = RecordParameter::instance();
        p->m_bRecording = false;
        p->m_bPause = false;
        p->m_bPreview = false;
        QCOMPARE(RecordState::instance()->state(), RecordState::Idle);
    }

    void screenRoadNeverLeavesBothMarksClear()
    {
        RecordState* state = RecordState::instance();
        RecordParameter* p = RecordParameter::instance();
        // Between the recording and its preview something could start: one mark is always set.
        bool neither = false;
        QList<RecordState::State> seen;
        connect(state, &RecordState::stateChanged, this, [&](RecordState::State s) {
            seen << s;
            if (s == RecordState::Finishing || s == RecordState::Preview)
                neither = neither || (!p->m_bRecording && !p->m_bPreview);
        });

        QVERIFY(state->ask());
        QVERIFY(!p->m_bRecording);
        state->countDown(true);
        QVERIFY(!state->hotKeysEnabled());
        state->startRecording(RecordState::Screen);
        QVERIFY(state->hotKeysEnabled());
        QVERIFY(p->m_bRecording && !p->m_bPause);
        QCOMPARE(state->barState(), SBS_RECORDING);
        state->pause();
        QVERIFY(p->m_bPause.load());
        QCOMPARE(state->barState(), SBS_PAUSED);
        state->resume();
        QVERIFY(!p->m_bPause);
        state->pause();
        state->finish();
        QVERIFY(p->m_bRecording && !p->m_bPause);
        QCOMPARE(state->barState(), SBS_NORMAL);
        state->openPreview();
        QVERIFY(!p->m_bRecording && p->m_bPreview);
        state->closePreview();
        QVERIFY(!p->m_bRecording && !p->m_bPreview);
        QVERIFY(!neither);
        const QList<RecordState::State> road{RecordState::Asking,   RecordState::Countdown, RecordState::Recording,
                                             RecordState::Paused,   RecordState::Recording, RecordState::Paused,
                                             RecordState::Finishing, RecordState::Preview,  RecordState::Idle};
        QCOMPARE(seen, road);
        state->disconnect(this);
    }

    void webcamPictureIsItsOwnAndEndsWithIt()
    {
        RecordState* state = RecordState::instance();
        // Nothing records: there is no stop to hold back.
        state->allowStop(false);
        QVERIFY(state->stopAllowed());
        state->startRecording(RecordState::Webcam);
        state->allowStop(false);
        QVERIFY(!state->stopAllowed());
        state->pause();
        QCOMPARE(state->barState(), SBS_PAUSED2);
        state->finish();
        state->openPreview();
        // The webcam recorder's preview keeps the status item's recording actions away.
        QCOMPARE(state->barState(), SBS_PAUSED);
        state->closePreview();
        QCOMPARE(state->barState(), SBS_NORMAL);
        // A recording that ended before its stop was allowed does not hold back the next one.
        QVERIFY(state->stopAllowed());
        // A clip opened from the History afterwards is not the webcam's.
        state->openPreview();
        QCOMPARE(state->barState(), SBS_NORMAL);
        state->closePreview();
    }

    void stepsThatDoNotFitChangeNothing()
    {
        RecordState* state = RecordState::instance();
        RecordParameter* p = RecordParameter::instance();
        // Idle: nothing to pause, resume or finish.
        state->pause();
        state->finish();
        QCOMPARE(state->state(), RecordState::Idle);
        QVERIFY(!p->m_bPause && !p->m_bRecording);

        // A mark set elsewhere survives a record click's questions.
        p->m_bPreview = true;
        QVERIFY(state->ask());
        state->stopAsking();
        QVERIFY(p->m_bPreview.load());
        p->m_bPreview = false;

        // A recording runs: a second click asks nothing of the state, a clip opened meanwhile
        // leaves the recording as it is, and the end of the clip does not end the recording.
        state->startRecording(RecordState::Screen);
        QVERIFY(!state->ask());
        state->stopAsking();
        state->countDown(true);
        QCOMPARE(state->state(), RecordState::Recording);
        QVERIFY(state->hotKeysEnabled());
        state->openPreview();
        QCOMPARE(state->state(), RecordState::Recording);
        QVERIFY(p->m_bRecording && p->m_bPreview);
        state->closePreview();
        QCOMPARE(state->state(), RecordState::Recording);
        QVERIFY(p->m_bRecording && !p->m_bPreview);

        // The road ends while two previews are open: the preview lasts until the last closes.
        state->finish();
        state->openPreview();
        state->openPreview();
        state->end();
        QCOMPARE(state->state(), RecordState::Preview);
        state->closePreview();
        QVERIFY(p->m_bPreview.load());
        state->closePreview();
        QCOMPARE(state->state(), RecordState::Idle);
        QVERIFY(!p->m_bPreview && !p->m_bRecording);
    }
};

SR_TEST(RecordStateTest)

#include "tst_recordstate.moc"
