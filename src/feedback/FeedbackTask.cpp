#include "FeedbackTask.h"

#include "Log.h"

#include <QDomDocument>
#include <QMap>

void FeedbackTask::getNeededNode(QList<XmlNodeMap>& out, bool withUrl, bool allNodes)
{
    // QMap keeps its keys in ascending order, which is the order of "all nodes".
    QMap<QString, XmlNodeMap> table;
    const auto add = [&table](const XmlNodeMap& node) { table.insert(QLatin1String(node.name), node); };
    add(XmlNodeMap("brand_id", &m_strBrand));
    add(XmlNodeMap("product_id", &m_nProductId));
    add(XmlNodeMap("product_name", &m_strProductName));
    add(XmlNodeMap("product_version", &m_strProductVersion));
    add(XmlNodeMap("os", &m_strOs));
    add(XmlNodeMap("name", &m_strUserName));
    add(XmlNodeMap("affiliate_id", &m_strAffiliateId));
    add(XmlNodeMap("type", &m_nType));
    add(XmlNodeMap("level", &m_nLevel));
    add(XmlNodeMap("rating", &m_nRating));
    add(XmlNodeMap("email", &m_strEmail));
    add(XmlNodeMap("content", &m_strContent));
    add(XmlNodeMap("log_file", &m_strLogFile));
    add(XmlNodeMap("attach_file", &m_attachments));
    add(XmlNodeMap("summary", &m_strSummary));

    if (allNodes) {
        out = table.values();
    } else {
        for (const QString& name : qAsConst(m_needSendNodes)) {
            const auto it = table.constFind(name);
            if (it != table.constEnd())
                out.append(it.value());
        }
    }
    if (withUrl)
        out.append(XmlNodeMap("url", &m_strUrl));
}

bool FeedbackTask::saveTo(QByteArray& out)
{
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement root = doc.createElement(QStringLiteral("feedback"));
    doc.appendChild(root);

    const auto addElement = [&doc, &root](const QString& name, const QString& text) {
        QDomElement element = doc.createElement(name);
        // An empty text node keeps the element written as <x></x>.
        element.appendChild(doc.createTextNode(text));
        root.appendChild(element);
    };

    QList<XmlNodeMap> nodes;
    getNeededNode(nodes, true, false);
    for (const XmlNodeMap& node : qAsConst(nodes)) {
        const QString name = QLatin1String(node.name);
        switch (node.type) {
        case XmlNodeMap::String: addElement(name, *node.str); break;
        case XmlNodeMap::Integer: addElement(name, QString::number(*node.num)); break;
        case XmlNodeMap::StringList:
            for (const QString& item : qAsConst(*node.list))
                addElement(name, item);
            break;
        }
    }
    out = doc.toByteArray(1);
    return true;
}

bool FeedbackTask::loadFrom(const QByteArray& data)
{
    QDomDocument doc;
    if (!doc.setContent(data)) {
        Log("FEEDBACK", 2, "XML file analysis error !!!");
        return false;
    }

    QList<XmlNodeMap> nodes;
    getNeededNode(nodes, true, true);
    for (QDomElement element = doc.documentElement().firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        const QString tag = element.tagName();
        for (const XmlNodeMap& node : qAsConst(nodes)) {
            if (tag != QLatin1String(node.name))
                continue;
            m_needSendNodes.append(tag);
            switch (node.type) {
            case XmlNodeMap::String: *node.str = element.text(); break;
            case XmlNodeMap::Integer: *node.num = element.text().toInt(nullptr, 10); break;
            case XmlNodeMap::StringList: node.list->append(element.text()); break;
            }
        }
    }
    m_needSendNodes.removeOne(QStringLiteral("url"));
    m_needSendNodes.removeDuplicates();
    return true;
}
