#pragma once
#include "shared/DesktopShell.h"
#include "shared/Prompts.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <vector>

namespace qmtest {

// Folder of the SWF corpus (../shared/corpus of the project), from QM_CORPUS.
QString corpusDir();

// Runs the event loop until `condition` holds or `timeoutMs` passes; returns the condition.
// (QtTest's QTRY_ macros report outside GoogleTest, so tests use this with EXPECT_TRUE.)
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 2000);

// Reads or writes a whole file; fails the current test on error.
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// A desktop shell that records what it is asked to open or show, installed for the lifetime
// of the object. Addresses are kept as text.
class RecordingShell : public DesktopShell {
public:
    RecordingShell() { setDesktopShell(this); }
    ~RecordingShell() override { setDesktopShell(nullptr); }
    bool openUrl(const QUrl& url) override
    {
        opened << url.toString();
        return true;
    }
    bool showItems(const QStringList& files) override
    {
        shown << files;
        return true;
    }
    QStringList opened;
    QStringList shown;
};

// A Prompts that answers from a script and records what was asked. Installed for the
// lifetime of the object.
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        Icon icon;
        QString caption;
        QString text;
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    std::vector<Shown> messages;  // message() calls
    std::vector<Shown> questions; // question() calls
    std::deque<Answer> answers;   // answers for question(); Closed when empty
    std::deque<QString> inputs;   // values for inputBox(); cancel when empty
    std::deque<QStringList> fileChoices;
    std::deque<QString> saveChoices;
    std::deque<QString> folderChoices;

    void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
    Answer question(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
    bool inputBox(QWidget* parent, const QString& caption, const QString& prompt, QString& value) override;
    QStringList openFiles(QWidget* parent, const QString& caption, const QString& folder,
                          const QString& filter, bool multiple) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                     const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) override;
};

} // namespace qmtest
