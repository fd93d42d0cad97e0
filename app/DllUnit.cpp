#include "app/DllUnit.h"

#include "shared/Share.h"

#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget>& ownerWindow()
{
    static QPointer<QWidget> window;
    return window;
}

int g_loads = 0;

// Loaded libraries by path. They are never unloaded: the dialogs' code and state stay in
// memory to the end of the run, and a second dialog finds the library already there.
QLibrary* loadedLibrary(const QString& path)
{
    static QHash<QString, QLibrary*> loaded;
    if (QLibrary* lib = loaded.value(path))
        return lib;
    auto* lib = new QLibrary(path);
    if (!lib->load()) {
        delete lib;
        return nullptr;
    }
    ++g_loads;
    loaded.insert(path, lib);
    return lib;
}

} // namespace

QString DialogLibraryFileName()
{
    return QStringLiteral("libCorvane.so");
}

void SetDllOwnerWindow(QWidget* window)
{
    ownerWindow() = window;
}

QWidget* DllOwnerWindow()
{
    return ownerWindow().data();
}

void ShowDllForm(const QString& exportName)
{
    const QString path = GetInstallPath() + DialogLibraryFileName();
    if (!QFileInfo(path).isFile())
        return;
    QLibrary* lib = loadedLibrary(path);
    if (!lib)
        return;
    using Export = bool (*)(quintptr);
    const auto show = reinterpret_cast<Export>(lib->resolve(exportName.toLatin1().constData()));
    if (!show)
        return;
    show(reinterpret_cast<quintptr>(DllOwnerWindow()));
}

int DllLoadCount()
{
    return g_loads;
}
