#pragma once
// Draws a display tree with QPainter. Shapes are turned into fill and line paths once per
// character (and morph ratio) and kept; bitmaps are decoded once.
#include "swf/render/Scene.h"
#include "swf/render/TextRender.h"

#include <QPainter>
#include <QPointF>
#include <QTransform>

#include <memory>

namespace swf::render {

class Renderer {
public:
    explicit Renderer(const CharacterLibrary& library);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Draws the children of `root` (and `root` itself when it has a character).
    // `stageToDevice` maps twips of the stage to device pixels; `antialias` false draws
    // without anti-aliasing (quality low).
    void draw(QPainter& painter, const DisplayNode& root, const QTransform& stageToDevice, bool antialias);

    // True when `stagePoint` (in twips of the stage) lies inside the filled area of `node`
    // drawn with `nodeToStage` (its accumulated matrix). Used for button hit areas and
    // mouse picking.
    bool hitTest(const DisplayNode& node, const QTransform& nodeToStage, QPointF stagePoint);

    // The bounds of a node in its own coordinates (twips), for hit tests and filters.
    QRectF bounds(const DisplayNode& node);

    // An edit text node's lines and how many its box shows (for scrolling). Zero lines
    // for other nodes.
    EditTextLines editTextLines(const DisplayNode& node);

    // Forgets cached paths and decoded bitmaps (the movie changed).
    void clear();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A Matrix as a QTransform in twips.
QTransform toQTransform(const Matrix& m);

} // namespace swf::render
