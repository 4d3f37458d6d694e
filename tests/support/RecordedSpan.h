#pragma once
// How long a recording really ran, as the test can know it on a busy machine: the calls that
// start, pause, resume and stop it are timed from before to after each call, so the time
// spent recording lies between `least()` (from the end of one call to the start of the next)
// and `most()` (from the start of one call to the end of the next). A recording's length is
// checked against that span instead of against the time the test meant to wait.

#include <QElapsedTimer>
#include <functional>
#include <type_traits>
#include <vector>

namespace SrTest {
// How much later than the start call a busy machine may take the first picture or sample,
// and how far the last one may reach past the stop call.
constexpr double kLateStart = 0.5;
constexpr double kLastFrame = 0.1;

class RecordedSpan {
public:
    RecordedSpan() { m_clock.start(); }

    // Times a call that changes the recording's state: the first starts it, then pause,
    // resume, ..., and the last stops it. Returns what the call returned.
    template <typename Call> auto mark(Call&& call) -> decltype(call())
    {
        Mark m;
        m.before = m_clock.nsecsElapsed();
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            m.after = m_clock.nsecsElapsed();
            m_marks.push_back(m);
        } else {
            auto result = call();
            m.after = m_clock.nsecsElapsed();
            m_marks.push_back(m);
            return result;
        }
    }

    // Seconds recorded at least and at most: the intervals from a start or resume to the next
    // pause or stop.
    double least() const { return sum(false); }
    double most() const { return sum(true); }
    // Seconds paused at least (from the end of a pause call to the start of its resume).
    double pausedLeast() const
    {
        qint64 ns = 0;
        for (size_t i = 1; i + 1 < m_marks.size(); i += 2)
            ns += m_marks[i + 1].before - m_marks[i].after;
        return ns / 1e9;
    }

    // A length read back from the file or the recorder lies within the span: `lateStart` is
    // how much later than the start call the first picture or sample may have been taken,
    // `frame` how far a last picture may reach past the stop.
    bool holds(double seconds, double lateStart = kLateStart, double frame = kLastFrame) const
    {
        return seconds >= least() - lateStart && seconds <= most() + frame;
    }

private:
    struct Mark {
        qint64 before = 0;
        qint64 after = 0;
    };
    double sum(bool widest) const
    {
        qint64 ns = 0;
        for (size_t i = 0; i + 1 < m_marks.size(); i += 2)
            ns += widest ? m_marks[i + 1].after - m_marks[i].before : m_marks[i + 1].before - m_marks[i].after;
        return ns / 1e9;
    }
    QElapsedTimer m_clock;
    std::vector<Mark> m_marks;
};
} // namespace SrTest
