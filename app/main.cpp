// Quillmoor's entry. For now it opens a plain main window; the toolbar replaces it.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoor"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quillmoor"));
    auto* label = new QLabel(QStringLiteral("Quillmoor is being built: the toolbar and the player are not here yet."));
    label->setMargin(24);
    window.setCentralWidget(label);
    window.show();
    return app.exec();
}
