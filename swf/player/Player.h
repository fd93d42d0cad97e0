#pragma once
// The one facade of the engine: load a movie, run its timeline, draw it, feed it input.
// Everything runs on the caller's thread; nothing here starts threads or timers.
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace swf {

enum class Quality { Low, Medium, High };

class Player {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loads a movie file at once. Returns false (and leaves the player empty) for a path
    // that is not a readable movie. A movie that is damaged after its header loads with
    // what could be read.
    bool load(const QString& path);
    bool loadData(const QByteArray& bytes);
    void unload();
    bool isLoaded() const;
    // 0 while empty, 4 once a movie is loaded.
    int readyState() const;

    void play();
    void stop();
    bool isPlaying() const;
    // Shows frame `frame` of the root timeline, counted from 0 (a negative frame shows 0,
    // one past the end shows the last). Does not change whether the movie plays.
    void gotoFrame(int frame);
    // The frame shown, counted from 0; the last is totalFrames() − 1.
    int currentFrame() const;
    int totalFrames() const;
    // Frames per second of the movie's clock (a header rate of 0 gives a small default).
    double frameRate() const;
    // The movie's stage in pixels.
    QSize stageSize() const;

    // The stage background as a BGR colour (blue in bits 16–23, red in 0–7); overrides
    // the movie's own. backgroundColor() is the colour in use.
    void setBackgroundColor(std::uint32_t bgr);
    std::uint32_t backgroundColor() const;
    void setQuality(Quality quality);
    Quality quality() const;

    // Runs the frame clock for `milliseconds` of wall time: as many frames as are due.
    // Returns the number of frames advanced.
    int advance(int milliseconds);
    // Runs exactly one frame of the timeline (when playing; sprites always run).
    void advanceFrame();

    // Draws the stage scaled to fit `viewport` whole (show all), letterboxed in the
    // background colour.
    void render(QPainter& painter, const QRect& viewport);
    // The stage drawn into a new premultiplied ARGB picture of `size`.
    QImage renderFrame(const QSize& size);

    // Mouse input in the coordinates of the last viewport drawn.
    void mouseMove(QPointF position);
    void mousePress(QPointF position);
    void mouseRelease(QPointF position);
    void mouseLeave();
    // The wheel turned by `lines` (positive: away from the user) where the mouse last was.
    void mouseWheel(int lines);
    // Key input: a Qt key code and the character it typed, if any.
    void keyPress(int qtKey, QChar character);
    void keyRelease(int qtKey);

    // Receives trace() output and engine messages (get-URL requests are logged here).
    void setTraceSink(std::function<void(const QString&)> sink);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace swf
