#pragma once
// The player window's playback: which entry plays, its header, the 100 ms position poll,
// the time caption, the end-of-movie timer, seeking and the play/pause/stop buttons. The
// window lays out and forwards events; everything that decides lives here, so tests drive
// it with a scripted movie control.
#include "app/Playlist.h"

#include <QObject>
#include <QString>
#include <QTimer>

// The operations of the Flash control that playback uses.
class MovieControl {
public:
    virtual ~MovieControl() = default;
    virtual void setMovie(const QString& path) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void zoom(int factor) = 0;
    virtual void gotoFrame(int frame) = 0;
    virtual int currentFrame() = 0;
    virtual int totalFrames() = 0;
};

// The six header texts of the entry played last; kept when a header cannot be read.
struct SwfHeaderTexts {
    QString version, fileLength, width, height, frameRate, frameCount;
};

class PlaybackSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMilliseconds = 100;
    static constexpr int kEndTimerMilliseconds = 10;
    static constexpr int kFallbackFrameRate = 12;

    PlaybackSession(Playlist& playlist, MovieControl& control, QObject* parent = nullptr);

    // The whole frames per second of a frame-rate text ("12.0" gives 12, "29.97" 29); the
    // fallback rate for a text that is not a number.
    static int WholeFrameRate(const QString& frameRateText);
    // "E/D" with D the playing time and E the elapsed time in whole seconds, or an empty
    // text when the movie reports no frames or a rate below 1.
    static QString TimeCaption(int frame, int frameCount, int frameRate);

    // The window's half of playing an entry: header, load, play, fit, counters, file name.
    void PlayFile(const QString& fullPath);

    // First showing, first step: choose the first entry by the play order and play it.
    // Throws EConvertError (play order) like SelectNextItem.
    void PlayFirst();
    // Starts the 100 ms position poll.
    void StartPoll();
    // Stops the poll and the end-of-movie timer (the window is going away).
    void Shutdown();

    // One position poll (normally from the poll timer).
    void UpdatePosition();
    // The end-of-movie timer's handler: choose the next entry and play it.
    void EndOfMovie();

    void BtnplayClick();
    void BtnPauseClick();
    void BtnStopClick();
    void SeekPressed();
    void SeekReleased(int frame);

    bool PositionPolling() const { return m_positionPolling; }
    void SetPositionPolling(bool on) { m_positionPolling = on; }
    bool PollRunning() const { return m_poll.isActive(); }
    bool EndTimerArmed() const { return m_endTimer.isActive(); }

    const QString& CurrentFile() const { return FCurrentFile; }
    const SwfHeaderTexts& Header() const { return m_header; }
    int FramePos() const { return MovieFramePos; }
    int FrameCount() const { return MovieFrameCount; }
    int FrameRate() const { return MovieFrameRate; }

signals:
    // Btnplay shows (paused or stopped) or hides (playing).
    void playButtonVisibleChanged(bool visible);
    // The seek bar's maximum and position.
    void seekBarChanged(int maximum, int position);
    void timeCaptionChanged(const QString& caption);
    void fileCaptionChanged(const QString& caption);

private:
    Playlist& m_playlist;
    MovieControl& m_control;
    QTimer m_poll;
    QTimer m_endTimer;
    bool m_positionPolling = true;
    QString FCurrentFile;
    SwfHeaderTexts m_header;
    int MovieFramePos = 0;
    int MovieFrameCount = 0;
    int MovieFrameRate = kFallbackFrameRate;
};
