#include "swf/player/Player.h"

#include "swf/format/Reader.h"
#include "swf/player/MovieStage.h"
#include "swf/player/StageFit.h"
#include "swf/render/Renderer.h"

#include <QFile>

#include <algorithm>
#include <span>

namespace swf {

namespace {

// A header rate of 0 would never advance; such movies run at one frame a second, slow
// enough to be plainly not a real rate and fast enough to show that the movie plays.
constexpr double kZeroRateFallback = 1.0;
// advance() catches up at most this many frames; a longer stall drops the rest.
constexpr int kMaxCatchUpFrames = 8;
// Files larger than the reader accepts are refused before reading them in.
constexpr qint64 kMaxFileSize = 512ll << 20;

std::uint8_t buttonKeyCode(int qtKey, QChar character)
{
    switch (qtKey) {
    case Qt::Key_Left: return 1;
    case Qt::Key_Right: return 2;
    case Qt::Key_Home: return 3;
    case Qt::Key_End: return 4;
    case Qt::Key_Insert: return 5;
    case Qt::Key_Delete: return 6;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Up: return 14;
    case Qt::Key_Down: return 15;
    case Qt::Key_PageUp: return 16;
    case Qt::Key_PageDown: return 17;
    case Qt::Key_Tab: return 18;
    case Qt::Key_Escape: return 19;
    default: break;
    }
    const char16_t c = character.unicode();
    return (c >= 32 && c < 127) ? static_cast<std::uint8_t>(c) : 0;
}

} // namespace

struct Player::Impl {
    std::unique_ptr<Movie> movie;
    std::unique_ptr<player::MovieStage> stage;
    std::unique_ptr<render::Renderer> renderer;
    std::optional<std::uint32_t> backgroundOverride;
    Quality quality = Quality::High;
    double pendingMs = 0;
    std::function<void(const QString&)> trace;
    player::StageFit lastFit;
    DisplayNode scene;

    void reset()
    {
        renderer.reset(); // holds on to the stage's library
        stage.reset();
        movie.reset();
        pendingMs = 0;
        lastFit = {};
        scene = DisplayNode{};
    }

    std::optional<QPointF> toStage(QPointF device) const
    {
        if (!stage)
            return std::nullopt;
        // Before anything is drawn, input is in pixels of the stage at its own size.
        const Rect& frame = movie->header.frameRect;
        const player::StageFit fit = lastFit.valid()
            ? lastFit
            : player::fitStage(frame, QRect(0, 0, static_cast<int>(frame.width().toPixels()),
                                            static_cast<int>(frame.height().toPixels())));
        if (!fit.valid())
            return std::nullopt;
        return fit.stageToDevice.inverted().map(device);
    }
};

Player::Player() : d(std::make_unique<Impl>()) {}

Player::~Player()
{
    d->reset();
}

bool Player::load(const QString& path)
{
    unload();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return false;
    return loadData(file.readAll());
}

bool Player::loadData(const QByteArray& bytes)
{
    unload();
    auto movie = std::make_unique<Movie>(
        readMovie(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                static_cast<std::size_t>(bytes.size()))));
    if (!movie->headerValid)
        return false;
    d->movie = std::move(movie);
    d->stage = std::make_unique<player::MovieStage>(*d->movie);
    d->stage->setTraceSink(d->trace);
    d->stage->setToggleQualityHandler([this] { d->quality = d->quality == Quality::High ? Quality::Low : Quality::High; });
    d->renderer = std::make_unique<render::Renderer>(d->stage->library());
    d->stage->setHitTest([this](const DisplayNode& node, const QTransform& toStage, QPointF point) {
        return d->renderer->hitTest(node, toStage, point);
    });
    d->stage->setMaxScroll([this](const DisplayNode& node) { return d->renderer->editTextLines(node).maxScroll(); });
    if (d->movie->error)
        d->stage->log(QStringLiteral("movie damaged, showing what could be read: %1")
                          .arg(QString::fromStdString(d->movie->error->describe())));
    d->stage->start();
    return true;
}

void Player::unload()
{
    d->reset();
}

bool Player::isLoaded() const
{
    return d->stage != nullptr;
}

int Player::readyState() const
{
    return d->stage ? 4 : 0;
}

void Player::play()
{
    if (d->stage)
        d->stage->root().play();
}

