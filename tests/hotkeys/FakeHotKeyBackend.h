#pragma once
// A hot-key backend that grabs nothing: it keeps the chords installed, refuses the chords it
// is told another program holds, and fires an installed chord on request.

#include "OvHotKeyBackend.h"

#include <QMap>
#include <QPair>
#include <QSet>

class FakeHotKeyBackend : public OvHotKeyBackend {
    Q_OBJECT
public:
    using Chord = QPair<quint64, quint64>;

    Result install(quint32 id, quint64 keyCode, quint64 modifierFlags) override
    {
        if (keyCode == 0x7FFFFFFFFFFFFFFFULL)
            return Result::NoKey;
        if (heldElsewhere.contains({keyCode, modifierFlags}))
            return Result::Taken;
        installed.insert(id, {keyCode, modifierFlags});
        return Result::Installed;
    }
    void uninstall(quint32 id) override { installed.remove(id); }
    bool isTakenElsewhere(quint64 keyCode, quint64 modifierFlags) override
    {
        return heldElsewhere.contains({keyCode, modifierFlags});
    }

    // The installed chords, sorted.
    QList<Chord> chords() const
    {
        QList<Chord> list = installed.values();
        std::sort(list.begin(), list.end());
        return list;
    }
    // Presses the chord; false when it is not installed.
    bool press(quint64 keyCode, quint64 modifierFlags)
    {
        const quint32 id = installed.key({keyCode, modifierFlags}, 0);
        if (id)
            emit activated(id);
        return id != 0;
    }

    QMap<quint32, Chord> installed;
    QSet<Chord> heldElsewhere;
};
