#include "gui/style/YStdIcons.h"

#include "gui/drawing/YDrawer.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

// Drawing on the 16 x 16 design grid: (0, 0) is the square's top left corner, (16, 16) its
// bottom right; strokes are 1.5 units wide unless said otherwise.
class Pen {
public:
    Pen(YDrawer& drawer, const YRect& rect, YColor colour) : m_drawer(drawer), m_colour(colour) {
        const int32_t side = std::min(rect.Width(), rect.Height());
        m_scale = static_cast<float>(side) / 16.0f;
        m_x = static_cast<float>(rect.left) + static_cast<float>(rect.Width() - side) * 0.5f;
        m_y = static_cast<float>(rect.top) + static_cast<float>(rect.Height() - side) * 0.5f;
        m_previousWidth = drawer.LineWidth();
        Width(1.5f);
    }
    ~Pen() { m_drawer.SetLineWidth(m_previousWidth); }

    void Width(float units) { m_drawer.SetLineWidth(std::max(1.0f, units * m_scale)); }

    YPointF P(float x, float y) const { return {m_x + x * m_scale, m_y + y * m_scale}; }

    void Line(std::initializer_list<YPointF> points) { Line(std::vector<YPointF>(points)); }
    void Line(const std::vector<YPointF>& points) {
        std::vector<YPointF> mapped;
        for (const YPointF& p : points) mapped.push_back(P(p.x, p.y));
        m_drawer.PolyLine(mapped.data(), static_cast<int32_t>(mapped.size()), m_colour, YColorOp::Alphablend);
    }
    void Fill(std::initializer_list<YPointF> points) {
        std::vector<YPointF> mapped;
        for (const YPointF& p : points) mapped.push_back(P(p.x, p.y));
        m_drawer.FillPolygon(mapped.data(), static_cast<int32_t>(mapped.size()), m_colour, YColorOp::Alphablend);
    }
    // A closed outline (the first point repeated at the end).
    void Outline(std::initializer_list<YPointF> points) {
        std::vector<YPointF> mapped;
        for (const YPointF& p : points) mapped.push_back(P(p.x, p.y));
        mapped.push_back(mapped.front());
        m_drawer.PolyLine(mapped.data(), static_cast<int32_t>(mapped.size()), m_colour, YColorOp::Alphablend);
    }
    // An arc from angle a0 to a1 (degrees, 0 = right, clockwise on screen).
    void Arc(float cx, float cy, float r, float a0, float a1) {
        std::vector<YPointF> mapped;
        const int steps = std::max(6, static_cast<int>(std::fabs(a1 - a0) / 10.0f));
        for (int i = 0; i <= steps; ++i) {
            const float a = (a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps)) * kPi / 180.0f;
            mapped.push_back(P(cx + r * std::cos(a), cy + r * std::sin(a)));
        }
        m_drawer.PolyLine(mapped.data(), static_cast<int32_t>(mapped.size()), m_colour, YColorOp::Alphablend);
    }
    void Circle(float cx, float cy, float r) {
        const YPointF c = P(cx, cy);
        m_drawer.Circle(c.x, c.y, r * m_scale, m_colour, YColorOp::Alphablend);
    }
    void Disk(float cx, float cy, float r) {
        const YPointF c = P(cx, cy);
        m_drawer.FillCircle(c.x, c.y, r * m_scale, m_colour, YColorOp::Alphablend);
    }
    // Axis-aligned box outline and fill (corners in grid units).
    void Box(float x0, float y0, float x1, float y1) { Outline({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}); }
    void Block(float x0, float y0, float x1, float y1) { Fill({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}); }
    // A sheet of paper with a folded corner.
    void Sheet(float x0, float y0, float x1, float y1) {
        Outline({{x0, y0}, {x1 - 3.5f, y0}, {x1, y0 + 3.5f}, {x1, y1}, {x0, y1}});
        Line({{x1 - 3.5f, y0}, {x1 - 3.5f, y0 + 3.5f}, {x1, y0 + 3.5f}});
    }
    void Folder(float x0, float y0, float x1, float y1) {
        Outline({{x0, y0}, {x0 + 4.5f, y0}, {x0 + 6.0f, y0 + 1.8f}, {x1, y0 + 1.8f}, {x1, y1}, {x0, y1}});
    }
    void Magnifier() {
        Width(1.6f);
        Circle(6.8f, 6.8f, 4.6f);
        Width(2.2f);
        Line({{10.2f, 10.2f}, {14.2f, 14.2f}});
        Width(1.4f);
    }
    void Floppy() {
        Outline({{2.5f, 2.5f}, {11.5f, 2.5f}, {13.5f, 4.5f}, {13.5f, 13.5f}, {2.5f, 13.5f}});
        Block(5.0f, 2.5f, 10.5f, 6.2f);
        Box(5.0f, 9.0f, 11.0f, 13.5f);
    }

