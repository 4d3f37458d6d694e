#include "ModalAnswers.h"

#include <QColor>
#include <QDebug>
#include <QDialog>
#include <QMessageBox>

namespace {
struct Scripted {
    OvModalRequest::Kind kind;
    std::function<QVariant(const OvModalRequest&)> handler;
};
QList<Scripted> g_script;
QList<OvModalRequest> g_asked;
int g_unexpected = 0;

QVariant cancelAnswer(const OvModalRequest& request)
{
    switch (request.kind) {
    case OvModalRequest::MessageBox:
        return int(QMessageBox::Cancel);
    case OvModalRequest::Dialog:
        return int(QDialog::Rejected);
    case OvModalRequest::Directory:
    case OvModalRequest::SaveFile:
        return QString();
    case OvModalRequest::OpenFiles:
        return QStringList();
    default:
        return QVariant();
    }
}

QVariant answerRequest(const OvModalRequest& request)
{
    g_asked.append(request);
    for (int i = 0; i < g_script.size(); ++i) {
        if (g_script.at(i).kind == request.kind) {
            const Scripted scripted = g_script.takeAt(i);
            return scripted.handler(request);
        }
    }
    ++g_unexpected;
    qWarning().noquote() << "unexpected modal question:" << request.kind << request.className << request.title
                         << request.text;
    return cancelAnswer(request);
}
} // namespace

namespace ModalAnswers {
void push(OvModalRequest::Kind kind, const QVariant& answer)
{
    g_script.append({kind, [answer](const OvModalRequest&) { return answer; }});
}

void pushHandler(OvModalRequest::Kind kind, std::function<QVariant(const OvModalRequest&)> handler)
{
    g_script.append({kind, std::move(handler)});
}

QList<OvModalRequest> asked() { return g_asked; }

QStringList messages()
{
    QStringList texts;
    for (const OvModalRequest& r : g_asked)
        if (r.kind == OvModalRequest::MessageBox)
            texts << r.text;
    return texts;
}

int unexpectedCount() { return g_unexpected; }

void clear()
{
    g_script.clear();
    g_asked.clear();
    g_unexpected = 0;
}

void install() { OvModalHook::setAnswerer(answerRequest); }
} // namespace ModalAnswers
