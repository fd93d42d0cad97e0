#include "control/ShockwaveFlash.h"

#include "swf/player/Player.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// A stall of the user-interface thread (a modal box, a suspended machine) is not caught up
// frame by frame: at most this much time is run in one tick.
constexpr qint64 kMaxCatchUpMs = 1000;

swf::Quality toEngineQuality(int quality)
{
    switch (quality) {
    case 0: return swf::Quality::Low;
    case 2: return swf::Quality::Medium;
    default: return swf::Quality::High;
    }
}

} // namespace

QString TShockwaveFlash::UnloadPath()
{
    return QStringLiteral("c:\\sym.swf");
}

TShockwaveFlash::TShockwaveFlash(QWidget* parent)
    : QWidget(parent)
    , FPlayer(std::make_unique<swf::Player>())
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TShockwaveFlash::TimerTick);
}

TShockwaveFlash::~TShockwaveFlash()
{
    FTimer.stop();
}

void TShockwaveFlash::SetMovie(const QString& path)
{
    FTimer.stop();
    FMovie = path;
    // The windows' way of emptying the control; on this system it could even name a
    // real file in the working folder, so it is never opened.
    const bool unload = path.isEmpty() || path.compare(UnloadPath(), Qt::CaseInsensitive) == 0;
    if (unload || !FPlayer->load(path)) {
        FPlayer->unload();
    } else {
        FPlayer->setQuality(toEngineQuality(FQuality));
        if (FBackgroundColor >= 0)
            FPlayer->setBackgroundColor(static_cast<std::uint32_t>(FBackgroundColor));
        FPlayer->play();
        StartClock();
    }
    update();
    emit OnMovieChanged();
}

void TShockwaveFlash::SetQuality(int quality)
{
    FQuality = quality;
    FPlayer->setQuality(toEngineQuality(quality));
    update();
}

void TShockwaveFlash::SetBackgroundColor(int bgr)
{
    FBackgroundColor = bgr < 0 ? -1 : (bgr & 0xFFFFFF);
    if (FBackgroundColor >= 0)
        FPlayer->setBackgroundColor(static_cast<std::uint32_t>(FBackgroundColor));
    update();
}

int TShockwaveFlash::TotalFrames() const
{
    return FPlayer->isLoaded() ? FPlayer->totalFrames() : 0;
}

int TShockwaveFlash::ReadyState() const
{
    return FPlayer->readyState();
}

void TShockwaveFlash::Play()
{
    if (!FPlayer->isLoaded())
        return;
    FPlayer->play();
    if (!FTimer.isActive())
        StartClock();
}

void TShockwaveFlash::Stop()
{
    FPlayer->stop();
}

bool TShockwaveFlash::IsPlaying() const
{
    return FPlayer->isLoaded() && FPlayer->isPlaying();
}

void TShockwaveFlash::Zoom(int factor)
{
    FZoom = factor;
    update();
}

void TShockwaveFlash::GotoFrame(int frame)
{
    if (!FPlayer->isLoaded())
        return;
    FPlayer->gotoFrame(std::max(frame, 0));
    update();
}

int TShockwaveFlash::CurrentFrame() const
{
    return FPlayer->isLoaded() ? FPlayer->currentFrame() : 0;
}

double TShockwaveFlash::FrameRate() const
{
    return FPlayer->isLoaded() ? FPlayer->frameRate() : 0.0;
}

void TShockwaveFlash::PaintTo(QPainter& painter, const QRect& target)
{
    Draw(painter, target);
    ForeignPictureDrawn(target);
}

void TShockwaveFlash::ForeignPictureDrawn(const QRect& target)
{
    // The player maps the mouse by the last picture it drew; after a picture of another
    // place the control's own is drawn again before the mouse needs it.
    if (FPlayer->isLoaded() && target != rect() && isVisible())
        update();
}

void TShockwaveFlash::Draw(QPainter& painter, const QRect& target)
{
    if (target.isEmpty())
        return;
    if (FPlayer->isLoaded()) {
        FPlayer->render(painter, target);
        return;
    }
    // Empty: the background colour when one was given, else the window's face.
    const QColor face = FBackgroundColor >= 0
        ? QColor(FBackgroundColor & 0xFF, (FBackgroundColor >> 8) & 0xFF, (FBackgroundColor >> 16) & 0xFF)
        : palette().color(QPalette::Window);
    painter.fillRect(target, face);
}

