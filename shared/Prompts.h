#pragma once
// Every question, message and file or folder dialog of the program goes through one
// Prompts object. The program installs the real dialogs; tests install a scripted one.
#include <QString>
#include <QStringList>

class QWidget;

class Prompts {
public:
    enum class Icon { None, Error, Warning, Information, Question };
    enum class Answer { Yes, No, Closed };

    virtual ~Prompts() = default;

    // A modal box with an OK button.
    virtual void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) = 0;
    // A modal box with Yes and No buttons. Closing the box without a choice gives Closed.
    virtual Answer question(QWidget* parent, Icon icon, const QString& caption, const QString& text) = 0;
    // A one-line text input. Returns false when the user cancels.
    virtual bool inputBox(QWidget* parent, const QString& caption, const QString& prompt, QString& value) = 0;
    // Open dialog for one or more existing files; empty when cancelled.
    virtual QStringList openFiles(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter, bool multiple) = 0;
    // Save dialog; empty when cancelled.
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                             const QString& filter) = 0;
    // Folder dialog; empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) = 0;
};

// The Prompts in use. Until one is installed, the real dialogs are used.
Prompts& prompts();
// Installs another Prompts (tests); passing nullptr brings the real dialogs back.
// The caller keeps ownership and must outlive its use.
void setPrompts(Prompts* replacement);

// The real dialogs, on Qt Widgets.
class WidgetPrompts : public Prompts {
public:
    void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
    Answer question(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
    bool inputBox(QWidget* parent, const QString& caption, const QString& prompt, QString& value) override;
    QStringList openFiles(QWidget* parent, const QString& caption, const QString& folder,
                          const QString& filter, bool multiple) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                     const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) override;
};
