#pragma once
// Where system sound comes from: the monitor source of the sound server's default sink
// (PulseAudio or PipeWire-Pulse), asked through `pactl`. No plug-in is installed for it.
// Any thread; query() blocks its caller while `pactl` runs.

#include <QString>
#include <QStringList>

struct AudioSourceStatus {
    bool serverRunning = false; // pactl answered
    QString defaultSink;        // e.g. "alsa_output.pci-0000_00_1f.3.analog-stereo"
    QString monitorSource;      // the sink's monitor, e.g. "<sink>.monitor"; empty when unknown
    bool available = false;     // the monitor is listed among the sources

    // Asks the sound server (waits up to a few seconds for `pactl`); without `pactl`, the
    // capture devices the sound system lists (fromCaptureDevices).
    static AudioSourceStatus query();
    // Builds the status from the names of the capture devices: a device named "*.monitor"
    // is a monitor source; the default sink is not known this way.
    static AudioSourceStatus fromCaptureDevices(const QStringList& devices);
    // The default sink named in the answer of `pactl info`; empty when none.
    static QString defaultSinkFromInfo(const QString& info);
    // Builds the status from the answers of `pactl get-default-sink` and
    // `pactl list short sources` (tab-separated: index, name, driver, format, state).
    static AudioSourceStatus parse(const QString& defaultSink, const QString& shortSources);
};
