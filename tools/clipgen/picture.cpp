#include "tools/clipgen/picture.h"

#include <cmath>
#include <functional>

namespace clipgen {

const std::array<uint32_t, 16> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {

struct Point {
    double x, y;
};

// A shape is a test on a point in picture coordinates (pixel centres at
// +0.5).
using Shape = std::function<bool(double, double)>;

// Fills shape with fill and gives it a one-pixel outline: the pixels inside
// that have a 4-neighbour outside. Everything is clipped to the picture.
void Draw(Picture& picture, const Shape& shape, Colour fill, Colour outline)
{
    auto inside = [&](int x, int y) { return shape(x + 0.5, y + 0.5); };
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!inside(x, y))
                continue;
            bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            picture.at(x, y) = edge ? outline : fill;
        }
    }
}

// A convex polygon, its corners in either winding order.
Shape Polygon(std::vector<Point> corners)
{
    return [corners](double x, double y) {
        int sign = 0;
        for (size_t i = 0; i < corners.size(); ++i) {
            Point a = corners[i], b = corners[(i + 1) % corners.size()];
            double cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
            int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
            if (s != 0 && sign != 0 && s != sign)
                return false;
            if (s != 0)
                sign = s;
        }
        return true;
    };
}

Shape Box(double left, double top, double right, double bottom)
{
    return Polygon({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

Shape Either(Shape a, Shape b)
{
    return [a, b](double x, double y) { return a(x, y) || b(x, y); };
}

// The open folder at the left: a shadowed back with its tab, and the front
// flap tilted open towards the right.
void DrawOpenFolderBack(Picture& picture)
{
    Draw(picture, Either(Box(10, 19, 29, 25), Box(10, 23, 62, 56)), kOlive, kBlack);
}

void DrawOpenFolderFront(Picture& picture)
{
    Draw(picture, Polygon({{10, 56}, {62, 56}, {76, 34}, {24, 34}}), kYellow, kBlack);
}

// The folder at the right takes the sheet behind its front.
void DrawClosedFolderBack(Picture& picture)
{
    Draw(picture, Either(Box(206, 20, 225, 26), Box(206, 24, 263, 56)), kYellow, kBlack);
}

void DrawClosedFolderFront(Picture& picture)
{
    Draw(picture, Box(206, 33, 263, 56), kYellow, kBlack);
    for (int x = 208; x < 261; ++x)  // a lighter edge so the pocket reads
        picture.at(x, 34) = kWhite;
}

// The sheet, 10 x 14 pixels upright, centred on centre and turned by angle
// (radians): white with a black edge. Plain, since every line on it would
// cost bytes in each frame it moves in.
void DrawSheet(Picture& picture, Point centre, double angle)
{
    const double half_w = 5, half_h = 7;
    double c = std::cos(angle), s = std::sin(angle);
    Draw(
        picture,
        [=](double x, double y) {
            double dx = x - centre.x, dy = y - centre.y;
            return std::fabs(c * dx + s * dy) <= half_w && std::fabs(-s * dx + c * dy) <= half_h;
        },
        kWhite, kBlack);
}

struct SheetPose {
    Point centre;
    double angle;
};

// Out of the left folder, one turn along an arc, down into the right one.
std::vector<SheetPose> Flight()
{
    const double pi = std::acos(-1.0);
    const Point lift{44, 22}, land{234, 20};
    std::vector<SheetPose> poses;
    for (double y : {40.0, 34.0, 28.0})
        poses.push_back({{lift.x, y}, 0});
    const int arc_steps = 17;
    for (int k = 0; k < arc_steps; ++k) {
        double t = double(k) / (arc_steps - 1);
        double height = 10 * 4 * t * (1 - t);
        Point p{lift.x + (land.x - lift.x) * t, lift.y + (land.y - lift.y) * t - height};
        poses.push_back({p, 2 * pi * t});
    }
    for (double y : {26.0, 32.0, 37.0, 42.0})
        poses.push_back({{land.x, y}, 0});
    return poses;
}

}  // namespace

std::vector<Picture> DrawFlight()
{
    std::vector<Picture> frames;
    for (const SheetPose& pose : Flight()) {
        Picture picture;
        picture.pixels.fill(kMagenta);
        DrawOpenFolderBack(picture);
        DrawClosedFolderBack(picture);
        DrawSheet(picture, pose.centre, pose.angle);
        DrawOpenFolderFront(picture);
        DrawClosedFolderFront(picture);
        frames.push_back(picture);
    }
    return frames;
}

}  // namespace clipgen
