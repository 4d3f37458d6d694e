#include "watermark/WaterMarkJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {
const QString kRoot = QStringLiteral("WaterMark");
// A font this heavy or heavier is stored as bold (above QFont::Medium).
const int kBoldWeight = 58;

// Splits "a;b;c;" keeping empty parts; the first `count` parts as ints (unparsable
// gives 0), or an empty list when there are fewer parts.
QList<int> intParts(const QString& text, int count)
{
    const QStringList parts = text.split(QLatin1Char(';'), Qt::KeepEmptyParts);
    QList<int> values;
    if (parts.size() < count)
        return values;
    for (int i = 0; i < count; ++i)
        values << parts.at(i).toInt();
    return values;
}
} // namespace

QString WaterMarkJson::colorText(const QColor& color)
{
    if (!color.isValid())
        return QStringLiteral("#000000");
    return color.name(QColor::HexRgb).toLower();
}

QJsonObject WaterMarkJson::toJson(const WaterMarkData& record)
{
    QJsonObject o;
    o.insert(QStringLiteral("m_strWaterMarkName"), record.m_strWaterMarkName);
    o.insert(QStringLiteral("m_bPic"), record.m_bPic);
    QList<int> margins = record.m_lstMargin;
    while (margins.size() < 4)
        margins << -1;
    o.insert(QStringLiteral("m_lstMargin"),
             QStringLiteral("%1;%2;%3;%4;").arg(margins[0]).arg(margins[1]).arg(margins[2]).arg(margins[3]));
    o.insert(QStringLiteral("m_ItemSize"),
             QStringLiteral("%1;%2;").arg(record.m_ItemSize.width()).arg(record.m_ItemSize.height()));
    o.insert(QStringLiteral("m_strWatermarkText"), record.m_strWatermarkText);
    o.insert(QStringLiteral("font_Family"), record.m_font.family());
    o.insert(QStringLiteral("font_StrikeOut"), record.m_font.strikeOut());
    o.insert(QStringLiteral("font_Underline"), record.m_font.underline());
    o.insert(QStringLiteral("font_Bold"), record.m_font.weight() >= kBoldWeight);
    o.insert(QStringLiteral("font_Italic"), record.m_font.style() != QFont::StyleNormal);
    o.insert(QStringLiteral("font_PointSize"), record.m_font.pointSize());
    o.insert(QStringLiteral("m_clrTextWatermark"), colorText(record.m_clrTextWatermark));
    o.insert(QStringLiteral("m_strWaterMarkPath"), record.m_strWaterMarkPath);
    o.insert(QStringLiteral("m_nOpacity"), record.m_nOpacity);
    o.insert(QStringLiteral("m_bShadow"), record.m_shadow.m_bShadow);
    o.insert(QStringLiteral("m_clrShadow"), colorText(record.m_shadow.m_clrShadow));
    o.insert(QStringLiteral("m_OffsetX"), record.m_shadow.m_OffsetX);
    o.insert(QStringLiteral("m_OffsetY"), record.m_shadow.m_OffsetY);
    o.insert(QStringLiteral("m_Blur"), record.m_shadow.m_Blur);
    return o;
}

WaterMarkData WaterMarkJson::fromJson(const QJsonObject& o)
{
    WaterMarkData r;
    r.m_strWaterMarkName = o.value(QStringLiteral("m_strWaterMarkName")).toString();
    r.m_bPic = o.value(QStringLiteral("m_bPic")).toBool();
    const QList<int> margins = intParts(o.value(QStringLiteral("m_lstMargin")).toString(), 4);
    if (!margins.isEmpty())
        r.m_lstMargin = margins;
    const QList<int> size = intParts(o.value(QStringLiteral("m_ItemSize")).toString(), 2);
    if (!size.isEmpty())
        r.m_ItemSize = QSize(size[0], size[1]);
    r.m_strWatermarkText = o.value(QStringLiteral("m_strWatermarkText")).toString();

    r.m_font.setFamily(o.value(QStringLiteral("font_Family")).toString());
    r.m_font.setStrikeOut(o.value(QStringLiteral("font_StrikeOut")).toBool());
    r.m_font.setUnderline(o.value(QStringLiteral("font_Underline")).toBool());
    r.m_font.setWeight(o.value(QStringLiteral("font_Bold")).toBool() ? QFont::Bold : QFont::Normal);
    r.m_font.setStyle(o.value(QStringLiteral("font_Italic")).toBool() ? QFont::StyleItalic : QFont::StyleNormal);
    const int pointSize = o.value(QStringLiteral("font_PointSize")).toInt(0);
    if (pointSize > 0)
        r.m_font.setPointSize(pointSize);

    r.m_clrTextWatermark = QColor(o.value(QStringLiteral("m_clrTextWatermark")).toString());
    r.m_strWaterMarkPath = o.value(QStringLiteral("m_strWaterMarkPath")).toString();
    r.m_nOpacity = o.value(QStringLiteral("m_nOpacity")).toInt();
    r.m_shadow.m_bShadow = o.value(QStringLiteral("m_bShadow")).toBool();
    r.m_shadow.m_clrShadow = QColor(o.value(QStringLiteral("m_clrShadow")).toString());
    r.m_shadow.m_OffsetX = o.value(QStringLiteral("m_OffsetX")).toInt();
    r.m_shadow.m_OffsetY = o.value(QStringLiteral("m_OffsetY")).toInt();
    r.m_shadow.m_Blur = o.value(QStringLiteral("m_Blur")).toInt();
    return r;
}

QByteArray WaterMarkJson::toDocument(const QList<WaterMarkData>& records)
{
    QJsonArray array;
    for (const WaterMarkData& record : records)
        array.append(toJson(record));
    QJsonObject root;
    root.insert(kRoot, array);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool WaterMarkJson::fromDocument(const QByteArray& bytes, QList<WaterMarkData>& records)
{
    // The text ends at the first zero byte (a file padded with zeros still reads).
    const QString text = QString::fromUtf8(bytes.constData(), int(qstrnlen(bytes.constData(), uint(bytes.size()))));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return false;
    const QJsonValue list = doc.object().value(kRoot);
    if (!list.isArray())
        return true;
    for (const QJsonValue& element : list.toArray())
        records.append(fromJson(element.toObject()));
    return true;
}
