#include "RecordTarget.h"

#include <QDir>
#include <QFile>
#include <QStringList>

QList<QSize> RecordTarget::presetSizes()
{
    return {QSize(640, 480), QSize(800, 600), QSize(1024, 768), QSize(1280, 720), QSize(1920, 1080)};
}

QString RecordTarget::sizeText(const QSize& size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

QRect RecordTarget::fitInto(const QRect& rect, const QRect& display)
{
    if (rect.isEmpty() || display.isEmpty() || !rect.intersects(display))
        return QRect();
    QRect r(rect.topLeft(), rect.size().boundedTo(display.size()));
    r.moveLeft(qBound(display.left(), r.left(), display.right() - r.width() + 1));
    r.moveTop(qBound(display.top(), r.top(), display.bottom() - r.height() + 1));
    return r;
}

QRect RecordTarget::presetRect(const QRect& current, const QSize& preset, const QRect& display)
{
    QRect r(QPoint(0, 0), preset.boundedTo(display.size()));
    r.moveCenter(current.isEmpty() ? display.center() : current.center());
    return fitInto(r, display);
}

QRect RecordTarget::defaultRegion(const QRect& display)
{
    return presetRect(QRect(), QSize(display.width() * 3 / 4, display.height() * 3 / 4), display);
}

QRect RecordTarget::aroundMouseRect(const QPoint& cursor, const QSize& size, const QRect& display)
{
    QRect r(QPoint(0, 0), size.boundedTo(display.size()));
    r.moveCenter(cursor);
    QRect fitted = fitInto(r, display);
    if (fitted.isEmpty()) { // the cursor is on another display: centre on this one
        r.moveCenter(display.center());
        fitted = fitInto(r, display);
    }
    return fitted;
}

QString RecordTarget::runningProgram(const QString& names, const QString& procRoot)
{
    QStringList wanted;
    for (const QString& n : names.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!n.trimmed().isEmpty())
            wanted << n.trimmed();
    if (wanted.isEmpty())
        return QString();
    const QStringList pids = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        bool numeric = false;
        pid.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile comm(procRoot + QLatin1Char('/') + pid + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        // The kernel keeps only 15 bytes of a process name.
        for (const QString& w : wanted)
            if (name == w || (name.size() == 15 && w.startsWith(name)))
                return w;
    }
    return QString();
}
