#pragma once
// The binding to the dialog library libCorvane.so: its dialogs are shown by export name.
#include <QString>

class QWidget;

// The file name of the dialog library in the install folder.
QString DialogLibraryFileName();

// The window the library's dialogs belong to: the program's main window, set by the entry.
void SetDllOwnerWindow(QWidget* window);
QWidget* DllOwnerWindow();

// Shows one dialog of the library (GetInstallPath() + libCorvane.so) modally and returns
// when it is closed. A missing file, a library that does not load or a missing export
// does nothing, silently. The library is loaded once and never unloaded.
void ShowDllForm(const QString& exportName);

// How many times a library file was actually loaded in this process (for the tests).
int DllLoadCount();