QImage TShockwaveFlash::RenderToImage(const QSize& size)
{
    if (size.isEmpty())
        return QImage();
    if (FPlayer->isLoaded()) {
        QImage picture = FPlayer->renderFrame(size);
        ForeignPictureDrawn(QRect(QPoint(0, 0), size));
        return picture;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    Draw(painter, QRect(QPoint(0, 0), size));
    return image;
}

void TShockwaveFlash::AdvanceBy(int milliseconds)
{
    if (!FPlayer->isLoaded() || milliseconds <= 0)
        return;
    FPlayer->advance(milliseconds);
    update();
}

void TShockwaveFlash::StartClock()
{
    const double rate = FPlayer->frameRate();
    // One tick per frame of the movie's rate; the clock, not the tick count, decides how
    // many frames are due, so late ticks do not make the movie drift.
    const int interval = rate > 0 ? std::clamp(static_cast<int>(std::lround(1000.0 / rate)), 1, 1000) : 83;
    FTimer.setInterval(interval);
    FClock.start();
    FLastTick = 0;
    FTimer.start();
}

void TShockwaveFlash::TimerTick()
{
    if (!FPlayer->isLoaded()) {
        FTimer.stop();
        return;
    }
    const qint64 now = FClock.elapsed();
    const qint64 due = std::min(now - FLastTick, kMaxCatchUpMs);
    FLastTick = now;
    if (due <= 0)
        return;
    // Sprites run even while the main timeline stands, so the clock runs while loaded.
    if (FPlayer->advance(static_cast<int>(due)) > 0)
        update();
}

void TShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter, rect());
}

void TShockwaveFlash::MoviePress(const QPointF& pos)
{
    if (FPlayer->isLoaded()) {
        FPlayer->mousePress(pos);
        update();
    }
}

void TShockwaveFlash::MovieRelease(const QPointF& pos)
{
    if (FPlayer->isLoaded()) {
        FPlayer->mouseRelease(pos);
        update();
    }
}

void TShockwaveFlash::mousePressEvent(QMouseEvent* event)
{
    // Only the left button reaches the movie; the control has no menu of its own.
    if (event->button() == Qt::LeftButton)
        MoviePress(event->position());
    event->accept();
}

void TShockwaveFlash::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        MovieRelease(event->position());
    event->accept();
}

void TShockwaveFlash::mouseMoveEvent(QMouseEvent* event)
{
    if (FPlayer->isLoaded())
        FPlayer->mouseMove(event->position());
    event->accept();
}

void TShockwaveFlash::wheelEvent(QWheelEvent* event)
{
    // Whole notches (120 units each) scroll the text under the mouse by a line each.
    FWheelRemainder += event->angleDelta().y();
    const int lines = FWheelRemainder / 120;
    FWheelRemainder -= lines * 120;
    if (FPlayer->isLoaded() && lines != 0) {
        FPlayer->mouseMove(event->position());
        FPlayer->mouseWheel(lines);
        update();
    }
    event->accept();
}

void TShockwaveFlash::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press for the movie.
    if (event->button() == Qt::LeftButton)
        MoviePress(event->position());
    event->accept();
}

void TShockwaveFlash::leaveEvent(QEvent* event)
{
    if (FPlayer->isLoaded())
        FPlayer->mouseLeave();
    QWidget::leaveEvent(event);
}

void TShockwaveFlash::keyPressEvent(QKeyEvent* event)
{
    if (!FPlayer->isLoaded()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    FPlayer->keyPress(event->key(), text.isEmpty() ? QChar() : text.at(0));
    update();
    // Esc also belongs to the window around the movie (a dialog's Cancel).
    if (event->key() == Qt::Key_Escape)
        event->ignore();
}

void TShockwaveFlash::keyReleaseEvent(QKeyEvent* event)
{
    if (!FPlayer->isLoaded()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    FPlayer->keyRelease(event->key());
}

void TShockwaveFlash::contextMenuEvent(QContextMenuEvent* event)
{
    // No menu, and the request does not travel on to the window either.
    event->accept();
}
