#include "shared/Prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

Prompts* g_installed = nullptr;

QMessageBox::Icon toMessageBoxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Error: return QMessageBox::Critical;
    case Prompts::Icon::Warning: return QMessageBox::Warning;
    case Prompts::Icon::Information: return QMessageBox::Information;
    case Prompts::Icon::Question: return QMessageBox::Question;
    case Prompts::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Prompts& prompts()
{
    static WidgetPrompts real;
    return g_installed ? *g_installed : real;
}

void setPrompts(Prompts* replacement)
{
    g_installed = replacement;
}

void WidgetPrompts::message(QWidget* parent, Icon icon, const QString& caption, const QString& text)
{
    QMessageBox box(toMessageBoxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

Prompts::Answer WidgetPrompts::question(QWidget* parent, Icon icon, const QString& caption,
                                        const QString& text)
{
    QMessageBox box(toMessageBoxIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setEscapeButton(QMessageBox::NoButton);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Closed;
    }
}

bool WidgetPrompts::inputBox(QWidget* parent, const QString& caption, const QString& prompt, QString& value)
{
    bool ok = false;
    const QString entered = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = entered;
    return ok;
}

QStringList WidgetPrompts::openFiles(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter, bool multiple)
{
    if (multiple)
        return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
    const QString one = QFileDialog::getOpenFileName(parent, caption, folder, filter);
    return one.isEmpty() ? QStringList() : QStringList { one };
}

QString WidgetPrompts::saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString WidgetPrompts::chooseFolder(QWidget* parent, const QString& caption, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start);
}
