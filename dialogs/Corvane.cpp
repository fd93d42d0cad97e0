// The dialog library libCorvane.so. The program loads it by path and calls these exports
// by name with its main window; each shows one dialog modally, owned by that window.
#include "dialogs/UnitAbout.h"
#include "dialogs/UnitOption.h"

#include <QWidget>

#define CORVANE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

template <class Form>
bool showModal(quintptr owner)
{
    // Nothing may cross the C boundary but the result; the forms report their own errors.
    try {
        Form form(reinterpret_cast<QWidget*>(owner));
        form.exec();
    } catch (...) {
    }
    return true;
}

} // namespace

CORVANE_EXPORT bool ShowFrmOption(quintptr owner)
{
    return showModal<TFrmOptions>(owner);
}

CORVANE_EXPORT bool ShowFrmAbout(quintptr owner)
{
    return showModal<TFrmAbout>(owner);
}
