#include "app/PlaybackSession.h"

#include "app/UnitSwf.h"
#include "shared/Share.h"

#include <exception>

PlaybackSession::PlaybackSession(Playlist& playlist, MovieControl& control, QObject* parent)
    : QObject(parent)
    , m_playlist(playlist)
    , m_control(control)
{
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (m_positionPolling)
            UpdatePosition();
    });
    m_endTimer.setSingleShot(true);
    m_endTimer.setInterval(kEndTimerMilliseconds);
    connect(&m_endTimer, &QTimer::timeout, this, &PlaybackSession::EndOfMovie);
    m_playlist.setPlayCallback([this](const QString& path) { PlayFile(path); });
}

int PlaybackSession::WholeFrameRate(const QString& frameRateText)
{
    bool ok = false;
    const double rate = frameRateText.trimmed().toDouble(&ok); // "." is the point, whatever the locale
    if (!ok || rate < 0 || rate > 1e9)
        return kFallbackFrameRate;
    return static_cast<int>(rate);
}

QString PlaybackSession::TimeCaption(int frame, int frameCount, int frameRate)
{
    if (frameCount <= 0 || frameRate < 1)
        return {};
    const qint64 total = frameCount / frameRate;
    const qint64 elapsed = total * frame / frameCount;
    return FormatDuration(elapsed) + QLatin1Char('/') + FormatDuration(total);
}

void PlaybackSession::PlayFile(const QString& fullPath)
{
    FCurrentFile = fullPath;
    SwfHeaderTexts read = m_header;
    try {
        ReadSwfHeader(fullPath, read.version, read.fileLength, read.width, read.height, read.frameRate,
                      read.frameCount);
        m_header = read;
        MovieFrameRate = WholeFrameRate(m_header.frameRate);
    } catch (const std::exception&) {
        // What was assigned before the error stays, as the header reader leaves it.
        m_header = read;
        MovieFrameRate = kFallbackFrameRate;
    }
    m_control.setMovie(FCurrentFile);
    m_control.play();
    m_control.zoom(100);
    emit playButtonVisibleChanged(false);
    MovieFramePos = m_control.currentFrame();
    MovieFrameCount = m_control.totalFrames();
    emit fileCaptionChanged(QString(10, QLatin1Char(' ')) + FCurrentFile);
}

void PlaybackSession::PlayFirst()
{
    m_playlist.SelectNextItem();
    m_playlist.PlayItem(m_playlist.currentIndex());
}

void PlaybackSession::StartPoll()
{
    m_positionPolling = true;
    m_poll.start();
}

void PlaybackSession::Shutdown()
{
    m_positionPolling = false;
    m_poll.stop();
    m_endTimer.stop();
}

void PlaybackSession::UpdatePosition()
{
    const int frame = m_control.currentFrame();
    emit seekBarChanged(MovieFrameCount, frame);
    const QString caption = TimeCaption(frame, MovieFrameCount, MovieFrameRate);
    if (!caption.isEmpty())
        emit timeCaptionChanged(caption);
    MovieFramePos = frame;
    if (Playlist::IsNearEnd(frame, MovieFrameCount)) {
        if (!m_endTimer.isActive())
            m_endTimer.start();
    } else {
        m_endTimer.stop();
    }
}

void PlaybackSession::EndOfMovie()
{
    m_endTimer.stop();
    m_playlist.SelectNextItem();
    m_playlist.PlayItem(m_playlist.currentIndex());
}

void PlaybackSession::BtnplayClick()
{
    m_control.play();
    emit playButtonVisibleChanged(false);
}

void PlaybackSession::BtnPauseClick()
{
    m_control.stop();
    emit playButtonVisibleChanged(true);
}

void PlaybackSession::BtnStopClick()
{
    m_control.gotoFrame(0);
    m_control.stop();
    emit playButtonVisibleChanged(true);
}

void PlaybackSession::SeekPressed()
{
    m_positionPolling = false;
}

void PlaybackSession::SeekReleased(int frame)
{
    m_control.gotoFrame(frame);
    m_control.play();
    m_positionPolling = true;
}
