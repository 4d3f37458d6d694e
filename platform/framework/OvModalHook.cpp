#include "OvModalHook.h"

#include <QDialog>

namespace {
OvModalAnswerer& answerer()
{
    static OvModalAnswerer s_answerer;
    return s_answerer;
}
} // namespace

namespace OvModalHook {
void setAnswerer(OvModalAnswerer a) { answerer() = std::move(a); }
bool isActive() { return bool(answerer()); }
QVariant answer(const OvModalRequest& request)
{
    // Copy first: the answerer may replace itself while answering.
    OvModalAnswerer current = answerer();
    return current ? current(request) : QVariant();
}

int execDialog(QDialog* dialog, const QString& text)
{
    if (!isActive())
        return dialog->QDialog::exec();
    OvModalRequest request;
    request.kind = OvModalRequest::Dialog;
    request.widget = dialog;
    request.className = QString::fromLatin1(dialog->metaObject()->className());
    request.title = dialog->windowTitle();
    request.text = text;
    dialog->setResult(QDialog::Rejected);
    // The answerer may drive the dialog's own widgets, which end it through done().
    bool finishedSeen = false;
    const QMetaObject::Connection watch
        = QObject::connect(dialog, &QDialog::finished, dialog, [&finishedSeen] { finishedSeen = true; });
    const QVariant reply = answer(request);
    QObject::disconnect(watch);
    if (finishedSeen)
        return reply.isValid() ? reply.toInt() : dialog->result();
    const int code = reply.isValid() ? reply.toInt() : int(QDialog::Rejected);
    dialog->done(code);
    return code;
}
} // namespace OvModalHook
