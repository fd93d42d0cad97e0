#include "control/kvURLLabel.h"
#include "shared/DesktopShell.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using qmtest::RecordingShell;

void clickAt(TkvURLLabel& label, QPointF press, QPointF release)
{
    QMouseEvent down(QEvent::MouseButtonPress, press, label.mapToGlobal(press), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&label, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, release, label.mapToGlobal(release),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&label, &up);
}

} // namespace

TEST(TkvURLLabel, StartsAsABlueUnderlinedHandPointerLink)
{
    TkvURLLabel label;
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.FontColor(), QColor(Qt::blue));
    EXPECT_EQ(label.FontLinkColor(), QColor(Qt::blue));
    EXPECT_EQ(label.FontHoverColor(), QColor(Qt::red));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(label.AutoSize());
    EXPECT_FALSE(label.text().isEmpty());
    EXPECT_EQ(label.URL(), HomePageUrl());
}

TEST(TkvURLLabel, ClickOpensTheAddressUnlessBlankOrNo)
{
    struct Case {
        QString url;
        bool opens;
    };
    const std::vector<Case> cases = {
        {"https://example.org/flash/", true},
        {"no", false},
        {"", false},
        {"   ", false},
        {"No", true},   // only exactly "no" is refused
        {" no ", true}, // blanks are not trimmed for that comparison
    };
    for (const Case& c : cases) {
        RecordingShell shell;
        TkvURLLabel label;
        QSignalSpy clicked(&label, &TkvURLLabel::OnClick);
        label.SetURL(c.url);
        clickAt(label, QPointF(2, 2), QPointF(3, 3));
        EXPECT_EQ(shell.opened.size(), c.opens ? 1 : 0) << "URL '" << c.url.toStdString() << "'";
        EXPECT_EQ(clicked.count(), 1) << "OnClick in every case";
    }
}

TEST(TkvURLLabel, OpensTheStoredAddress)
{
    RecordingShell shell;
    TkvURLLabel label;
    label.SetURL("https://example.org/a b");
    label.Click();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0], QUrl("https://example.org/a b").toString());
}

TEST(TkvURLLabel, ReleaseOutsideOpensNothing)
{
    RecordingShell shell;
    TkvURLLabel label;
    QSignalSpy clicked(&label, &TkvURLLabel::OnClick);
    clickAt(label, QPointF(2, 2), QPointF(-20, 2));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_EQ(clicked.count(), 0);
}

TEST(TkvURLLabel, HoverColours)
{
    TkvURLLabel label;
    label.SetFontHoverColor(Qt::darkRed);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.FontColor(), QColor(Qt::darkRed));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.FontColor(), QColor(Qt::blue));
    // A new link colour shows at once.
    label.SetFontLinkColor(Qt::darkGreen);
    EXPECT_EQ(label.FontColor(), QColor(Qt::darkGreen));
}

TEST(TkvURLLabel, AutoSizeFollowsTheCaption)
{
    TkvURLLabel label;
    label.SetCaption("x");
    const int narrow = label.width();
    label.SetCaption("a much longer caption than before");
    EXPECT_GT(label.width(), narrow);
    label.SetAutoSize(false);
    const QSize fixed = label.size();
    label.SetCaption("x");
    EXPECT_EQ(label.size(), fixed);
}
