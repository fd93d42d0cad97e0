#pragma once
// The Flash control every window that shows a movie hosts: a widget over the engine's
// player with the operations the windows call (Movie, Quality, BackgroundColor,
// TotalFrames, ReadyState, Play, Stop, Zoom, GotoFrame, CurrentFrame) and painting of its
// current picture into an image. The movie runs on a timer of the user-interface thread.
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace swf {
class Player;
}

class TShockwaveFlash : public QWidget {
    Q_OBJECT
public:
    // The path the windows write to Movie to make the control let go of its movie. It is
    // never looked up on disk.
    static QString UnloadPath();

    explicit TShockwaveFlash(QWidget* parent = nullptr);
    ~TShockwaveFlash() override;

    // Writing loads the file at once: TotalFrames and ReadyState are right on the next line.
    // UnloadPath() or any path that is not a readable movie leaves the control empty,
    // without an error. A loaded movie starts playing, as the control always has.
    QString Movie() const { return FMovie; }
    void SetMovie(const QString& path);

    // 0 low, 1 high, 2 automatic low, 3 automatic high (the automatic ones as medium and high).
    int Quality() const { return FQuality; }
    void SetQuality(int quality);

    // Blue in bits 16–23, green in 8–15, red in 0–7. −1 (the start value) keeps the movie's
    // own colour.
    int BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(int bgr);

    int TotalFrames() const;
    // 4 once a movie is loaded, 0 while empty.
    int ReadyState() const;

    void Play();
    void Stop();
    bool IsPlaying() const;

    // The whole movie always fits the control (letterboxed in the background colour);
    // every factor (the windows only use 100) shows it so.
    void Zoom(int factor);

    // Shows frame `frame`, counted from 0; a negative frame shows frame 0. Playing goes
    // on from there if it was on.
    void GotoFrame(int frame);
    // Counted from 0: the last frame is TotalFrames() − 1. 0 while empty.
    int CurrentFrame() const;

    // The movie's own frame rate (frames per second); 0 while empty.
    double FrameRate() const;

    // The current picture painted into `target` (letterboxed, or the control's empty face).
    void PaintTo(QPainter& painter, const QRect& target);
    // The current picture in an image of any size (thumbnails, captures).
    QImage RenderToImage(const QSize& size);

    // Runs the movie's clock by hand for `milliseconds` (tests drive the timeline so).
    void AdvanceBy(int milliseconds);
    // The timer that runs the movie (active while a movie is loaded).
    const QTimer& FrameTimer() const { return FTimer; }

signals:
    // A new movie was written to Movie (loaded or not).
    void OnMovieChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // What the movie itself does with the left button (subclasses decide when to call them).
    void MoviePress(const QPointF& pos);
    void MovieRelease(const QPointF& pos);

private:
    void TimerTick();
    void StartClock();
    void Draw(QPainter& painter, const QRect& target);
    void ForeignPictureDrawn(const QRect& target);

    std::unique_ptr<swf::Player> FPlayer;
    QString FMovie;
    int FQuality = 1;
    int FBackgroundColor = -1;
    int FZoom = 100;
    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLastTick = 0;
    int FWheelRemainder = 0; // wheel turn short of a whole notch (fine-grained wheels)
};
