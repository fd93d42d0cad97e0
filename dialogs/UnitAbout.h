#pragma once
// The About box of the dialog library.
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

// The product's home page: the user guide beside the program, as a file address.
QString AboutHomePage();
// The rights notice and the support line of the box.
QString AboutRightsNotice();
QString AboutSupportText();

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget* owner);

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* LblTitle;
    QLabel* LblVersion;
    QLabel* Label1;
    QLabel* RzURLLabel1;
    QLabel* RzURLLabel2;
    QPushButton* BtnClose;

public slots:
    void BtnCloseClick();
    // Opens the home page with the desktop's handler.
    void RzURLLabel1Click();
};
