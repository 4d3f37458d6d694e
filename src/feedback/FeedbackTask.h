#pragma once
// One feedback request: who sends it, what the user wrote, which files go with it and
// where it is posted. The dialog writes it as an XML request file; the "Feedback" helper
// reads such a file back and posts it as one multipart/form-data request.
//
// A plain value class used by one thread at a time (the dialog's GUI thread in the
// application, the main thread in the helper).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

typedef struct curl_mime curl_mime;

// Describes one node of the request: its name and the field that holds its value.
// Descriptors point into the FeedbackTask that built them; keep them no longer than it.
struct XmlNodeMap {
    enum Type { String = 0, Integer = 1, StringList = 2 };
    XmlNodeMap(const char* nodeName, QString* field) : name(nodeName), type(String), str(field) {}
    XmlNodeMap(const char* nodeName, int* field) : name(nodeName), type(Integer), num(field) {}
    XmlNodeMap(const char* nodeName, QStringList* field) : name(nodeName), type(StringList), list(field) {}

    const char* name;
    int type;
    QString* str = nullptr;      // type String
    int* num = nullptr;          // type Integer
    QStringList* list = nullptr; // type StringList
};

class FeedbackTask {
public:
    // An overall limit for one upload, in seconds.
    static constexpr int kDefaultTransferTimeout = 600;

    FeedbackTask() = default;

    void setFeedbackUrl(const QString& url) { m_strUrl = url; }
    void setBrandName(const QString& brand) { m_strBrand = brand; }
    void setProduct(int productId) { m_nProductId = productId; }
    void setProductName(const QString& name) { m_strProductName = name; }
    void setProducVersion(const QString& version) { m_strProductVersion = version; }
    void setUserName(const QString& name) { m_strUserName = name; }
    void setAffiliateId(const QString& id) { m_strAffiliateId = id; }
    void setType(int type) { m_nType = type; }
    void setLevel(int level) { m_nLevel = level; }
    void setRateLevel(int rating) { m_nRating = rating; }
    void setEmail(const QString& email) { m_strEmail = email; }
    void setContent(const QString& content) { m_strContent = content; }
    void setLogFile(const QString& path) { m_strLogFile = path; }
    void addAttachment(const QString& path) { m_attachments.append(path); }
    void setSummary(const QString& summary) { m_strSummary = summary; }
    void setNeedSendNodes(const QStringList& names) { m_needSendNodes = names; }

    QString feedbackUrl() const { return m_strUrl; }
    QString osName() const { return m_strOs; }
    QString email() const { return m_strEmail; }
    QString content() const { return m_strContent; }
    QString logFile() const { return m_strLogFile; }
    QStringList attachments() const { return m_attachments; }
    QStringList needSendNodes() const { return m_needSendNodes; }

    // Fills `out`: every node in ascending order of name when `allNodes` is true, else the
    // need-send names in their order (unknown names skipped, repeats kept); then "url"
    // when `withUrl` is true.
    void getNeededNode(QList<XmlNodeMap>& out, bool withUrl, bool allNodes);

    // Writes the request file text (the need-send nodes in order, then "url"). Always true.
    bool saveTo(QByteArray& out);
    // Reads a request file, appending to what the request holds. False, with the request
    // unchanged, when the text is not well-formed XML.
    bool loadFrom(const QByteArray& data);

    // "LINUX64" followed by the kernel version "major.minor.patch".
    static QString buildOSName();
    // The upload (these two) is in the upload library, which only the helper links.
    // Sets "os" and adds one part per value of every node (files as "<node>[]" parts).
    void buildPostData(curl_mime* form);
    // Posts the request to its feedback address; true when the server answers 200 to 298.
    // Blocks the calling thread for the whole transfer, at most `timeoutSeconds`.
    bool sendFeedback(int timeoutSeconds = kDefaultTransferTimeout);
    // Why the last sendFeedback failed (the server's HTTP status or the transfer's error), in English.
    QString sendError() const { return m_strSendError; }

private:
    QString m_strUrl;
    QString m_strBrand;
    int m_nProductId = 0;
    QString m_strProductName;
    QString m_strProductVersion;
    QString m_strOs;
    QString m_strUserName;
    QString m_strAffiliateId;
    int m_nType = 0;
    int m_nLevel = 0;
    int m_nRating = 0;
    QString m_strEmail;
    QString m_strContent;
    QString m_strLogFile;
    QStringList m_attachments;
    QList<QByteArray> m_uploadNames;
    QList<QByteArray> m_uploadContents;
    QString m_strSummary;
    QStringList m_needSendNodes;
    QString m_strSendError;
};
