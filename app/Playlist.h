#pragma once
// The player's playlist: which movies are listed, which one is current, and which one comes
// next. No window: the player window shows the entries and hands the chosen path to its
// Flash control through the play callback.
#include <QString>
#include <QStringList>
#include <functional>
#include <random>
#include <vector>

class Playlist {
public:
    enum CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };
    enum Picture { PictureEntry = 0, PicturePlaying = 1 };
    enum Order { Sequential = 0, Random = 1, LoopOne = 2 };

    struct Entry {
        QString folder; // ends with the path delimiter
        QString name;   // what the list shows
        CheckState check = Unchecked;
        Picture picture = PictureEntry;
    };

    // Receives the full path of the entry to play.
    using PlayCallback = std::function<void(const QString& fullPath)>;
    // Returns a uniformly random index in 0 … count − 1.
    using RandomSource = std::function<int(int count)>;

    Playlist();

    void setPlayCallback(PlayCallback callback) { m_play = std::move(callback); }
    void setRandomSource(RandomSource source) { m_random = std::move(source); }

    // ---- Entries ----
    void Fill(const QStringList& fullPaths);
    void Append(const QStringList& fullPaths);
    void RemoveChecked();
    void RemoveAll();
    void RemoveEntry(int index);
    void RenameEntry(int index, const QString& newName);
    QString FullPath(int index) const;

    int count() const { return static_cast<int>(m_entries.size()); }
    const Entry& entry(int index) const { return m_entries.at(static_cast<size_t>(index)); }
    const std::vector<Entry>& entries() const { return m_entries; }
    void setCheck(int index, CheckState state);
    QStringList checkedPaths() const;

    // ---- Current entry and navigation ----
    int currentIndex() const { return FCurrentIndex; }
    void setCurrentIndex(int index) { FCurrentIndex = index; }
    // The highlighted entry of the list (what per-file commands act on); −1 for none.
    int highlighted() const { return m_highlighted; }
    void setHighlighted(int index) { m_highlighted = index; }

    // Plays entry `index`: highlights it, marks it playing and hands its path to the callback.
    // An empty list only resets the current index to −1.
    void PlayItem(int index);
    // Chooses the entry that follows the end of a movie by the stored play order.
    // Throws EConvertError when the stored order is missing or not a number.
    void SelectNextItem();
    void Next();
    void Previous();
    void First();
    void Last();
    // Plays the highlighted entry (double click); nothing for an empty list.
    void PlayHighlighted();
    // The end of the movie for the frame poll: current frame F (from 0) of T frames.
    static bool IsNearEnd(int currentFrame, int totalFrames);

    // ---- Play order ----
    // Stores 0, 1 or 2 as the play order; any other value stores nothing. Returns whether it stored.
    static bool StoreOrder(int order);
    // The stored play order; throws EConvertError when missing or not a number.
    static int StoredOrder();

    // "Play Flash Files:  N"
    QString countCaption() const;

private:
    void MarkPlaying(int index);
    // A current index left behind by removals names the last entry, so no entry outside
    // the list is ever read.
    void clampCurrentIndex();

    std::vector<Entry> m_entries;
    int FCurrentIndex = -1;
    int m_highlighted = -1;
    PlayCallback m_play;
    RandomSource m_random;
    std::mt19937 m_generator;
};
