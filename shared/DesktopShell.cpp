#include "shared/DesktopShell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>

namespace {
DesktopShell* g_installed = nullptr;
}

DesktopShell& desktopShell()
{
    static FreedesktopShell real;
    return g_installed ? *g_installed : real;
}

void setDesktopShell(DesktopShell* replacement)
{
    g_installed = replacement;
}

bool FreedesktopShell::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool FreedesktopShell::showItems(const QStringList& files)
{
    if (files.isEmpty())
        return false;
    QStringList uris;
    for (const QString& f : files)
        uris << QUrl::fromLocalFile(QFileInfo(f).absoluteFilePath()).toString();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << uris << QString();
        // A short wait: a desktop without a file manager service answers at once with an error.
        const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return openUrl(QUrl::fromLocalFile(QFileInfo(files.first()).absolutePath()));
}
