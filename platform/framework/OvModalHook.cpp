#include "OvModalHook.h"

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
} // namespace OvModalHook
