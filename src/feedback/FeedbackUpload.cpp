// The sending side of FeedbackTask: the multipart form and the POST through libcurl.

#include "FeedbackTask.h"

#include "Log.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <curl/curl.h>
#include <sys/utsname.h>

namespace {
// The server's answer body is not needed: take it and drop it (libcurl would print it).
size_t discardBody(char*, size_t size, size_t count, void*) { return size * count; }

// The answers that mean the feedback server took the request: 200 to 298 (299 does not).
const long kFirstAcceptedCode = 200;
const long kLastAcceptedCode = 298;
} // namespace

QString FeedbackTask::buildOSName()
{
    int version[3] = {0, 0, 0};
    struct utsname info {};
    if (uname(&info) == 0) {
        // "6.1.0-18-amd64" gives 6, 1, 0; a missing third number counts as 0.
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?"))
                  .match(QString::fromLocal8Bit(info.release));
        for (int i = 0; i < 3 && match.hasMatch(); ++i)
            version[i] = match.captured(i + 1).toInt();
    }
    return QStringLiteral("LINUX64") + QStringLiteral("%1.%2.%3").arg(version[0]).arg(version[1]).arg(version[2]);
}

void FeedbackTask::buildPostData(curl_mime* form)
{
    m_strOs = buildOSName();
    Log("Feedback", 1, "OSName: %s", m_strOs.toUtf8().constData());

    m_uploadNames.clear();
    m_uploadContents.clear();
    QList<XmlNodeMap> nodes;
    getNeededNode(nodes, false, true);
    for (const XmlNodeMap& node : qAsConst(nodes)) {
        QStringList values;
        switch (node.type) {
        case XmlNodeMap::String: values << *node.str; break;
        case XmlNodeMap::Integer: values << QString::number(*node.num); break;
        case XmlNodeMap::StringList: values = *node.list; break;
        }
        const QByteArray name(node.name);
        const bool isFile = name == "log_file" || name == "attach_file";
        for (const QString& value : qAsConst(values)) {
            if (isFile) {
                QFile file(value);
                if (value.isEmpty() || !file.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray partName = name + "[]";
                m_uploadNames.append(QFileInfo(value).fileName().toUtf8());
                m_uploadContents.append(file.readAll());
                curl_mimepart* part = curl_mime_addpart(form);
                curl_mime_data(part, m_uploadContents.last().constData(), size_t(m_uploadContents.last().size()));
                curl_mime_filename(part, m_uploadNames.last().constData());
                curl_mime_name(part, partName.constData());
                Log("Feedback", 1, "post key: %s", partName.constData());
                Log("Feedback", 1, "post   file name: %s", m_uploadNames.last().constData());
                Log("Feedback", 1, "post   data size: %d", int(m_uploadContents.last().size()));
            } else {
                // The byte length, so that a NUL inside the text does not cut it short.
                const QByteArray data = value.toUtf8();
                curl_mimepart* part = curl_mime_addpart(form);
                curl_mime_data(part, data.constData(), size_t(data.size()));
                curl_mime_name(part, name.constData());
                Log("Feedback", 1, "post name: %s", name.constData());
                Log("Feedback", 1, "post value: %s", data.constData());
            }
        }
    }
}

bool FeedbackTask::sendFeedback(int timeoutSeconds)
{
    char errorBuffer[CURL_ERROR_SIZE + 1] = {0};
    CURL* curl = curl_easy_init();
    if (!curl) {
        m_strSendError = QStringLiteral("the network library could not be started");
        Log("Feedback", 2, "send feedback fail: curl_easy_init");
        return false;
    }
    const QByteArray url = m_strUrl.toUtf8();
    // A transfer slower than 1 byte/s for 300 s is abandoned; the whole upload is bounded too.
    // TLS peer and host verification keep libcurl's defaults (on).
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 300L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discardBody);
    Log("Feedback", 1, "send feedback Url: %s", url.constData());

    // An empty Expect header keeps libcurl from sending "Expect: 100-continue".
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);

    curl_mime* form = curl_mime_init(curl);
    buildPostData(form);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
    const CURLcode result = curl_easy_perform(curl);
    curl_mime_free(form);
    curl_slist_free_all(headers);

    long responseCode = 0;
    const CURLcode infoResult = curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &responseCode);
    const bool accepted = result == CURLE_OK && infoResult == CURLE_OK && responseCode >= kFirstAcceptedCode
                          && responseCode <= kLastAcceptedCode;
    m_strSendError.clear();
    if (accepted) {
        Log("Feedback", 1, "send feedback OK: %d %d %d", int(result), int(infoResult), int(responseCode));
    } else {
        m_strSendError = result != CURLE_OK
                             ? QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(result))
                             : QStringLiteral("the server answered with HTTP status %1").arg(responseCode);
        Log("Feedback", 2, "send feedback fail: %d %d %d, %s", int(result), int(infoResult), int(responseCode),
            m_strSendError.toUtf8().constData());
    }
    curl_easy_cleanup(curl);
    return accepted;
}
