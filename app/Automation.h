#pragma once
// Switches for running the program unattended, as the process tests do. Nothing changes
// unless the variables are set; every line written goes to stderr and starts "quillmoor: ".
//
//   QM_PROMPTS_AUTO=ok   message boxes are answered OK, questions No, input boxes and file
//                        and folder dialogs are cancelled; each is written out
//                        ("quillmoor: message <caption>: <text>") instead of being shown.
//   QM_SHELL_LOG=1       shell requests are written out ("quillmoor: shell open <address>",
//                        "quillmoor: shell show <files>") instead of being carried out.
//   QM_REPORT_WINDOWS=1  every top-level window is written out when it is shown
//                        ("quillmoor: window shown <class> \"<title>\"").
//
// Line breaks inside a text are written as the two characters \n, so that every report is
// one line.
class QApplication;

// Installs the prompts and shell switches; call before anything is shown.
void InstallAutomationHooks();
// Installs the window report when QM_REPORT_WINDOWS is set (the application object does).
void InstallWindowReporter(QApplication& app);
