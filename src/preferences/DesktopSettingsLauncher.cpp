#include "DesktopSettingsLauncher.h"

#include "Log.h"
#include "services/PlatformSeam.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QStringList>
#include <iterator>

namespace {
struct SettingsProgram {
    const char* program;
    const char* argument; // null: none
};
// Desktop settings tools tried in order for each panel.
const SettingsProgram kMousePrograms[] = {
    {"gnome-control-center", "mouse"}, {"systemsettings5", "kcm_mouse"}, {"xfce4-mouse-settings", nullptr}};
const SettingsProgram kSoundPrograms[] = {
    {"gnome-control-center", "sound"}, {"systemsettings5", "kcm_pulseaudio"}, {"pavucontrol", nullptr}};
const SettingsProgram kDisplayPrograms[] = {
    {"gnome-control-center", "display"}, {"systemsettings5", "kcm_kscreen"}, {"xfce4-display-settings", nullptr}};

QString tr(const char* text) { return QCoreApplication::translate("OptionDialog", text); }
} // namespace

bool DesktopSettingsLauncher::open(Panel panel, QString* what)
{
    const SettingsProgram* programs = kMousePrograms;
    size_t count = std::size(kMousePrograms);
    *what = tr("the mouse settings");
    if (panel == Sound) {
        programs = kSoundPrograms;
        count = std::size(kSoundPrograms);
        *what = tr("the sound settings");
    } else if (panel == Display) {
        programs = kDisplayPrograms;
        count = std::size(kDisplayPrograms);
        *what = tr("the display settings");
    }
    for (size_t i = 0; i < count; ++i) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(programs[i].program));
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (programs[i].argument)
            arguments << QString::fromLatin1(programs[i].argument);
        if (PlatformSeam::current()->startDetached(program, arguments))
            return true;
        Log("OptionDialog", 2, "could not start %s", qPrintable(program));
        break;
    }
    return false;
}
