#pragma once
// The Options dialog of the dialog library: play order, player window and favourite folder,
// kept in the [Preview] section of the settings file.
#include <QDialog>
#include <QString>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What the dialog shows and stores.
struct TOptionsSettings {
    enum PlayOrder { NoOrder = -1, Sequential = 0, Random = 1, Loop = 2 };
    int playOrder = NoOrder;  // "IsPlayOrder": only "0", "1" and "2" select an order
    bool fullScreen = false;  // "IsMax": "1" is full screen, anything else a normal window
    QString favoriteDir;      // "FavoriteDir"
};

TOptionsSettings ReadOptionsSettings();
// Writes "IsPlayOrder" (only when an order is chosen), "IsMax" and "FavoriteDir" (trimmed,
// also when empty), in that order. A refused write throws EIniFileException; the values
// written before it stay stored.
void WriteOptionsSettings(const TOptionsSettings& settings);
// Where the folder dialog starts: the text when it names an existing folder, else nothing.
QString FavoriteFolderStart(const QString& text);

class TFrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOptions(QWidget* owner);

    // The settings the controls show now.
    TOptionsSettings ControlSettings() const;

    QLabel* Image1;
    QLabel* Label1;
    QFrame* Bevel1;
    QGroupBox* RzGroupBox3;
    QRadioButton* BtnSequential;
    QRadioButton* BtnRandom;
    QRadioButton* BtnLoop;
    QGroupBox* RzGroupBox4;
    QRadioButton* BtnFull;
    QRadioButton* BtnNormal;
    QGroupBox* RzGroupBox5;
    QLineEdit* EdtFavorite;
    QAction* EdtFavoriteButton;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

public slots:
    void FormShow();
    void BtnOkClick();
    void BtnCancelClick();
    void EdtFavoriteButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
};

// The program icon (32 x 32) for the dialogs' Image1; shows nothing when it is not there.
void SetProgramIcon(QLabel* image);