private:
    YDrawer& m_drawer;
    YColor m_colour;
    float m_scale = 1.0f;
    float m_x = 0.0f;
    float m_y = 0.0f;
    float m_previousWidth = 1.0f;
};

void Gear(Pen& pen) {
    // Eight teeth around a ring, drawn as one outline.
    constexpr int kTeeth = 8;
    std::vector<YPointF> points;
    for (int i = 0; i < kTeeth; ++i) {
        const float base = static_cast<float>(i) * 360.0f / kTeeth;
        for (const auto& [da, r] : {std::pair{-13.0f, 5.0f}, {-8.0f, 7.0f}, {8.0f, 7.0f}, {13.0f, 5.0f}}) {
            const float a = (base + da) * kPi / 180.0f;
            points.push_back({8.0f + r * std::cos(a), 8.0f + r * std::sin(a)});
        }
    }
    points.push_back(points.front());
    pen.Width(1.3f);
    pen.Line(points);
    pen.Circle(8.0f, 8.0f, 2.0f);
}

} // namespace

void YDrawStdIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour) {
    if (rect.IsEmpty()) return;
    Pen pen(drawer, rect, colour);
    switch (icon) {
    case YStdIcon::kLeft: pen.Fill({{10.5f, 3.5f}, {10.5f, 12.5f}, {4.5f, 8.0f}}); break;
    case YStdIcon::kRight: pen.Fill({{5.5f, 3.5f}, {11.5f, 8.0f}, {5.5f, 12.5f}}); break;
    case YStdIcon::kUp: pen.Fill({{3.5f, 10.5f}, {8.0f, 4.5f}, {12.5f, 10.5f}}); break;
    case YStdIcon::kDown: pen.Fill({{3.5f, 5.5f}, {12.5f, 5.5f}, {8.0f, 11.5f}}); break;
    case YStdIcon::kAdd:
        pen.Circle(8.0f, 8.0f, 6.0f);
        pen.Line({{8.0f, 5.0f}, {8.0f, 11.0f}});
        pen.Line({{5.0f, 8.0f}, {11.0f, 8.0f}});
        break;
    case YStdIcon::kDelete:
        pen.Line({{2.5f, 4.0f}, {13.5f, 4.0f}});
        pen.Line({{6.0f, 4.0f}, {6.5f, 2.2f}, {9.5f, 2.2f}, {10.0f, 4.0f}});
        pen.Line({{3.8f, 4.0f}, {4.8f, 14.0f}, {11.2f, 14.0f}, {12.2f, 4.0f}});
        pen.Width(1.2f);
        pen.Line({{6.8f, 6.5f}, {7.0f, 11.5f}});
        pen.Line({{9.2f, 6.5f}, {9.0f, 11.5f}});
        break;
    case YStdIcon::kMoveUp:
        pen.Line({{8.0f, 14.0f}, {8.0f, 2.8f}});
        pen.Line({{3.5f, 7.3f}, {8.0f, 2.8f}, {12.5f, 7.3f}});
        break;
    case YStdIcon::kMoveDown:
        pen.Line({{8.0f, 2.0f}, {8.0f, 13.2f}});
        pen.Line({{3.5f, 8.7f}, {8.0f, 13.2f}, {12.5f, 8.7f}});
        break;
    case YStdIcon::kDuplicate:
        pen.Box(2.5f, 2.5f, 10.0f, 10.0f);
        pen.Box(6.0f, 6.0f, 13.5f, 13.5f);
        break;
    case YStdIcon::kReport:
        pen.Sheet(3.0f, 1.8f, 13.0f, 14.2f);
        pen.Width(1.2f);
        pen.Line({{5.5f, 7.5f}, {10.5f, 7.5f}});
        pen.Line({{5.5f, 9.8f}, {10.5f, 9.8f}});
        pen.Line({{5.5f, 12.0f}, {9.0f, 12.0f}});
        break;
    case YStdIcon::kList:
        for (float y : {4.0f, 8.0f, 12.0f}) {
            pen.Disk(3.2f, y, 1.2f);
            pen.Line({{6.0f, y}, {14.0f, y}});
        }
        break;
    case YStdIcon::kEye:
        pen.Arc(8.0f, 14.5f, 9.0f, 225.0f, 315.0f);
        pen.Arc(8.0f, 1.5f, 9.0f, 45.0f, 135.0f);
        pen.Disk(8.0f, 8.0f, 2.4f);
        break;
    case YStdIcon::kPlus:
        pen.Width(2.0f);
        pen.Line({{8.0f, 3.0f}, {8.0f, 13.0f}});
        pen.Line({{3.0f, 8.0f}, {13.0f, 8.0f}});
        break;
    case YStdIcon::kMinus:
        pen.Width(2.0f);
        pen.Line({{3.0f, 8.0f}, {13.0f, 8.0f}});
        break;
    case YStdIcon::kMul:
        pen.Width(2.0f);
        pen.Line({{4.2f, 4.2f}, {11.8f, 11.8f}});
        pen.Line({{11.8f, 4.2f}, {4.2f, 11.8f}});
        break;
    case YStdIcon::kDiv:
        pen.Width(2.0f);
        pen.Line({{3.0f, 8.0f}, {13.0f, 8.0f}});
        pen.Disk(8.0f, 4.0f, 1.4f);
        pen.Disk(8.0f, 12.0f, 1.4f);
        break;
    case YStdIcon::kClose:
        pen.Line({{4.0f, 4.0f}, {12.0f, 12.0f}});
        pen.Line({{12.0f, 4.0f}, {4.0f, 12.0f}});
        break;
    case YStdIcon::kMaximize:
        pen.Box(3.0f, 3.0f, 13.0f, 13.0f);
        pen.Line({{3.0f, 4.5f}, {13.0f, 4.5f}});
        break;
    case YStdIcon::kUnmaximize:
        pen.Line({{5.5f, 5.0f}, {5.5f, 2.8f}, {13.2f, 2.8f}, {13.2f, 10.5f}, {11.0f, 10.5f}});
        pen.Box(2.8f, 5.5f, 10.5f, 13.2f);
        break;
    case YStdIcon::kMinimize:
        pen.Line({{3.5f, 12.5f}, {12.5f, 12.5f}});
        break;
    case YStdIcon::kHelp:
        pen.Circle(8.0f, 8.0f, 6.5f);
        pen.Width(1.4f);
        pen.Arc(8.0f, 6.3f, 2.2f, 190.0f, 400.0f);
        pen.Line({{9.6f, 7.8f}, {8.0f, 9.0f}, {8.0f, 10.0f}});
        pen.Disk(8.0f, 12.0f, 0.9f);
        break;
    case YStdIcon::kCollapse:
        pen.Line({{3.5f, 8.0f}, {8.0f, 3.5f}, {12.5f, 8.0f}});
        pen.Line({{3.5f, 12.5f}, {8.0f, 8.0f}, {12.5f, 12.5f}});
        break;
    case YStdIcon::kLoad:
        pen.Folder(1.8f, 3.0f, 14.2f, 13.5f);
        pen.Line({{8.0f, 6.5f}, {8.0f, 11.5f}});
        pen.Line({{5.8f, 9.3f}, {8.0f, 11.5f}, {10.2f, 9.3f}});
        break;
    case YStdIcon::kSave: pen.Floppy(); break;
    case YStdIcon::kSaveAs:
        pen.Floppy();
        pen.Width(1.3f);
        pen.Fill({{11.0f, 15.2f}, {11.3f, 13.2f}, {15.2f, 9.3f}, {16.0f, 10.1f}, {12.1f, 14.0f}});
        break;
    case YStdIcon::kDeleteFile:
        pen.Sheet(3.0f, 1.8f, 13.0f, 14.2f);
        pen.Width(1.4f);
        pen.Line({{5.8f, 7.8f}, {10.2f, 12.2f}});
        pen.Line({{10.2f, 7.8f}, {5.8f, 12.2f}});
        break;
    case YStdIcon::kDirectory: pen.Folder(1.8f, 3.0f, 14.2f, 13.5f); break;
    case YStdIcon::kDirectoryUp:
        pen.Folder(1.8f, 3.0f, 14.2f, 13.5f);
        pen.Line({{8.0f, 11.8f}, {8.0f, 6.8f}});
        pen.Line({{5.8f, 9.0f}, {8.0f, 6.8f}, {10.2f, 9.0f}});
        break;
    case YStdIcon::kCancel:
        pen.Width(2.0f);
        pen.Line({{4.0f, 4.0f}, {12.0f, 12.0f}});
        pen.Line({{12.0f, 4.0f}, {4.0f, 12.0f}});
        break;
    case YStdIcon::kOk:
        pen.Width(2.0f);
        pen.Line({{2.8f, 8.6f}, {6.3f, 12.0f}, {13.2f, 4.4f}});
        break;
    case YStdIcon::kDefault:
        pen.Arc(8.0f, 8.0f, 5.2f, -60.0f, 220.0f);
        pen.Fill({{1.0f, 3.6f}, {6.0f, 4.4f}, {2.4f, 8.2f}});
        break;
    case YStdIcon::kEnable:
        pen.Arc(8.0f, 8.6f, 5.2f, -50.0f, 230.0f);
        pen.Line({{8.0f, 1.8f}, {8.0f, 8.0f}});
        break;
    case YStdIcon::kPencil:
        pen.Outline({{2.5f, 13.5f}, {3.2f, 10.2f}, {11.0f, 2.4f}, {13.6f, 5.0f}, {5.8f, 12.8f}});
        pen.Line({{9.4f, 4.0f}, {12.0f, 6.6f}});
        break;
    case YStdIcon::kSelector:
        pen.Width(1.3f);
        for (int i = 0; i < 4; ++i) {
            const float a = 2.5f + static_cast<float>(i) * 3.0f;
            pen.Line({{a, 2.5f}, {a + 1.6f, 2.5f}});
            pen.Line({{a, 13.5f}, {a + 1.6f, 13.5f}});
            pen.Line({{2.5f, a}, {2.5f, a + 1.6f}});
            pen.Line({{13.5f, a}, {13.5f, a + 1.6f}});
        }
        break;
    case YStdIcon::kEraser:
        pen.Outline({{1.8f, 10.4f}, {8.6f, 3.6f}, {14.2f, 9.2f}, {9.4f, 14.0f}, {5.4f, 14.0f}});
        pen.Fill({{1.8f, 10.4f}, {5.2f, 7.0f}, {10.8f, 12.6f}, {9.4f, 14.0f}, {5.4f, 14.0f}});
        break;
    case YStdIcon::kArrow:
        pen.Fill({{4.0f, 1.5f}, {4.0f, 13.0f}, {6.8f, 10.4f}, {8.8f, 14.6f}, {10.6f, 13.8f}, {8.6f, 9.6f},
                  {12.2f, 9.6f}});
        break;
    case YStdIcon::kClipboardCopy:
        pen.Sheet(2.0f, 1.8f, 10.5f, 11.5f);
        pen.Sheet(6.0f, 5.0f, 14.0f, 14.5f);
        break;
    case YStdIcon::kClipboardPaste:
        pen.Outline({{5.0f, 3.0f}, {3.0f, 3.0f}, {3.0f, 14.2f}, {13.0f, 14.2f}, {13.0f, 3.0f}, {11.0f, 3.0f}});
        pen.Block(5.5f, 1.6f, 10.5f, 4.6f);
        pen.Width(1.2f);
        pen.Line({{5.5f, 8.0f}, {10.5f, 8.0f}});
        pen.Line({{5.5f, 10.8f}, {10.5f, 10.8f}});
        break;
    case YStdIcon::kProcess: Gear(pen); break;
    case YStdIcon::kPlay: pen.Fill({{4.5f, 2.8f}, {13.0f, 8.0f}, {4.5f, 13.2f}}); break;
    case YStdIcon::kPause:
        pen.Block(4.0f, 3.0f, 6.8f, 13.0f);
        pen.Block(9.2f, 3.0f, 12.0f, 13.0f);
        break;
    case YStdIcon::kZoomIn:
        pen.Magnifier();
        pen.Line({{6.8f, 4.6f}, {6.8f, 9.0f}});
        pen.Line({{4.6f, 6.8f}, {9.0f, 6.8f}});
        break;
    case YStdIcon::kZoomOut:
        pen.Magnifier();
        pen.Line({{4.6f, 6.8f}, {9.0f, 6.8f}});
        break;
    case YStdIcon::kZoomDefault:
        pen.Magnifier();
        pen.Disk(6.8f, 6.8f, 1.5f);
        break;
    case YStdIcon::kBullet1: pen.Disk(8.0f, 8.0f, 3.0f); break;
    case YStdIcon::kBullet2:
        pen.Width(1.3f);
        pen.Circle(8.0f, 8.0f, 2.8f);
        break;
    case YStdIcon::kBullet3: pen.Fill({{8.0f, 4.8f}, {11.2f, 8.0f}, {8.0f, 11.2f}, {4.8f, 8.0f}}); break;
    case YStdIcon::kCheckBoxOff:
    case YStdIcon::kCheckBoxOn:
    case YStdIcon::kCheckBoxGrayed: {
        pen.Width(1.3f);
        const YPointF a = pen.P(2.0f, 2.0f), b = pen.P(14.0f, 14.0f);
        const YRect box{static_cast<int32_t>(std::lround(a.x)), static_cast<int32_t>(std::lround(a.y)),
                        static_cast<int32_t>(std::lround(b.x)) - 1, static_cast<int32_t>(std::lround(b.y)) - 1};
        drawer.RoundRectangle(box, std::max(1.0f, (b.x - a.x) / 6.0f), colour, YColorOp::Alphablend);
        if (icon == YStdIcon::kCheckBoxOn) {
            pen.Width(1.8f);
            pen.Line({{4.6f, 8.2f}, {7.0f, 10.6f}, {11.6f, 5.4f}});
        } else if (icon == YStdIcon::kCheckBoxGrayed) {
            pen.Block(5.0f, 5.0f, 11.0f, 11.0f);
        }
        break;
    }
    case YStdIcon::kWWW:
        pen.Width(1.3f);
        pen.Circle(8.0f, 8.0f, 6.3f);
        pen.Arc(14.5f, 8.0f, 9.0f, 136.0f, 224.0f);
        pen.Arc(1.5f, 8.0f, 9.0f, -44.0f, 44.0f);
        pen.Line({{1.8f, 8.0f}, {14.2f, 8.0f}});
        pen.Line({{3.0f, 4.6f}, {13.0f, 4.6f}});
        pen.Line({{3.0f, 11.4f}, {13.0f, 11.4f}});
        break;
    case YStdIcon::kMail:
        pen.Box(1.8f, 3.5f, 14.2f, 12.5f);
        pen.Line({{1.8f, 3.5f}, {8.0f, 8.6f}, {14.2f, 3.5f}});
        break;
    case YStdIcon::kPhone:
        pen.Outline({{4.5f, 1.5f}, {11.5f, 1.5f}, {11.5f, 14.5f}, {4.5f, 14.5f}});
        pen.Line({{4.5f, 11.8f}, {11.5f, 11.8f}});
        pen.Disk(8.0f, 13.2f, 0.8f);
        pen.Line({{6.8f, 3.2f}, {9.2f, 3.2f}});
        break;
    }
}
