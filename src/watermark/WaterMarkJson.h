#pragma once
// The text form of the watermark list in "WaterMark.json": one object per record under
// the root key "WaterMark". Reading is tolerant: every record starts from the defaults
// and absent or ill-typed keys keep them (or read as empty, false or 0, as the format says).
// Any thread.

#include "watermark/WaterMarkData.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

class WaterMarkJson {
public:
    static QJsonObject toJson(const WaterMarkData& record);
    static WaterMarkData fromJson(const QJsonObject& object);

    // The indented UTF-8 document for a whole list.
    static QByteArray toDocument(const QList<WaterMarkData>& records);
    // Parses a document (read up to its first zero byte). False on a JSON syntax error;
    // a root without a "WaterMark" array gives an empty list and true.
    static bool fromDocument(const QByteArray& bytes, QList<WaterMarkData>& records);

    // "#rrggbb" in lower case; an invalid colour is written as black.
    static QString colorText(const QColor& color);
};
