#pragma once
// Options shared by the commands that play movies: --frames N, --size WxH, --quality.
#include "swf/player/Player.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextStream>

struct QmPlayerOptions {
    QString file;
    QString output;          // -o, where the command writes one
    int frames = 1;
    QSize size;              // empty: the movie's stage size
    swf::Quality quality = swf::Quality::High;
};

// Reads the options; `allowed` lists the flags the command takes. Returns false after
// writing the reason to `err`.
bool parsePlayerOptions(const QStringList& args, const QStringList& allowed, QmPlayerOptions& options,
                        QTextStream& err);
