#include "dialogs/UnitOption.h"

#include "shared/Prompts.h"
#include "shared/Share.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace {

const QString kSection = QStringLiteral("Preview");

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption, int x, int y)
{
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->move(x, y);
    b->adjustSize();
    return b;
}

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QLatin1String(name));
    g->setGeometry(geometry);
    return g;
}

} // namespace

TOptionsSettings ReadOptionsSettings()
{
    TOptionsSettings s;
    const QString order = ReadConfig(kSection, QStringLiteral("IsPlayOrder"));
    if (order == QLatin1String("0"))
        s.playOrder = TOptionsSettings::Sequential;
    else if (order == QLatin1String("1"))
        s.playOrder = TOptionsSettings::Random;
    else if (order == QLatin1String("2"))
        s.playOrder = TOptionsSettings::Loop;
    s.fullScreen = ReadConfig(kSection, QStringLiteral("IsMax")) == QLatin1String("1");
    s.favoriteDir = ReadConfig(kSection, QStringLiteral("FavoriteDir"));
    return s;
}

void WriteOptionsSettings(const TOptionsSettings& s)
{
    if (s.playOrder >= TOptionsSettings::Sequential && s.playOrder <= TOptionsSettings::Loop)
        WriteConfig(kSection, QStringLiteral("IsPlayOrder"), QString::number(s.playOrder));
    WriteConfig(kSection, QStringLiteral("IsMax"), s.fullScreen ? QStringLiteral("1") : QStringLiteral("0"));
    WriteConfig(kSection, QStringLiteral("FavoriteDir"), s.favoriteDir.trimmed());
}

QString FavoriteFolderStart(const QString& text)
{
    const QString path = text.trimmed();
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QString();
}

void SetProgramIcon(QLabel* image)
{
    // The program icon from the artwork compiled into the widget library.
    const QPixmap icon(QStringLiteral(":/art/product-32.png"));
    if (!icon.isNull())
        image->setPixmap(icon.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

TFrmOptions::TFrmOptions(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FrmOptions"));
    setWindowTitle(QStringLiteral("Set options"));
    setFixedSize(425, 282);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 8, 32, 32);
    SetProgramIcon(Image1);

    Label1 = new QLabel(QStringLiteral("Setting Options"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big = Label1->font();
    big.setPixelSize(16);
    big.setBold(true);
    Label1->setFont(big);
    Label1->move(55, 20);
    Label1->adjustSize();

    // A bevel with its top line only.
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(16, 40, 393, 9);
    Bevel1->setFrameShape(QFrame::NoFrame);
    auto* line = new QFrame(Bevel1);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(0, 0, 393, 2);

    RzGroupBox3 = groupBox(this, "RzGroupBox3", QStringLiteral("The Swf file Play Order"), { 16, 48, 393, 51 });
    BtnSequential = radio(RzGroupBox3, "BtnSequential", QStringLiteral("Sequential"), 24, 24);
    BtnRandom = radio(RzGroupBox3, "BtnRandom", QStringLiteral("Random"), 152, 24);
    BtnLoop = radio(RzGroupBox3, "BtnLoop", QStringLiteral("Loop"), 272, 24);

    RzGroupBox4 = groupBox(this, "RzGroupBox4", QStringLiteral("The Swf file preview window"), { 16, 112, 393, 57 });
    BtnFull = radio(RzGroupBox4, "BtnFull", QStringLiteral("Full in Screen"), 24, 24);
    BtnNormal = radio(RzGroupBox4, "BtnNormal", QStringLiteral("Normal windows"), 208, 24);

    RzGroupBox5 = groupBox(this, "RzGroupBox5", QStringLiteral("Select favorite folder"), { 16, 176, 393, 57 });
    EdtFavorite = new QLineEdit(RzGroupBox5);
    EdtFavorite->setObjectName(QStringLiteral("EdtFavorite"));
    EdtFavorite->setGeometry(16, 24, 361, 21);
    EdtFavoriteButton = EdtFavorite->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    EdtFavoriteButton->setObjectName(QStringLiteral("EdtFavoriteButton"));
    EdtFavoriteButton->setToolTip(QStringLiteral("Choose a folder"));
    connect(EdtFavoriteButton, &QAction::triggered, this, &TFrmOptions::EdtFavoriteButtonClick);

    BtnOk = new QPushButton(QStringLiteral("&Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setGeometry(252, 244, 75, 25);
    BtnOk->setDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &TFrmOptions::BtnOkClick);

    BtnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(332, 244, 75, 25);
    BtnCancel->setAutoDefault(false);
    connect(BtnCancel, &QPushButton::clicked, this, &TFrmOptions::BtnCancelClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TOptionsSettings TFrmOptions::ControlSettings() const
{
    TOptionsSettings s;
    if (BtnSequential->isChecked())
        s.playOrder = TOptionsSettings::Sequential;
    else if (BtnRandom->isChecked())
        s.playOrder = TOptionsSettings::Random;
    else if (BtnLoop->isChecked())
        s.playOrder = TOptionsSettings::Loop;
    s.fullScreen = BtnFull->isChecked();
    s.favoriteDir = EdtFavorite->text();
    return s;
}

void TFrmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmOptions::FormShow()
{
    const TOptionsSettings s = ReadOptionsSettings();
    switch (s.playOrder) {
    case TOptionsSettings::Sequential: BtnSequential->setChecked(true); break;
    case TOptionsSettings::Random: BtnRandom->setChecked(true); break;
    case TOptionsSettings::Loop: BtnLoop->setChecked(true); break;
    default: break;
    }
    (s.fullScreen ? BtnFull : BtnNormal)->setChecked(true);
    EdtFavorite->setText(s.favoriteDir);
}

void TFrmOptions::BtnOkClick()
{
    try {
        WriteOptionsSettings(ControlSettings());
    } catch (const std::exception& e) {
        // The library's own error box; the dialog stays open.
        prompts().message(this, Prompts::Icon::Error, AppTitle(), QString::fromUtf8(e.what()));
        return;
    }
    accept();
}

void TFrmOptions::BtnCancelClick()
{
    reject();
}

void TFrmOptions::EdtFavoriteButtonClick()
{
    const QString chosen = prompts().chooseFolder(this, QStringLiteral("Select favorite folder"),
                                                  FavoriteFolderStart(EdtFavorite->text()));
    if (!chosen.isEmpty())
        EdtFavorite->setText(chosen);
}
