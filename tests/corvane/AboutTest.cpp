#include "dialogs/UnitAbout.h"
#include "shared/DesktopShell.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using qmtest::RecordingShell;

} // namespace

TEST(About, HomePageIsTheUserGuideBesideTheProgramAndOpensOnClick)
{
    RecordingShell shell;
    TFrmAbout form(nullptr);
    EXPECT_EQ(AboutHomePage(), QUrl::fromLocalFile(GetAppPath() + "help.html").toString());
    emit form.RzURLLabel1->linkActivated(AboutHomePage());
    EXPECT_EQ(shell.opened, QStringList { AboutHomePage() });
    EXPECT_EQ(form.RzURLLabel1->toolTip(), AboutHomePage());
}

TEST(About, NoInventedSupportAddress)
{
    TFrmAbout form(nullptr);
    EXPECT_FALSE(form.RzURLLabel2->text().contains("mailto:"));
    EXPECT_FALSE(form.RzURLLabel2->text().contains('@'));
    EXPECT_FALSE(form.RzURLLabel2->text().contains("<a"));
}

TEST(About, WindowTextsAndClose)
{
    TFrmAbout form(nullptr);
    EXPECT_EQ(form.windowTitle(), "About");
    EXPECT_EQ(form.size(), QSize(331, 189));
    EXPECT_EQ(form.LblTitle->text(), "Oru Quillmoor");
    EXPECT_EQ(form.LblVersion->text(), "Version 1.0");
    EXPECT_EQ(form.BtnClose->text(), "&Ok");
    EXPECT_TRUE(form.BtnClose->isDefault());
    // However long the program's path, the link does not run under the button.
    EXPECT_LT(form.RzURLLabel1->geometry().right(), form.BtnClose->geometry().left());
    form.show();
    form.BtnClose->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}
