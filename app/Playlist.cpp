#include "app/Playlist.h"

#include "shared/Share.h"

#include <chrono>

namespace {

const QString kSection = QStringLiteral("Preview");
const QString kOrderKey = QStringLiteral("IsPlayOrder");

Playlist::Entry entryFromPath(const QString& fullPath)
{
    const qsizetype cut = fullPath.lastIndexOf(QLatin1Char('/')) + 1;
    return { fullPath.left(cut), fullPath.mid(cut) };
}

} // namespace

Playlist::Playlist()
    : m_generator(static_cast<std::mt19937::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count()))
{
    m_random = [this](int count) {
        return std::uniform_int_distribution<int>(0, count - 1)(m_generator);
    };
}

void Playlist::Fill(const QStringList& fullPaths)
{
    m_entries.clear();
    m_highlighted = -1;
    Append(fullPaths);
}

void Playlist::Append(const QStringList& fullPaths)
{
    for (const QString& path : fullPaths)
        m_entries.push_back(entryFromPath(path));
}

void Playlist::RemoveChecked()
{
    std::erase_if(m_entries, [](const Entry& e) { return e.check == Checked; });
    if (m_highlighted >= count())
        m_highlighted = count() - 1;
}

void Playlist::RemoveAll()
{
    m_entries.clear();
    m_highlighted = -1;
}

void Playlist::RemoveEntry(int index)
{
    if (index < 0 || index >= count())
        return;
    m_entries.erase(m_entries.begin() + index);
    if (m_highlighted >= count())
        m_highlighted = count() - 1;
}

void Playlist::RenameEntry(int index, const QString& newName)
{
    if (index >= 0 && index < count())
        m_entries[static_cast<size_t>(index)].name = newName;
}

QString Playlist::FullPath(int index) const
{
    const Entry& e = entry(index);
    return AddBackslash(e.folder) + e.name;
}

void Playlist::setCheck(int index, CheckState state)
{
    if (index >= 0 && index < count())
        m_entries[static_cast<size_t>(index)].check = state;
}

QStringList Playlist::checkedPaths() const
{
    QStringList paths;
    for (int i = 0; i < count(); ++i) {
        if (m_entries[static_cast<size_t>(i)].check == Checked)
            paths << FullPath(i);
    }
    return paths;
}

void Playlist::clampCurrentIndex()
{
    if (FCurrentIndex >= count())
        FCurrentIndex = count() - 1;
}

void Playlist::MarkPlaying(int index)
{
    if (index < 0 || index >= count())
        return;
    for (Entry& e : m_entries)
        e.picture = PictureEntry;
    m_entries[static_cast<size_t>(index)].picture = PicturePlaying;
}

void Playlist::PlayItem(int index)
{
    if (m_entries.empty()) {
        FCurrentIndex = -1;
        return;
    }
    if (index < 0 || index >= count())
        return; // every caller sets a valid index; a stray one plays nothing
    m_highlighted = index;
    MarkPlaying(index);
    if (m_play)
        m_play(FullPath(index));
}

void Playlist::SelectNextItem()
{
    if (m_entries.empty())
        return;
    const int order = StoredOrder();
    clampCurrentIndex();
    switch (order) {
    case Sequential:
        FCurrentIndex = FCurrentIndex < count() - 1 ? FCurrentIndex + 1 : 0;
        break;
    case Random:
        FCurrentIndex = m_random(count());
        break;
    case LoopOne:
        if (FCurrentIndex == -1)
            FCurrentIndex = 0;
        break;
    default:
        break;
    }
}

void Playlist::Next()
{
    clampCurrentIndex();
    FCurrentIndex = count() == FCurrentIndex + 1 ? 0 : FCurrentIndex + 1;
    PlayItem(FCurrentIndex);
}

void Playlist::Previous()
{
    clampCurrentIndex();
    FCurrentIndex = FCurrentIndex - 1 < 0 ? count() - 1 : FCurrentIndex - 1;
    PlayItem(FCurrentIndex);
}

void Playlist::First()
{
    FCurrentIndex = 0;
    PlayItem(FCurrentIndex);
}

void Playlist::Last()
{
    FCurrentIndex = count() - 1;
    PlayItem(FCurrentIndex);
}

void Playlist::PlayHighlighted()
{
    if (m_entries.empty() || m_highlighted < 0 || m_highlighted >= count())
        return;
    FCurrentIndex = m_highlighted;
    PlayItem(FCurrentIndex);
}

bool Playlist::IsNearEnd(int currentFrame, int totalFrames)
{
    return static_cast<qint64>(currentFrame) > static_cast<qint64>(totalFrames) - 10;
}

bool Playlist::StoreOrder(int order)
{
    if (order < Sequential || order > LoopOne)
        return false;
    WriteConfig(kSection, kOrderKey, QString::number(order));
    return true;
}

int Playlist::StoredOrder()
{
    return StrToInt(ReadConfig(kSection, kOrderKey));
}

QString Playlist::countCaption() const
{
    return QStringLiteral("Play Flash Files:  %1").arg(count());
}
