#pragma once
// The desktop's shell: opening documents and addresses with their handlers and showing files
// in the file manager. The program uses the desktop; tests install a recorder.
#include <QStringList>
#include <QUrl>

class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    // Opens a file, folder or address with the desktop's handler. Returns false on failure.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows the files selected in the file manager. Returns false on failure.
    virtual bool showItems(const QStringList& files) = 0;
};

// The shell in use; the desktop's until another is installed.
DesktopShell& desktopShell();
// Installs another shell (tests); nullptr brings the desktop's back. The caller keeps ownership.
void setDesktopShell(DesktopShell* replacement);

// The freedesktop implementation: QDesktopServices for opening, the FileManager1 D-Bus
// interface for selecting, falling back to opening the folder.
class FreedesktopShell : public DesktopShell {
public:
    bool openUrl(const QUrl& url) override;
    bool showItems(const QStringList& files) override;
};
