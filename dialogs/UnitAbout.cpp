#include "dialogs/UnitAbout.h"

#include "dialogs/UnitOption.h"
#include "shared/Share.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

QString AboutHomePage()
{
    return HomePageUrl();
}

QString AboutRightsNotice()
{
    return QStringLiteral("Copyright (C) the Quillmoor developers.");
}

QString AboutSupportText()
{
    // There is no support mailbox; the user guide is the place to look.
    return QStringLiteral("No support e-mail address: see the user guide above.");
}

TFrmAbout::TFrmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(331, 189);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 313, 105);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 16, 32, 32);
    SetProgramIcon(Image1);

    LblTitle = new QLabel(QStringLiteral("Oru Quillmoor"), Panel1);
    LblTitle->setObjectName(QStringLiteral("LblTitle"));
    QFont titleFont = LblTitle->font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    LblTitle->setFont(titleFont);
    LblTitle->move(80, 24);
    LblTitle->adjustSize();

    LblVersion = new QLabel(QStringLiteral("Version 1.0"), Panel1);
    LblVersion->setObjectName(QStringLiteral("LblVersion"));
    LblVersion->move(120, 56);
    LblVersion->adjustSize();

    Label1 = new QLabel(AboutRightsNotice(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 128);
    Label1->adjustSize();

    // The address as its caption, shortened in the middle where it would run under the button.
    const QString home = AboutHomePage();
    RzURLLabel1 = new QLabel(this);
    RzURLLabel1->setObjectName(QStringLiteral("RzURLLabel1"));
    const QString shown = QFontMetrics(RzURLLabel1->font()).elidedText(home, Qt::ElideMiddle, 232);
    const QString color = palette().color(QPalette::Highlight).name();
    RzURLLabel1->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:underline\">%3</a>")
                             .arg(home.toHtmlEscaped(), color, shown.toHtmlEscaped()));
    RzURLLabel1->setToolTip(home);
    RzURLLabel1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    RzURLLabel1->setOpenExternalLinks(false);
    RzURLLabel1->move(8, 144);
    RzURLLabel1->adjustSize();
    connect(RzURLLabel1, &QLabel::linkActivated, this, &TFrmAbout::RzURLLabel1Click);

    RzURLLabel2 = new QLabel(AboutSupportText(), this);
    RzURLLabel2->setObjectName(QStringLiteral("RzURLLabel2"));
    RzURLLabel2->move(8, 160);
    RzURLLabel2->adjustSize();

    BtnClose = new QPushButton(QStringLiteral("&Ok"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setGeometry(248, 152, 75, 25);
    BtnClose->setDefault(true);
    connect(BtnClose, &QPushButton::clicked, this, &TFrmAbout::BtnCloseClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFrmAbout::BtnCloseClick()
{
    accept();
}

void TFrmAbout::RzURLLabel1Click()
{
    ShellOpen(this, AboutHomePage());
}
