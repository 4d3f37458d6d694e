#pragma once
// Scripted answers for every modal question the application asks. The test main installs
// it before any test runs: a question with no scripted answer is recorded as unexpected
// and answered with "cancel", so that no test ever blocks.

#include "OvModalHook.h"

#include <QList>
#include <QStringList>

namespace ModalAnswers {
// Answers the next question of kind `kind` with `answer`.
void push(OvModalRequest::Kind kind, const QVariant& answer);
// Answers the next question of kind `kind` by calling `handler` (which may drive the dialog).
void pushHandler(OvModalRequest::Kind kind, std::function<QVariant(const OvModalRequest&)> handler);
// Every question asked since the last clear(), in order.
QList<OvModalRequest> asked();
// The texts of the message boxes asked since the last clear().
QStringList messages();
// Questions that came with no scripted answer.
int unexpectedCount();
// Forgets asked questions and scripted answers that were not used.
void clear();
// Installs the answerer (the test main does it).
void install();
} // namespace ModalAnswers