void Player::stop()
{
    if (d->stage)
        d->stage->root().stop();
}

bool Player::isPlaying() const
{
    return d->stage && d->stage->root().isPlaying();
}

void Player::gotoFrame(int frame)
{
    if (!d->stage)
        return;
    d->stage->root().gotoFrame(frame);
    d->stage->runQueuedActions();
}

int Player::currentFrame() const
{
    return d->stage ? std::max(0, d->stage->root().currentFrame()) : 0;
}

int Player::totalFrames() const
{
    return d->stage ? d->stage->root().totalFrames() : 0;
}

double Player::frameRate() const
{
    if (!d->movie)
        return 0;
    const double rate = d->movie->header.frameRate.toDouble();
    return rate > 0 ? rate : kZeroRateFallback;
}

QSize Player::stageSize() const
{
    if (!d->movie)
        return {};
    const Rect& r = d->movie->header.frameRect;
    return QSize(static_cast<int>(r.width().toPixels() + 0.5), static_cast<int>(r.height().toPixels() + 0.5));
}

void Player::setBackgroundColor(std::uint32_t bgr)
{
    d->backgroundOverride = bgr & 0xFFFFFFu;
}

std::uint32_t Player::backgroundColor() const
{
    if (d->backgroundOverride)
        return *d->backgroundOverride;
    if (d->stage) {
        if (const auto bg = d->stage->background())
            return std::uint32_t(bg->r) | (std::uint32_t(bg->g) << 8) | (std::uint32_t(bg->b) << 16);
    }
    return 0xFFFFFFu; // white, as movies without a background colour show
}

void Player::setQuality(Quality quality)
{
    d->quality = quality;
}

Quality Player::quality() const
{
    return d->quality;
}

int Player::advance(int milliseconds)
{
    if (!d->stage || milliseconds <= 0)
        return 0;
    const double interval = 1000.0 / frameRate();
    d->pendingMs += milliseconds;
    int frames = 0;
    while (d->pendingMs >= interval && frames < kMaxCatchUpFrames) {
        advanceFrame();
        d->pendingMs -= interval;
        ++frames;
    }
    if (frames == kMaxCatchUpFrames)
        d->pendingMs = std::min(d->pendingMs, interval);
    return frames;
}

void Player::advanceFrame()
{
    if (d->stage)
        d->stage->advanceFrame();
}

void Player::render(QPainter& painter, const QRect& viewport)
{
    const std::uint32_t bgr = backgroundColor();
    painter.save();
    painter.fillRect(viewport, QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
    if (d->stage) {
        const player::StageFit fit = player::fitStage(d->movie->header.frameRect, viewport);
        if (fit.valid()) {
            d->lastFit = fit;
            // Objects off the stage stay hidden: the bars show the background only.
            painter.setClipRect(fit.stageRect, Qt::IntersectClip);
            d->stage->buildScene(d->scene);
            d->renderer->draw(painter, d->scene, fit.stageToDevice, d->quality != Quality::Low);
        }
    }
    painter.restore();
}

QImage Player::renderFrame(const QSize& size)
{
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    QPainter painter(&image);
    render(painter, QRect(QPoint(0, 0), size));
    painter.end();
    return image;
}

void Player::mouseMove(QPointF position)
{
    if (const auto p = d->toStage(position))
        d->stage->mouseMove(*p);
}

void Player::mousePress(QPointF position)
{
    if (const auto p = d->toStage(position))
        d->stage->mousePress(*p);
}

void Player::mouseRelease(QPointF position)
{
    if (const auto p = d->toStage(position))
        d->stage->mouseRelease(*p);
}

void Player::mouseWheel(int lines)
{
    if (d->stage)
        d->stage->mouseWheel(lines);
}

void Player::mouseLeave()
{
    if (d->stage)
        d->stage->mouseLeave();
}

void Player::keyPress(int qtKey, QChar character)
{
    if (d->stage)
        d->stage->keyPress(buttonKeyCode(qtKey, character));
}

void Player::keyRelease(int)
{
    // Buttons react to presses only.
}

void Player::setTraceSink(std::function<void(const QString&)> sink)
{
    d->trace = std::move(sink);
    if (d->stage)
        d->stage->setTraceSink(d->trace);
}

} // namespace swf
