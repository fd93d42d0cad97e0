#pragma once
// Small builders of shapes and display trees for the renderer tests, and a helper that
// draws a tree into a picture at one stage pixel per device pixel.
#include "swf/render/Renderer.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace rt {

using namespace swf;

inline Twips px(double v) { return Twips::fromPixels(v); }

// Records of a shape drawn with a pen in pixels.
class ShapeMaker {
public:
    ShapeMaker& styles(std::optional<std::uint32_t> fill0, std::optional<std::uint32_t> fill1,
                       std::optional<std::uint32_t> line = std::nullopt)
    {
        StyleChangeRecord sc;
        sc.fillStyle0 = fill0;
        sc.fillStyle1 = fill1;
        sc.lineStyle = line;
        shape.records.push_back(sc);
        return *this;
    }
    ShapeMaker& moveTo(double x, double y)
    {
        StyleChangeRecord sc;
        sc.moveTo = std::make_pair(px(x), px(y));
        shape.records.push_back(sc);
        penX = x;
        penY = y;
        return *this;
    }
    ShapeMaker& newStyles(ShapeStyles s)
    {
        StyleChangeRecord sc;
        sc.newStyles = std::move(s);
        shape.records.push_back(sc);
        return *this;
    }
    ShapeMaker& lineTo(double x, double y)
    {
        shape.records.push_back(StraightEdgeRecord{Twips{px(x).value - px(penX).value}, Twips{px(y).value - px(penY).value}});
        penX = x;
        penY = y;
        return *this;
    }
    ShapeMaker& curveTo(double cx, double cy, double x, double y)
    {
        shape.records.push_back(CurvedEdgeRecord{Twips{px(cx).value - px(penX).value}, Twips{px(cy).value - px(penY).value},
                                                 Twips{px(x).value - px(cx).value}, Twips{px(y).value - px(cy).value}});
        penX = x;
        penY = y;
        return *this;
    }
    // A closed rectangle from the pen's current style, clockwise on screen.
    ShapeMaker& rect(double x0, double y0, double x1, double y1)
    {
        return moveTo(x0, y0).lineTo(x1, y0).lineTo(x1, y1).lineTo(x0, y1).lineTo(x0, y0);
    }
    // The same rectangle counter-clockwise.
    ShapeMaker& rectCcw(double x0, double y0, double x1, double y1)
    {
        return moveTo(x0, y0).lineTo(x0, y1).lineTo(x1, y1).lineTo(x1, y0).lineTo(x0, y0);
    }

    Shape shape;
    double penX = 0, penY = 0;
};

inline FillStyle solid(Rgba c)
{
    FillStyle f;
    f.type = FillType::Solid;
    f.color = c;
    return f;
}

inline LineStyle line(double widthPx, Rgba c)
{
    LineStyle l;
    l.width = px(widthPx);
    l.color = c;
    return l;
}

inline Rect rectPx(double x0, double y0, double x1, double y1) { return Rect{px(x0), px(x1), px(y0), px(y1)}; }

inline Matrix translate(double x, double y)
{
    Matrix m;
    m.translateX = px(x);
    m.translateY = px(y);
    return m;
}

inline Matrix scale(double sx, double sy, double x = 0, double y = 0)
{
    Matrix m = translate(x, y);
    m.scaleX = Fixed16::fromDouble(sx);
    m.scaleY = Fixed16::fromDouble(sy);
    return m;
}

// Keeps character bodies alive at stable addresses, as the player's movie does.
struct Scene {
    CharacterLibrary library;
    std::vector<std::unique_ptr<TagBody>> bodies;
    DisplayNode root;

    const TagBody* add(std::uint16_t id, TagBody body)
    {
        bodies.push_back(std::make_unique<TagBody>(std::move(body)));
        library.characters[id] = bodies.back().get();
        return bodies.back().get();
    }

    const TagBody* addShape(std::uint16_t id, ShapeStyles styles, const Shape& shape, Rect bounds = rectPx(0, 0, 100, 100))
    {
        DefineShape s;
        s.version = 3;
        s.id = id;
        s.bounds = bounds;
        s.edgeBounds = bounds;
        s.styles = std::move(styles);
        s.shape = shape;
        return add(id, s);
    }

    DisplayNode& place(std::uint16_t id, std::uint16_t depth, Matrix m = {})
    {
        return placeIn(root, id, depth, m);
    }

    DisplayNode& placeIn(DisplayNode& parent, std::uint16_t id, std::uint16_t depth, Matrix m = {})
    {
        DisplayNode n;
        n.depth = depth;
        n.characterId = id;
        n.character = library.find(id);
        n.matrix = m;
        parent.children.push_back(n);
        return parent.children.back();
    }

    // Draws the tree on a background colour, one stage pixel per device pixel.
    QImage render(int w = 100, int h = 100, bool antialias = false, QColor background = Qt::white,
                  QTransform extra = {})
    {
        swf::render::Renderer r(library);
        return renderWith(r, w, h, antialias, background, extra);
    }

    QImage renderWith(swf::render::Renderer& r, int w, int h, bool antialias, QColor background = Qt::white,
                      QTransform extra = {})
    {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(background);
        QPainter p(&img);
        r.draw(p, root, QTransform::fromScale(0.05, 0.05) * extra, antialias);
        p.end();
        return img;
    }
};

inline QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y); }

} // namespace rt
